#include "platform/win32/ConsoleText.h"

#include "platform/CodePage.h"
#include "platform/Utf8.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

// The length of a surrogate's three-byte form (ED A0-BF 80-BF).
constexpr std::size_t kSurrogateForm = 3;

} // namespace

std::wstring gfstrConsoleUnits(std::string_view text)
{
    std::u16string units;
    units.reserve(text.size());
    while (!text.empty()) {
        char32_t codePoint = 0;
        std::size_t length = gflngDecodeUtf8(text, codePoint);
        if (length == 0) {
            if (text.size() >= kSurrogateForm) {
                if (const auto surrogate = gfstrWide(text.substr(0, kSurrogateForm))) {
                    units.append(surrogate->begin(), surrogate->end());
                    text.remove_prefix(kSurrogateForm);
                    continue;
                }
            }
            // Every byte is a Windows-1252 character (or '?'), one that UTF-8 decodes.
            const std::string character = gfstrFromCodePage(text.substr(0, 1));
            if (gflngDecodeUtf8(character, codePoint) == 0)
                codePoint = U'?';
            length = 1;
        }
        gsAppendUtf16(units, codePoint);
        text.remove_prefix(length);
    }
    return std::wstring(units.begin(), units.end());
}

} // namespace platform::win32
