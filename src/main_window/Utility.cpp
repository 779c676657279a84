// SPDX-License-Identifier: GPL-3.0-or-later
#include "Utility.h"

#include "platform/Services.h"
#include "platform/widgets/Twips.h"

#include <QWidget>

namespace quillsift::main_window {

void CenterForm(QWidget& window)
{
    using platform::TwipsPerPixel;
    const QSize screen = platform::services().screen->size();
    const QSize outer = window.frameGeometry().size();
    // Computed in twips with fractions kept; only the final placement is in whole pixels.
    const double left = (screen.width() * double(TwipsPerPixel) - outer.width() * double(TwipsPerPixel)) / 2.0;
    const double top = (screen.height() * double(TwipsPerPixel) - outer.height() * double(TwipsPerPixel)) / 2.0;
    window.move(static_cast<int>(left / TwipsPerPixel), static_cast<int>(top / TwipsPerPixel));
}

bool FileExists(const QString& path)
{
    return platform::services().fileSystem->modificationTime(path).has_value();
}

} // namespace quillsift::main_window
