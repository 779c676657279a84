// SPDX-License-Identifier: GPL-3.0-or-later
#include "FailingDirectorySearch.h"

#include <QDir>

namespace quillsift::platform::testing {

namespace {
class FailedEnumeration : public DirectoryEnumeration
{
  public:
    QString next() override
    {
        return QString();
    }
    quint32 attributes() const override
    {
        return file_attribute::Normal;
    }
    QString error() const override
    {
        return QStringLiteral("Permission denied");
    }
    bool vanished() const override
    {
        return false;
    }
};
} // namespace

std::unique_ptr<DirectoryEnumeration> FailingDirectorySearch::enumerate(const QString& folder, const QString& pattern,
                                                                        quint32 attributeFilter)
{
    ++enumerations;
    const QString cleaned = QDir::cleanPath(folder);
    for (const QString& going : std::as_const(vanishing)) {
        if (QDir::cleanPath(going) == cleaned) {
            QDir(cleaned).removeRecursively();
        }
    }
    for (const QString& failing : std::as_const(unreadable)) {
        if (QDir::cleanPath(failing) == cleaned) {
            return std::make_unique<FailedEnumeration>();
        }
    }
    return localDirectorySearch().enumerate(folder, pattern, attributeFilter);
}

std::optional<FileAttributes> FailingDirectorySearch::attributes(const QString& path, FileAttributesError* error)
{
    return localDirectorySearch().attributes(path, error);
}

} // namespace quillsift::platform::testing
