#include "platform/Names.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <array>

namespace platform {

namespace {

// Upper-cases one code point of the Basic Multilingual Plane: ASCII here, the rest by the
// host's table. Surrogates have no case.
char16_t mfchrUpper(char32_t unit)
{
    if (unit < 0x80)
        return static_cast<char16_t>(unit >= 'a' && unit <= 'z' ? unit - ('a' - 'A') : unit);
    if (unit >= 0xD800 && unit <= 0xDFFF)
        return static_cast<char16_t>(unit);
    return gfchrUpperCaseUnit(static_cast<char16_t>(unit));
}

// True when the name holds no control character and none of `forbidden`, and is 1 to 255
// characters (UTF-16 units) long. One pass: ASCII bytes are checked against a table of the
// forbidden ones, and only bytes past ASCII are decoded, to count their units.
bool mfblnNameOf(std::string_view name, std::string_view forbidden)
{
    if (name.empty() || name.size() > 4 * 255)
        return false;
    std::array<bool, 0x80> refused{};
    for (std::size_t c = 0; c < 0x20; ++c)
        refused[c] = true;
    for (const char c : forbidden)
        refused[static_cast<unsigned char>(c) & 0x7F] = true;
    std::size_t units = 0;
    while (!name.empty()) {
        if (const auto byte = static_cast<unsigned char>(name.front()); byte < 0x80) {
            if (refused[byte])
                return false;
            ++units;
            name.remove_prefix(1);
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = gflngDecodeUtf8(name, codePoint);
        units += length != 0 && codePoint > 0xFFFF ? 2 : 1;
        name.remove_prefix(length != 0 ? length : 1);
    }
    return units <= 255;
}

// "*" matches any run of units, "?" exactly one. Greedy with one remembered star: the work is
// at most pattern length times name length, whatever the pattern.
bool mfblnGlob(std::u16string_view pattern, std::u16string_view name)
{
    // A star and then plain units ("*.PACKAGE"), the walk's own pattern: a name matches when it
    // ends in those units, which is what the search below would find.
    if (!pattern.empty() && pattern.front() == u'*' &&
        pattern.find_first_of(u"*?", 1) == std::u16string_view::npos)
        return name.ends_with(pattern.substr(1));
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::u16string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            starName = n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::u16string gfstrNameKey(std::string_view name)
{
    // Most names are plain ASCII: one unit each, without decoding.
    std::size_t ascii = 0;
    while (ascii < name.size() && static_cast<unsigned char>(name[ascii]) < 0x80)
        ++ascii;
    std::u16string key(ascii, u'\0');
    for (std::size_t i = 0; i < ascii; ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        key[i] = static_cast<char16_t>(byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte);
    }
    name.remove_prefix(ascii);
    while (!name.empty()) {
        if (const auto byte = static_cast<unsigned char>(name.front()); byte < 0x80) {
            key.push_back(mfchrUpper(byte));
            name.remove_prefix(1);
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = gflngDecodeUtf8(name, codePoint);
        if (length == 0) {
            key.push_back(static_cast<char16_t>(0xDC00u | static_cast<unsigned char>(name[0])));
            name.remove_prefix(1);
            continue;
        }
        name.remove_prefix(length);
        if (codePoint <= 0xFFFF) {
            key.push_back(mfchrUpper(codePoint));
        } else {
            // Surrogate pairs have no case in a one-unit table: they compare as they are.
            const char32_t offset = codePoint - 0x10000;
            key.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            key.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        }
    }
    return key;
}

bool gfblnNameBefore(std::string_view left, std::string_view right)
{
    const std::u16string leftKey = gfstrNameKey(left);
    const std::u16string rightKey = gfstrNameKey(right);
    if (leftKey != rightKey)
        return leftKey < rightKey;
    return left < right;
}

bool gfblnSameName(std::string_view left, std::string_view right)
{
    return gfstrNameKey(left) == gfstrNameKey(right);
}

bool gfblnValidName(std::string_view name) { return mfblnNameOf(name, "\\/<>:\"|?*"); }

bool gfblnEntryName(std::string_view name) { return gfblnValidName(name) && name != "." && name != ".."; }

bool gfblnValidPattern(std::string_view pattern) { return mfblnNameOf(pattern, "\\/<>:\"|"); }

bool gfblnPatternKeyMatches(std::u16string_view patternKey, std::u16string_view nameKey)
{
    // "*" and "*.*" match every name (the walk lists each folder with "*.*").
    if (patternKey == u"*" || patternKey == u"*.*")
        return true;
    if (mfblnGlob(patternKey, nameKey))
        return true;
    // A final ".*" also matches a name without an extension, as a Windows search does.
    return patternKey.size() >= 2 && patternKey.substr(patternKey.size() - 2) == u".*" &&
           nameKey.find(u'.') == std::u16string_view::npos &&
           mfblnGlob(patternKey.substr(0, patternKey.size() - 2), nameKey);
}

bool gfblnPatternKeyMatchesName(std::u16string_view patternKey, std::string_view name)
{
    // A star and then plain ASCII units: the name's last bytes decide, when they are ASCII too
    // (each is then one unit of its key, and only ASCII letters have ASCII upper cases).
    const std::u16string_view suffix = patternKey.empty() ? patternKey : patternKey.substr(1);
    if (!patternKey.empty() && patternKey.front() == u'*' &&
        std::all_of(suffix.begin(), suffix.end(), [](char16_t unit) { return unit < 0x80 && unit != u'*' && unit != u'?'; })) {
        if (name.size() < suffix.size())
            return false;  // fewer bytes than the ending's units: fewer units too
        const std::string_view tail = name.substr(name.size() - suffix.size());
        if (std::all_of(tail.begin(), tail.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return std::equal(tail.begin(), tail.end(), suffix.begin(),
                              [](char c, char16_t unit) { return mfchrUpper(static_cast<unsigned char>(c)) == unit; });
    }
    return gfblnPatternKeyMatches(patternKey, gfstrNameKey(name));
}

bool gfblnPatternMatches(std::string_view pattern, std::string_view name)
{
    return gfblnPatternKeyMatches(gfstrNameKey(pattern), gfstrNameKey(name));
}

} // namespace platform
