// SPDX-License-Identifier: GPL-3.0-or-later
#include "PosixDirectorySearch.h"

#include "platform/WindowsWildcard.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

namespace quillsift::platform {

namespace {

QString describeError(int code)
{
    return QString::fromStdString(std::generic_category().message(code));
}

/// The failures that mean the path is gone: nothing there any more, a folder on the way replaced
/// by a file, or a /proc entry whose process has ended.
bool isGoneError(int code)
{
    return code == ENOENT || code == ENOTDIR || code == ESRCH;
}

bool isHiddenName(const char* name)
{
    return name[0] == '.';
}

quint32 attributesOfMode(mode_t mode)
{
    quint32 attributes = file_attribute::Normal;
    if (S_ISDIR(mode)) {
        attributes |= file_attribute::Directory;
    } else if (!S_ISREG(mode)) {
        attributes |= file_attribute::Device;
    }
    if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attributes |= file_attribute::ReadOnly;
    }
    return attributes;
}

class PosixEnumeration : public DirectoryEnumeration
{
  public:
    PosixEnumeration(const QString& folder, const QString& pattern, quint32 filter)
        : m_wildcard(pattern)
        , m_filter(filter)
    {
        const QByteArray encoded = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
        m_dir = ::opendir(encoded.constData());
        if (!m_dir) {
            m_vanished = isGoneError(errno);
            m_error = describeError(errno);
        }
    }

    ~PosixEnumeration() override
    {
        if (m_dir) {
            ::closedir(m_dir);
        }
    }

    PosixEnumeration(const PosixEnumeration&) = delete;
    PosixEnumeration& operator=(const PosixEnumeration&) = delete;

    QString next() override
    {
        while (m_dir) {
            errno = 0;
            const dirent* entry = ::readdir(m_dir);
            if (!entry) {
                if (errno != 0) {
                    // Under /proc, reading the folder of a process that ended meanwhile fails so.
                    m_vanished = isGoneError(errno);
                    m_error = describeError(errno);
                }
                ::closedir(m_dir);
                m_dir = nullptr;
                break;
            }
            const char* raw = entry->d_name;
            if (std::strcmp(raw, ".") == 0 || std::strcmp(raw, "..") == 0) {
                continue;
            }
            quint32 attributes = isHiddenName(raw) ? file_attribute::Hidden : file_attribute::Normal;
            if ((attributes & ~m_filter) != 0) {
                continue;
            }
            const QString name = QFile::decodeName(raw);
            if (!m_wildcard.matches(name)) {
                continue;
            }
            if (QFile::encodeName(name) != QByteArrayView(raw)) {
                // A name that is not valid in the system's encoding cannot be turned back into the
                // path: whoever used it would find nothing there. Leave it out, and say so.
                m_error = QStringLiteral("a name that is not valid text was left out");
                continue;
            }
            const std::optional<quint32> kind = kindOf(*entry);
            if (!kind) {
                continue; // gone since readdir, or a link that leads nowhere
            }
            attributes |= *kind;
            if ((attributes & file_attribute::Device) != 0) {
                continue;
            }
            const quint32 judged = file_attribute::Hidden | file_attribute::System | file_attribute::Directory;
            if ((attributes & judged & ~m_filter) != 0) {
                continue;
            }
            m_attributes = attributes;
            return name;
        }
        m_attributes = file_attribute::Normal;
        return QString();
    }

    quint32 attributes() const override
    {
        return m_attributes;
    }

    QString error() const override
    {
        return m_error;
    }

    bool vanished() const override
    {
        return m_vanished;
    }

  private:
    /// Directory, Device or Normal, links followed; nothing when the entry cannot be looked at.
    std::optional<quint32> kindOf(const dirent& entry) const
    {
        switch (entry.d_type) {
        case DT_REG:
            return file_attribute::Normal;
        case DT_DIR:
            return file_attribute::Directory;
        case DT_LNK:
        case DT_UNKNOWN:
            break;
        default:
            return file_attribute::Device;
        }
        struct stat status {
        };
        if (::fstatat(::dirfd(m_dir), entry.d_name, &status, 0) != 0) {
            return std::nullopt;
        }
        return attributesOfMode(status.st_mode) & (file_attribute::Directory | file_attribute::Device);
    }

    WindowsWildcard m_wildcard;
    quint32 m_filter;
    DIR* m_dir = nullptr;
    QString m_error;
    bool m_vanished = false;
    quint32 m_attributes = file_attribute::Normal;
};

} // namespace

std::unique_ptr<DirectoryEnumeration> PosixDirectorySearch::enumerate(const QString& folder, const QString& pattern,
                                                                      quint32 attributeFilter)
{
    return std::make_unique<PosixEnumeration>(folder, pattern, attributeFilter);
}

std::optional<FileAttributes> PosixDirectorySearch::attributes(const QString& path, FileAttributesError* error)
{
    struct stat status {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (error) {
            error->missing = isGoneError(errno);
            error->reason = describeError(errno);
        }
        return std::nullopt;
    }
    FileAttributes result;
    result.attributes = attributesOfMode(status.st_mode);
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/'))) {
        name.chop(1);
    }
    if (name.mid(name.lastIndexOf(QLatin1Char('/')) + 1).startsWith(QLatin1Char('.'))) {
        result.attributes |= file_attribute::Hidden;
    }
    result.device = static_cast<quint64>(status.st_dev);
    result.inode = static_cast<quint64>(status.st_ino);
    return result;
}

DirectorySearch& localDirectorySearch()
{
    static PosixDirectorySearch search;
    return search;
}

} // namespace quillsift::platform
