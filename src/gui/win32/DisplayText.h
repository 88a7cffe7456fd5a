#pragma once
// Text between the program and the Win32 calls: the program holds UTF-8, the wide (W) calls
// take UTF-16.

#include <string>
#include <string_view>

namespace gui::win32 {

// UTF-16 of a UTF-8 text; a byte that is no part of a valid sequence becomes U+FFFD.
std::wstring gfwsWide(std::string_view utf8);

// UTF-8 of a UTF-16 text; a lone surrogate becomes U+FFFD.
std::string gfstrUtf8(std::wstring_view wide);

// A text as a multi-line edit box shows it: every line end (CR LF, a lone LF or a lone CR)
// made CR LF, which is the only line break the box knows.
std::wstring gfwsDisplayText(std::string_view utf8);

} // namespace gui::win32
