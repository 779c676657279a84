// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QString>

#include <optional>

namespace quillsift::platform {

/// Loads a pointer image from a .cur or .ico file, keeping a cursor file's hot spot.
/// Nothing when the file is missing or is not a readable image.
std::optional<QCursor> loadPointerImage(const QString& path);

/// The cursor shown for a pointer kind: 0 and 1 the arrow, 11 the hourglass, 99 the custom
/// image (the arrow when there is none).
QCursor cursorForKind(int kind, const std::optional<QCursor>& customImage);

} // namespace quillsift::platform
