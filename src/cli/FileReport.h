// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CleanCopy.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillsift::cli {

/// What happened to one file of a call, as the tool reports it.
struct FileReport {
    /// The file as it was given on the command line.
    QString file;
    /// Where the cleaned copy was written (or, in a dry run, would be); empty when it was not.
    QString output;
    engine::RemovalMode mode = engine::RemovalMode::Lines;
    qint64 paragraphsBefore = 0;
    qint64 paragraphsAfter = 0;
    qint64 wordsBefore = 0;
    qint64 wordsAfter = 0;
    qint64 removed = 0;
    double seconds = 0;
    /// Empty when the file was cleaned (and written); otherwise the message, which names the
    /// file concerned and the cause.
    QString error;
    /// What the host left out or mended while reading the file, so that the copy is sound.
    QStringList repairs;

    bool succeeded() const
    {
        return error.isEmpty();
    }
};

/// The report as one line of JSON (without the line break), the form --json prints.
QByteArray jsonLine(const FileReport& report);

/// The report as one line for a person to read (without the line break).
QString humanLine(const FileReport& report, bool dryRun);
/// One line for a person for each repair (without the line breaks).
QStringList repairLines(const FileReport& report);

} // namespace quillsift::cli
