#pragma once
// Hexadecimal and text conversions of byte strings (one character per byte).

#include <cstdint>
#include <string>
#include <string_view>

// The value 0-255 of a text of 1 or 2 hexadecimal digits (either case; a character that is no
// digit counts as 0), or -1 for an empty text or one longer than 2 characters.
std::int32_t gflngHexToLong(std::string_view text);

// Bytes from hexadecimal text, the last pair of digits first ("FB10" gives 10 FB). An empty text
// raises 5 "Invalid procedure call or argument".
std::string gfstrHexToBin(std::string_view text);

// Two upper-case hexadecimal digits.
std::string gfstrByteToHex(unsigned char byte);

// Hexadecimal text of bytes, the last byte first: 56 41 48 42 gives "42484156".
std::string gfstrBinToHex(std::string_view bytes);

// The text before the first NUL character, or all of it when it has none.
std::string gfstrTrimAtNull(std::string_view text);
