// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillsift::testing {

FolderTree::FolderTree()
    : m_root(m_dir.path() + QLatin1Char('/'))
{
}

FolderTree::~FolderTree()
{
    for (const QString& folder : m_changedModes) {
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    for (const QByteArray& name : m_namedInBytes) {
        ::unlink(name.constData());
    }
}

bool FolderTree::isValid() const
{
    return m_dir.isValid();
}

QString FolderTree::path(const QString& relative) const
{
    return m_root + relative;
}

QString FolderTree::file(const QString& relative, const QByteArray& bytes)
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return {};
    }
    return full;
}

QString FolderTree::folder(const QString& relative)
{
    const QString full = path(relative);
    return QDir().mkpath(full) ? full : QString();
}

QByteArray FolderTree::fileNamedInBytes(const QByteArray& relative)
{
    const QByteArray full = QFile::encodeName(m_root) + relative;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    m_namedInBytes << full;
    return full;
}

bool FolderTree::setMode(const QString& relative, unsigned mode)
{
    const QString full = path(relative);
    m_changedModes << full;
    return ::chmod(QFile::encodeName(full).constData(), mode_t(mode)) == 0;
}

} // namespace quillsift::testing
