// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFiles.h"

#include "System.h"

#include <QDir>

namespace quillsift::platform {

QString locateProgramFile(const Process& process, const FileSystem& files, const QString& name)
{
    // The name is appended unchanged, with no test for a separator the folder might end with.
    const QString beside = process.programFolder() + QDir::separator() + name;
    if (files.modificationTime(beside)) {
        return beside;
    }
    const QString installed = process.dataFolder() + QDir::separator() + name;
    return files.modificationTime(installed) ? installed : beside;
}

} // namespace quillsift::platform
