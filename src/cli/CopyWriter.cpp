// SPDX-License-Identifier: GPL-3.0-or-later
#include "CopyWriter.h"

#include "engine/HostError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace quillsift::cli {

using engine::HostError;

namespace {

/// A name beside target that nothing else uses, with target's extension, which is what tells
/// the host the format to write.
QString privateName(const QString& target)
{
    const QFileInfo info(target);
    const QDir directory = info.absoluteDir();
    for (;;) {
        const QString name = QStringLiteral(".%1.quillsift-%2.%3")
                                 .arg(info.completeBaseName())
                                 .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'))
                                 .arg(info.suffix());
        const QString path = directory.filePath(name);
        if (!QFileInfo::exists(path)) {
            return path;
        }
    }
}

/// The host's error names the file it was asked to write; the user knows only target.
[[noreturn]] void rethrowForTarget(const HostError& error, const QString& target)
{
    throw HostError(target, error.cause());
}

void save(engine::Document& copy, const QString& path, const QDateTime& trackedAt)
{
    if (trackedAt.isValid()) {
        copy.saveWithTrackedChanges(path, trackedAt);
    } else {
        copy.saveAs(path);
    }
}

} // namespace

void writeCopy(engine::Document& copy, const QString& target, bool replace, const QDateTime& trackedAt)
{
    if (replace) {
        try {
            save(copy, target, trackedAt);
        } catch (const HostError& error) {
            rethrowForTarget(error, target);
        }
        return;
    }

    const QString temporary = privateName(target);
    try {
        save(copy, temporary, trackedAt);
    } catch (const HostError& error) {
        QFile::remove(temporary);
        rethrowForTarget(error, target);
    }
    // QFile::rename never replaces an existing file.
    QFile file(temporary);
    if (!file.rename(target)) {
        const QString reason = QFileInfo::exists(target)
                                   ? QStringLiteral("the file already exists (--force replaces it)")
                                   : QStringLiteral("the file cannot be written (%1)").arg(file.errorString());
        QFile::remove(temporary);
        throw HostError(target, reason);
    }
}

} // namespace quillsift::cli
