// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quillsift::cli {

/// Where the cleaned copy of a source goes.
/// The copy of path/name.ext is outputDirectory/name.docx, or name.txt for a plain-text source
/// (one the host reads as text: a .txt name). A name that an earlier source of the same call
/// already produced gets " (2)", " (3)", ... before the extension. Names are compared without
/// regard to letter case, so that no two copies of one call can land on the same file on a file
/// system that ignores case.
/// Returns one path per source, in the same order.
QStringList outputPaths(const QStringList& sources, const QString& outputDirectory);

/// Why the copy may not be written to target, in words that follow the target's name ("target:
/// why"), or an empty string when it may. A target that is
/// one of the call's sources (the same file, through any name or link) is always refused; any
/// other existing file only without force.
QString writeRefusal(const QString& target, const QStringList& sources, bool force);

} // namespace quillsift::cli
