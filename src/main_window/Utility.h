// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace quillsift::platform {
class FileSystem;
class Screen;
} // namespace quillsift::platform

namespace quillsift::main_window {

/// Moves a top-level window so that its outer frame is centred on the primary screen. A screen
/// smaller than the window gives negative coordinates, and the window is placed there as computed.
void CenterForm(QWidget& window, const platform::Screen& screen);

/// True when the last-modification time of path can be read through files, false when that fails
/// for any reason.
bool FileExists(const QString& path, const platform::FileSystem& files);

} // namespace quillsift::main_window
