// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include <functional>
#include <memory>

namespace quillsift::docx {

/// The package a story was read from, before any edit, kept as cheaply as it can be had again:
/// for a file, the way its bytes were read (the bytes stay as small as the file is, and are read
/// again only when asked), and otherwise the package itself. Owns what it keeps; copies share it.
class SourcePackage
{
  public:
    using Reread = std::function<Package()>;

    SourcePackage() = default;
    explicit SourcePackage(Package package);
    /// reread must give the same package every time it is called.
    explicit SourcePackage(Reread reread);

    /// Whether there is a package to give at all.
    bool isEmpty() const
    {
        return !m_package && !m_reread;
    }
    /// The package as it was read. Throws what reading it again throws (HostError, std::bad_alloc).
    Package package() const;

  private:
    std::shared_ptr<const Package> m_package;
    std::shared_ptr<const Reread> m_reread;
};

} // namespace quillsift::docx
