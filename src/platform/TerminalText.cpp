#include "platform/TerminalText.h"

#include "platform/Utf8.h"

namespace platform {

namespace {

bool mfblnControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string mfstrPrintable(std::string_view text, bool keepLineEnds)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        std::size_t length = gflngDecodeUtf8(text.substr(i), c);
        // A byte that starts no valid sequence reaches the terminal as itself.
        if (length == 0) {
            length = 1;
            c = static_cast<unsigned char>(text[i]);
        }
        if (mfblnControl(c) && !(keepLineEnds && c == '\n'))
            out += '?';
        else
            out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

} // namespace

std::string gfstrPrintable(std::string_view name) { return mfstrPrintable(name, false); }

std::string gfstrPrintableLines(std::string_view text) { return mfstrPrintable(text, true); }

} // namespace platform
