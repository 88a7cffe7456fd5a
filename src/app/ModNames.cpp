#include "app/ModNames.h"

#include "app/AsciiCase.h"
#include "platform/Names.h"

#include <algorithm>
#include <cstring>

namespace {

bool mfblnSeparator(char c) { return std::strchr(" _-.()[]", c) != nullptr && c != '\0'; }
bool mfblnDigit(char c) { return c >= '0' && c <= '9'; }

bool mfblnEndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The name in lower case (ASCII letters) without the version marks at its end: separators and
// digits, a "v" or "version" before a number, and words such as "copy" or "old" after a separator.
std::string mfstrModStem(std::string_view name)
{
    const std::string stem = gfstrAsciiLowerCase(name);
    // The marks come off the end of a view; the name is cut once, at the end.
    std::string_view rest = stem;
    for (std::size_t before = std::string::npos; before != rest.size();) {
        before = rest.size();
        bool number = false;
        while (!rest.empty() && (mfblnDigit(rest.back()) || mfblnSeparator(rest.back()))) {
            number = number || mfblnDigit(rest.back());
            rest.remove_suffix(1);
        }
        if (number)
            for (const std::string_view mark : {"version", "ver", "v"})
                if (mfblnEndsWith(rest, mark)) {
                    rest.remove_suffix(mark.size());
                    break;
                }
        for (const std::string_view word : {"copy", "old", "new", "final", "updated", "update", "fixed", "fix"})
            if (rest.size() > word.size() && mfblnEndsWith(rest, word) &&
                mfblnSeparator(rest[rest.size() - word.size() - 1])) {
                rest.remove_suffix(word.size());
                break;
            }
    }
    return std::string(rest);
}

} // namespace

std::string_view gfstrFileName(std::string_view relativeName)
{
    const std::size_t slash = relativeName.find_last_of('\\');
    return slash == std::string_view::npos ? relativeName : relativeName.substr(slash + 1);
}

std::string gfstrShortPackageName(std::string_view relativeName)
{
    std::string name(gfstrFileName(relativeName));
    // The ending as the folder walk matched it: without regard to case.
    constexpr std::string_view kEnding = ".package";
    const std::size_t stem = name.size() - std::min(name.size(), kEnding.size());
    if (stem > 0 && platform::gfblnSameName(std::string_view(name).substr(stem), kEnding))
        name.resize(stem);
    return name;
}

bool gfblnNamesOfOneMod(std::string_view first, std::string_view second)
{
    const std::string stem = mfstrModStem(first);
    return !stem.empty() && stem == mfstrModStem(second);
}

std::string gfstrModKey(std::string_view relativeName)
{
    const std::string name = gfstrShortPackageName(relativeName);
    const std::string stem = mfstrModStem(name);
    // A name that is all version marks ("1", "v2") is one mod's only with its own file name;
    // the leading NUL keeps it apart from every stem.
    return stem.empty() ? std::string(1, '\0') + name : stem;
}
