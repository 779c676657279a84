// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <filesystem>
#include <system_error>

namespace quillsift::cli {

namespace {

bool isPlainTextName(const QString& source)
{
    return QFileInfo(source).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
}

QString baseName(const QString& source)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    // A name that is all extension (".docx") keeps it rather than becoming an empty name.
    return base.isEmpty() ? info.fileName() : base;
}

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

/// Whether two paths name the same file: the same device and inode, so hard and symbolic
/// links and different spellings of one path are all caught.
bool sameFile(const QString& first, const QString& second)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(nativePath(first), nativePath(second), error);
    return !error && same;
}

} // namespace

QStringList outputPaths(const QStringList& sources, const QString& outputDirectory)
{
    const QDir directory(outputDirectory);
    QSet<QString> taken;
    QStringList paths;
    paths.reserve(sources.size());
    for (const QString& source : sources) {
        const QString base = baseName(source);
        const QString extension = isPlainTextName(source) ? QStringLiteral(".txt") : QStringLiteral(".docx");
        QString name = base + extension;
        for (int number = 2; taken.contains(name.toCaseFolded()); ++number) {
            name = QStringLiteral("%1 (%2)%3").arg(base).arg(number).arg(extension);
        }
        taken.insert(name.toCaseFolded());
        paths << QDir::cleanPath(directory.filePath(name));
    }
    return paths;
}

QString writeRefusal(const QString& target, const QStringList& sources, bool force)
{
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink()) {
        return {};
    }
    for (const QString& source : sources) {
        if (sameFile(target, source)) {
            return QStringLiteral("this is one of the input files, which are never written");
        }
    }
    if (info.isDir()) {
        return QStringLiteral("a folder of this name is in the way");
    }
    if (!force) {
        return QStringLiteral("the file already exists (--force replaces it)");
    }
    return {};
}

} // namespace quillsift::cli
