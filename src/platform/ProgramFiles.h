// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quillsift::platform {

class FileSystem;
class Process;

/// Where the program finds a data file it reads at run time (its pointer images): beside the
/// executable first, where a build or a copied folder keeps it, then in the installed data folder.
/// Returns the first of the two paths whose file exists, and the one beside the executable when
/// neither does, so that a missing file is looked for, and missed, where it always was.
QString locateProgramFile(const Process& process, const FileSystem& files, const QString& name);

} // namespace quillsift::platform
