// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DirectorySearch.h"

namespace quillsift::platform {

/// The directory search over POSIX calls: readdir for the passes (its entry types spare a stat per
/// plain file), stat for the attribute query, so that links are judged by what they lead to.
class PosixDirectorySearch : public DirectorySearch
{
  public:
    std::unique_ptr<DirectoryEnumeration> enumerate(const QString& folder, const QString& pattern,
                                                    quint32 attributeFilter) override;
    std::optional<FileAttributes> attributes(const QString& path, FileAttributesError* error = nullptr) override;
};

} // namespace quillsift::platform
