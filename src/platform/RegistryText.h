#pragma once
// What the registry reader hands back for a value, on every host: the text an ANSI query of
// the value gives, held to the caller's buffer.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Value kinds, with their registry numbers.
inline constexpr std::uint32_t glngRegSz = 1;
inline constexpr std::uint32_t glngRegExpandSz = 2;
inline constexpr std::uint32_t glngRegBinary = 3;
inline constexpr std::uint32_t glngRegDword = 4;
inline constexpr std::uint32_t glngRegMultiSz = 7;

// The value's text up to its first NUL, or "ERROR" when the data with its terminator does not
// fit `bufferSize` bytes. String kinds take one byte per UTF-16 unit (the single-byte code
// page) and are given as UTF-8; the terminator is counted even when the data lacks one, so a
// string that fills the buffer without it still gives "ERROR". Other kinds are their bytes read
// as single-byte text. `data` is the value as the registry holds it (UTF-16LE for strings);
// `bufferSize` comes back holding the size of the data as the ANSI query reports it.
std::string gfstrRegistryValueText(std::uint32_t type, std::string_view data, std::int32_t& bufferSize);

// UTF-16 units as UTF-8; a lone surrogate keeps its three-byte form, so no unit is lost.
std::string gfstrUtf16ToUtf8(std::u16string_view units);

} // namespace platform
