#include "platform/win32/WideText.h"

#include "platform/Utf8.h"

namespace platform::win32 {

namespace {

bool mfblnHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool mfblnLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The surrogate unit of a three-byte form ED A0..BF 80..BF at the start of `text`, or 0. The
// shared decoder refuses these forms (they are no valid UTF-8); here they stand for the lone
// surrogates of names the system gave.
char32_t mfchrSurrogateForm(std::string_view text)
{
    if (text.size() < 3)
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const auto second = static_cast<unsigned char>(text[1]);
    const auto third = static_cast<unsigned char>(text[2]);
    if (lead != 0xED || second < 0xA0 || second > 0xBF || (third & 0xC0u) != 0x80u)
        return 0;
    return 0xD000u | ((second & 0x3Fu) << 6) | (third & 0x3Fu);
}

} // namespace

std::string gfstrNarrow(std::wstring_view units)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = static_cast<char16_t>(units[i]);
        if (mfblnHighSurrogate(c) && i + 1 < units.size() && mfblnLowSurrogate(static_cast<char16_t>(units[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(units[i + 1]) - 0xDC00u);
            ++i;
        }
        gsAppendUtf8(out, c);
    }
    return out;
}

std::optional<std::wstring> gfstrWide(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t codePoint = 0;
        std::size_t length = gflngDecodeUtf8(text, codePoint);
        if (length == 0) {
            codePoint = mfchrSurrogateForm(text);
            if (codePoint == 0)
                return std::nullopt;
            length = 3;
        }
        if (codePoint == 0)
            return std::nullopt;  // a W call would read the text only up to here
        text.remove_prefix(length);
        if (codePoint <= 0xFFFF) {
            out += static_cast<wchar_t>(codePoint);
        } else {
            const char32_t offset = codePoint - 0x10000;
            out += static_cast<wchar_t>(0xD800 + (offset >> 10));
            out += static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
        }
    }
    return out;
}

} // namespace platform::win32
