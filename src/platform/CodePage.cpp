#include "platform/CodePage.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace platform {

namespace {

// The characters of bytes 0x80-0x9F; the five bytes without one map to the C1 control of the
// same value, as Windows does.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t mfchrCharacterOf(unsigned char byte)
{
    return (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : byte;
}

// The byte for a character, or '?' when the code page has none.
char mfchrByteOf(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<char>(character);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == character)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::string gfstrToCodePage(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = 0;
        const std::size_t length = gflngDecodeUtf8(utf8.substr(i), c);
        // A byte that starts no valid sequence stands for one unknown character.
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        out += mfchrByteOf(c);
        i += length;
    }
    return out;
}

std::string gfstrFromCodePage(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) < 0x80)
            out += byte;  // ASCII is the same in both
        else
            gsAppendUtf8(out, mfchrCharacterOf(static_cast<unsigned char>(byte)));
    }
    return out;
}

std::string gfstrWithLfLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", start), text.size());
        out.append(text.substr(start, end - start));
        if (end < text.size())
            out += '\n';
        start = end + 2;
    }
    return out;
}

} // namespace platform
