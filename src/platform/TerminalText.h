#pragma once
// Text meant for a terminal. A name taken from a stranger's package or file must not move the
// cursor, change colours, retitle the terminal or turn the text around, so each control
// character of it is shown as '?': C0, DEL, C1 (a lone byte 0x80-0x9F, which an 8-bit terminal
// takes as a control, or U+0080-U+009F in UTF-8) and the bidirectional embeddings, overrides
// and isolates (U+202A-U+202E, U+2066-U+2069). Every other byte stays as it is, so the text
// is checked after it is converted to UTF-8, as the terminal gets it.

#include <string>
#include <string_view>

namespace platform {

// The name with every control character shown as '?'.
std::string gfstrPrintable(std::string_view name);

// The same for a text of lines (LF line ends), whose line ends stay.
std::string gfstrPrintableLines(std::string_view text);

} // namespace platform
