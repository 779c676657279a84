// SPDX-License-Identifier: GPL-3.0-or-later
#include "CopyNames.h"

#include "FileName.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <optional>

#include <sys/stat.h>

namespace quillsift::engine {

namespace {

bool isPlainTextName(const QString& source)
{
    return QFileInfo(source).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
}

QString baseName(const QString& source)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    // A name that is all extension (".docx") keeps it rather than becoming an empty name. The
    // copy's name is UTF-8 even where the source's is not.
    return FileName::withReplacements(base.isEmpty() ? info.fileName() : base);
}

std::optional<std::pair<quint64, quint64>> identity(const QString& path)
{
    struct stat status {
    };
    if (::stat(FileName::toNative(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return std::pair<quint64, quint64>(quint64(status.st_dev), quint64(status.st_ino));
}

} // namespace

QStringList outputPaths(const QStringList& sources, const QString& outputDirectory, bool wordOnly)
{
    const QDir directory(outputDirectory);
    QSet<QString> taken;
    QStringList paths;
    paths.reserve(sources.size());
    for (const QString& source : sources) {
        const QString base = baseName(source);
        const QString extension =
            isPlainTextName(source) && !wordOnly ? QStringLiteral(".txt") : QStringLiteral(".docx");
        QString name = base + extension;
        for (int number = 2; taken.contains(name.toCaseFolded()); ++number) {
            name = QStringLiteral("%1 (%2)%3").arg(base).arg(number).arg(extension);
        }
        taken.insert(name.toCaseFolded());
        paths << QDir::cleanPath(directory.filePath(name));
    }
    return paths;
}

SourceFiles::SourceFiles(const QStringList& sources)
{
    for (const QString& source : sources) {
        if (const auto id = identity(source)) {
            m_identities.insert(*id);
        }
    }
}

bool SourceFiles::contains(const QString& path) const
{
    const auto id = identity(path);
    return id && m_identities.count(*id) > 0;
}

} // namespace quillsift::engine
