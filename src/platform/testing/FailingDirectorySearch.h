// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DirectorySearch.h"

#include <QStringList>

namespace quillsift::platform::testing {

/// The real directory search, except that the folders listed in unreadable cannot be read: a pass
/// over one of them hands out no name and reports "Permission denied". Stands in for a folder
/// without read permission where the tests run with privileges that ignore permissions. The
/// folders listed in vanishing are removed from disk, with all they hold, just before a pass over
/// them starts: a folder that goes between being listed and being read.
class FailingDirectorySearch : public DirectorySearch
{
  public:
    std::unique_ptr<DirectoryEnumeration> enumerate(const QString& folder, const QString& pattern,
                                                    quint32 attributeFilter) override;
    std::optional<FileAttributes> attributes(const QString& path, FileAttributesError* error = nullptr) override;

    /// Folder paths, compared after removing redundant separators.
    QStringList unreadable;
    /// Folder paths, compared the same way.
    QStringList vanishing;
    /// How many passes were started, over any folder.
    int enumerations = 0;
};

} // namespace quillsift::platform::testing
