#pragma once
// The program's text as a Windows console is handed it.

#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-8 text as UTF-16 units; a lone surrogate's three-byte form is that unit, and a byte that
// starts no UTF-8 sequence is the Windows-1252 character of that byte.
std::wstring gfstrConsoleUnits(std::string_view text);

} // namespace platform::win32
