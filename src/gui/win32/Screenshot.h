#pragma once
// A picture of a window's client area, saved as PNG (GDI+).

#include <windows.h>

#include <string>

namespace gui::win32 {

// Paints the window and its controls now and saves its client area to `pngPath`; false when
// the picture could not be taken or written.
bool gfblnSaveClientPicture(HWND window, const std::wstring& pngPath);

} // namespace gui::win32
