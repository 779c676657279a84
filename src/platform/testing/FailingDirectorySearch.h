// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DirectorySearch.h"

#include <QStringList>

namespace quillsift::platform::testing {

/// The real directory search, except that the folders listed in unreadable cannot be read: a pass
/// over one of them hands out no name and reports "Permission denied". Stands in for a folder
/// without read permission where the tests run with privileges that ignore permissions.
class FailingDirectorySearch : public DirectorySearch
{
  public:
    std::unique_ptr<DirectoryEnumeration> enumerate(const QString& folder, const QString& pattern,
                                                    quint32 attributeFilter) override;
    std::optional<FileAttributes> attributes(const QString& path, FileAttributesError* error = nullptr) override;

    /// Folder paths, compared after removing redundant separators.
    QStringList unreadable;
    /// How many passes were started, over any folder.
    int enumerations = 0;
};

} // namespace quillsift::platform::testing
