#pragma once
// Window layouts are fixed in twips, 15 to a pixel at 96 dots per inch.

#include <QRect>
#include <QSize>

namespace gui::qt {

inline constexpr int kTwipsPerPixel = 15;

// Pixels of a whole number of pixels in twips; a layout value that is not one fails to compile.
consteval int Twips(int twips)
{
    if (twips % kTwipsPerPixel != 0)
        throw "a layout value must be a whole number of pixels";
    return twips / kTwipsPerPixel;
}

// A control's place as the layout gives it: left, top, width, height in twips.
consteval QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

consteval QSize TwipsSize(int width, int height)
{
    return QSize(Twips(width), Twips(height));
}

} // namespace gui::qt
