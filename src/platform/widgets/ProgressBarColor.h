// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class QProgressBar;

namespace quillsift::platform {

/// Sets the background colour of a progress bar, given as a Windows colour value 0x00BBGGRR
/// (what PBM_SETBKCOLOR does to the native control).
void setProgressBarBackColor(QProgressBar& bar, quint32 colorBgr);

} // namespace quillsift::platform
