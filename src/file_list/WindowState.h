// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillsift::file_list {

/// Window pointer kinds.
namespace pointer {
inline constexpr int Default = 0;
inline constexpr int Arrow = 1;
inline constexpr int Hourglass = 11;
inline constexpr int Custom = 99;
} // namespace pointer

/// What the commands and the list need of the main window: its pointer and its busy flag.
class WindowState
{
  public:
    virtual ~WindowState() = default;

    /// The window pointer (MousePointer): one of the kinds above.
    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int kind) = 0;

    /// Set while a run or a folder scan works; a command pressed meanwhile does nothing.
    virtual bool busy() const = 0;
    virtual void setBusy(bool busy) = 0;
};

} // namespace quillsift::file_list
