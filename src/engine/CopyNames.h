// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <set>
#include <utility>

namespace quillsift::engine {

/// Where the cleaned copies of sources go when they are saved into one folder, by the
/// command-line tool or the host window's Save All.
/// The copy of path/name.ext is outputDirectory/name.docx, or name.txt for a plain-text source
/// (one the host reads as text: a .txt name) unless wordOnly, as copies that keep their removals
/// as tracked changes are Word documents whatever their source. A name that an earlier source of the same call
/// already produced gets " (2)", " (3)", ... before the extension. Names are compared without
/// regard to letter case, so that no two copies of one call can land on the same file on a file
/// system that ignores case.
/// Returns one path per source, in the same order.
QStringList outputPaths(const QStringList& sources, const QString& outputDirectory, bool wordOnly = false);

/// The files of a call's sources, known by device and inode, so that a target is recognised as
/// one of them through any spelling of its path and through hard and symbolic links.
class SourceFiles
{
  public:
    explicit SourceFiles(const QStringList& sources);

    bool contains(const QString& path) const;

  private:
    std::set<std::pair<quint64, quint64>> m_identities;
};

} // namespace quillsift::engine
