#pragma once
// Text onto the Windows clipboard.

#include <windows.h>

#include <string_view>

namespace gui::win32 {

// Puts a UTF-8 text on the clipboard as Unicode text, every line end made CR LF, in place of
// whatever was there; `owner` owns the clipboard meanwhile. False when another program kept the
// clipboard open or the memory could not be had.
bool gfblnCopyToClipboard(HWND owner, std::string_view utf8);

} // namespace gui::win32
