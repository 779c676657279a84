// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowState.h"

namespace quillsift::platform {

BusyGuard::BusyGuard(WindowState& window)
    : m_window(window)
{
    m_window.setBusy(true);
}

BusyGuard::~BusyGuard()
{
    if (m_hourglass) {
        m_window.setMousePointer(pointer::Default);
    }
    m_window.setBusy(false);
}

void BusyGuard::showHourglass()
{
    m_window.setMousePointer(pointer::Hourglass);
    m_hourglass = true;
}

} // namespace quillsift::platform
