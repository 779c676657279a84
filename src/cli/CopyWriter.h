// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Document.h"

#include <QDateTime>
#include <QString>

namespace quillsift::cli {

/// Saves a cleaned copy to target (.docx, or text for a .txt name), or, when trackedAt is a
/// valid time, its source with the removals kept as tracked deletions made then. Without replace, a file
/// that appears at target meanwhile is never overwritten: the copy is written beside it under
/// a private name and then moved into place only if target is still free. With replace, an
/// existing file is replaced in one step, so a failed write leaves it as it was.
/// Throws engine::HostError naming target and the cause.
void writeCopy(engine::Document& copy, const QString& target, bool replace, const QDateTime& trackedAt = {});

} // namespace quillsift::cli
