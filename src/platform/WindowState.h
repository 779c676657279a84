// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillsift::platform {

/// The window pointer's kinds (MousePointer values).
namespace pointer {
inline constexpr int Default = 0;
inline constexpr int Arrow = 1;
inline constexpr int Hourglass = 11;
inline constexpr int Custom = 99;
} // namespace pointer

/// What the commands, the list and the run need of the main window: its pointer and its busy
/// flag. Declared once, for every part that works on the window.
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

/// Marks the window busy for a piece of work's length, and the hourglass once it is shown, and
/// puts both back on every way out. Touches only the window it is given.
class BusyGuard
{
  public:
    explicit BusyGuard(WindowState& window);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    /// Shows the hourglass until the guard goes, when the pointer goes back to the default.
    void showHourglass();

  private:
    WindowState& m_window;
    bool m_hourglass = false;
};

} // namespace quillsift::platform
