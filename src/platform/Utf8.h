#pragma once
// UTF-8 and UTF-16 code units: the one decoder and the encoders that the path layer, the
// registry reader and the code-page conversion share.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Decodes the UTF-8 sequence at the start of a non-empty text into `codePoint` and returns its
// length; 0 when it is no valid, shortest-form sequence of a Unicode scalar value.
std::size_t gflngDecodeUtf8(std::string_view text, char32_t& codePoint);

// Appends a code point as UTF-8 (a lone surrogate keeps its three-byte form).
void gsAppendUtf8(std::string& out, char32_t codePoint);

// Appends a code point as UTF-16 units.
void gsAppendUtf16(std::u16string& out, char32_t codePoint);

} // namespace platform
