#pragma once
// Window layouts are fixed in twips, 15 to a pixel at 96 dots per inch. The program declares
// no DPI awareness, so on a screen of another density Windows scales the whole window.

namespace gui::win32 {

inline constexpr int kTwipsPerPixel = 15;

// A control's place in pixels, relative to its window's client area.
struct Place {
    int Left;
    int Top;
    int Width;
    int Height;
};

// The size of a window's client area in pixels.
struct Extent {
    int Width;
    int Height;
};

// Pixels of a whole number of pixels in twips; a layout value that is not one fails to compile.
consteval int Twips(int twips)
{
    if (twips % kTwipsPerPixel != 0)
        throw "a layout value must be a whole number of pixels";
    return twips / kTwipsPerPixel;
}

// A control's place as the layout gives it: left, top, width, height in twips.
consteval Place TwipsRect(int left, int top, int width, int height)
{
    return Place{Twips(left), Twips(top), Twips(width), Twips(height)};
}

consteval Extent TwipsSize(int width, int height)
{
    return Extent{Twips(width), Twips(height)};
}

} // namespace gui::win32
