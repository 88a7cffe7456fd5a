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

// The position of the first byte from `start` on that is not ASCII, or the size.
std::size_t mfintFirstHighByte(std::string_view bytes, std::size_t start)
{
    const auto high = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end(),
                                   [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
    return static_cast<std::size_t>(high - bytes.begin());
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
    std::size_t start = 0;
    while (start < bytes.size()) {
        // ASCII is the same in both: each run of it is copied whole.
        const std::size_t high = mfintFirstHighByte(bytes, start);
        out.append(bytes.substr(start, high - start));
        if (high == bytes.size())
            break;
        gsAppendUtf8(out, mfchrCharacterOf(static_cast<unsigned char>(bytes[high])));
        start = high + 1;
    }
    return out;
}

std::string gfstrFromCodePage(std::string&& bytes)
{
    if (mfintFirstHighByte(bytes, 0) == bytes.size())
        return std::move(bytes);
    return gfstrFromCodePage(std::string_view(bytes));
}

std::string gfstrWithLfLineEnds(std::string_view text) { return gfstrWithLfLineEnds(std::string(text)); }

std::string gfstrWithLfLineEnds(std::string&& text)
{
    // The text is moved down over the CR of each CR LF, in place.
    std::size_t end = text.find("\r\n");
    if (end == std::string::npos)
        return std::move(text);
    std::size_t kept = end;
    while (end != std::string::npos) {
        const std::size_t start = end + 1;  // the LF
        end = text.find("\r\n", start + 1);
        const std::size_t length = (end == std::string::npos ? text.size() : end) - start;
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(start), text.begin() + static_cast<std::ptrdiff_t>(start + length),
                  text.begin() + static_cast<std::ptrdiff_t>(kept));
        kept += length;
    }
    text.resize(kept);
    return std::move(text);
}

} // namespace platform
