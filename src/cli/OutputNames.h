// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CopyNames.h"

#include <QString>

namespace quillsift::cli {

using engine::outputPaths;
using engine::SourceFiles;

/// Why the copy may not be written to target, in words that follow the target's name ("target:
/// why"), or an empty string when it may. A target that is one of the call's sources is always
/// refused; any other existing file only without force.
QString writeRefusal(const QString& target, const SourceFiles& sources, bool force);

} // namespace quillsift::cli
