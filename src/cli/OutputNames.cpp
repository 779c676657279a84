// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputNames.h"

#include <QFileInfo>

namespace quillsift::cli {

QString writeRefusal(const QString& target, const SourceFiles& sources, bool force)
{
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink()) {
        return {};
    }
    if (sources.contains(target)) {
        return QStringLiteral("this is one of the input files, which are never written");
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
