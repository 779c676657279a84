// SPDX-License-Identifier: GPL-3.0-or-later
#include "Utility.h"

#include "platform/System.h"
#include "platform/widgets/Twips.h"

#include <QWidget>

namespace quillsift::main_window {

void CenterForm(QWidget& window, const platform::Screen& screen)
{
    using platform::TwipsPerPixel;
    const QSize size = screen.size();
    const QSize outer = window.frameGeometry().size();
    // Computed in twips with fractions kept; only the final placement is in whole pixels.
    const double left = (size.width() * double(TwipsPerPixel) - outer.width() * double(TwipsPerPixel)) / 2.0;
    const double top = (size.height() * double(TwipsPerPixel) - outer.height() * double(TwipsPerPixel)) / 2.0;
    window.move(static_cast<int>(left / TwipsPerPixel), static_cast<int>(top / TwipsPerPixel));
}

bool FileExists(const QString& path, const platform::FileSystem& files)
{
    return files.modificationTime(path).has_value();
}

} // namespace quillsift::main_window
