// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CleanCopy.h"

#include <QString>
#include <QStringList>

namespace quillsift::cli {

/// The document host that does the cleaning.
enum class HostKind {
    /// Quillsift's own host over Word's file format.
    InProcess,
    /// LibreOffice over UNO, started for the call.
    LibreOffice,
};

/// What one call of the command-line tool is asked to do.
struct CliOptions {
    HostKind host = HostKind::InProcess;
    engine::RemovalMode mode = engine::RemovalMode::Lines;
    QString outputDirectory;
    bool dryRun = false;
    bool json = false;
    bool force = false;
    /// The copies keep their source's text with the removals as tracked deletions.
    bool trackChanges = false;
    /// Files cleaned at once; at least 1.
    int jobs = 1;
    /// The files in the order given; the reports follow this order.
    QStringList files;
};

/// The outcome of reading the command line.
struct ParsedCommandLine {
    enum class Action {
        Run,
        ShowHelp,
        ShowVersion,
        UsageError,
    };
    Action action = Action::UsageError;
    CliOptions options;
    /// For a usage error: the one-line reason.
    QString error;
};

/// Reads the arguments (the program name first, as QCoreApplication::arguments() gives them).
/// defaultJobs is what --jobs is when absent: the number of processor cores.
ParsedCommandLine parseCommandLine(const QStringList& arguments, int defaultJobs);

/// The one-line synopsis, and the full help that --help prints.
QString usageLine();
QString helpText();

} // namespace quillsift::cli
