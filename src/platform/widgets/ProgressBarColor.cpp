// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressBarColor.h"

#include <QColor>
#include <QPalette>
#include <QProgressBar>

namespace quillsift::platform {

void setProgressBarBackColor(QProgressBar& bar, quint32 colorBgr)
{
    const QColor color(colorBgr & 0xFF, (colorBgr >> 8) & 0xFF, (colorBgr >> 16) & 0xFF);
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    bar.setPalette(palette);
    bar.setAutoFillBackground(true);
}

} // namespace quillsift::platform
