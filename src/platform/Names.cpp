#include "platform/Names.h"

#include "platform/Utf8.h"

#include <algorithm>

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

// The length of a name in UTF-16 units, as Windows counts it: two for a character past U+FFFF,
// one for any other character and for each byte that is not UTF-8.
std::size_t mflngUtf16Length(std::string_view name)
{
    std::size_t units = 0;
    while (!name.empty()) {
        // Most names are plain ASCII: one unit each, without decoding.
        if (static_cast<unsigned char>(name.front()) < 0x80) {
            ++units;
            name.remove_prefix(1);
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = gflngDecodeUtf8(name, codePoint);
        units += length != 0 && codePoint > 0xFFFF ? 2 : 1;
        name.remove_prefix(length != 0 ? length : 1);
    }
    return units;
}

// True when the name holds no control character and none of `forbidden`, and is 1 to 255
// characters (UTF-16 units) long.
bool mfblnNameOf(std::string_view name, std::string_view forbidden)
{
    if (name.empty() || name.size() > 4 * 255 || mflngUtf16Length(name) > 255)
        return false;
    return std::none_of(name.begin(), name.end(), [forbidden](char c) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20)
            return true;
        // Letters, digits and bytes past ASCII are never forbidden: most bytes end here.
        if (byte >= 0x80 || (byte >= '0' && byte <= '9') || ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z'))
            return false;
        return forbidden.find(c) != std::string_view::npos;
    });
}

// "*" matches any run of units, "?" exactly one. Greedy with one remembered star: the work is
// at most pattern length times name length, whatever the pattern.
bool mfblnGlob(std::u16string_view pattern, std::u16string_view name)
{
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
    std::u16string key;
    key.reserve(name.size());
    while (!name.empty()) {
        // Most names are plain ASCII: one unit each, without decoding.
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
    if (mfblnGlob(patternKey, nameKey))
        return true;
    // A final ".*" also matches a name without an extension, as a Windows search does.
    return patternKey.size() >= 2 && patternKey.substr(patternKey.size() - 2) == u".*" &&
           nameKey.find(u'.') == std::u16string_view::npos &&
           mfblnGlob(patternKey.substr(0, patternKey.size() - 2), nameKey);
}

bool gfblnPatternMatches(std::string_view pattern, std::string_view name)
{
    return gfblnPatternKeyMatches(gfstrNameKey(pattern), gfstrNameKey(name));
}

} // namespace platform
