// SPDX-License-Identifier: GPL-3.0-or-later
#include "Corpus.h"

#include <QDir>

namespace quillsift::testing {

namespace {
QStringList documentsIn(const QString& folder)
{
    if (folder.isEmpty()) {
        return {};
    }
    QDir dir(folder);
    QStringList result;
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const auto& entry : entries) {
        const QString name = entry.fileName();
        if (name == QLatin1String("SHA256SUMS") || name.endsWith(QLatin1String(".md"))) {
            continue;
        }
        result << entry.absoluteFilePath();
    }
    return result;
}
} // namespace

QString corpusDirectory()
{
    QString folder = qEnvironmentVariable("QUILLSIFT_CORPUS_DIR");
    if (folder.isEmpty()) {
        folder = QStringLiteral(QUILLSIFT_DEFAULT_CORPUS_DIR);
    }
    return QDir(folder).exists() ? QDir(folder).absolutePath() : QString();
}

QStringList corpusDocuments()
{
    return documentsIn(corpusDirectory());
}

QStringList malformedDocuments()
{
    const QString folder = corpusDirectory();
    return folder.isEmpty() ? QStringList() : documentsIn(folder + QStringLiteral("/malformed"));
}

QString corpusMissingMessage()
{
    return QStringLiteral("document corpus not found (set QUILLSIFT_CORPUS_DIR); corpus tests skipped");
}

} // namespace quillsift::testing
