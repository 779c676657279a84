// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

namespace quillsift::platform {

/// Positions and sizes of the window are given in twips: 15 twips make one pixel at 96 dots per
/// inch. Qt lays out in device-independent pixels and scales them with the screen's
/// device-pixel ratio itself, so one conversion serves every screen.
inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / TwipsPerPixel;
}

constexpr int pixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace quillsift::platform
