#include "app/AsciiCase.h"

namespace {

// The text with the letters from `first` to `last` moved by `shift`.
std::string mfstrShifted(std::string_view text, char first, char last, int shift)
{
    std::string shifted(text);
    for (char& c : shifted)
        if (c >= first && c <= last)
            c = static_cast<char>(c + shift);
    return shifted;
}

} // namespace

std::string gfstrAsciiLowerCase(std::string_view text) { return mfstrShifted(text, 'A', 'Z', 'a' - 'A'); }

std::string gfstrAsciiUpperCase(std::string_view text) { return mfstrShifted(text, 'a', 'z', 'A' - 'a'); }
