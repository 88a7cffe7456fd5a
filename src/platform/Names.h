#pragma once
// Names of folder entries as Windows compares them: without regard to case, by their UTF-16
// units upper-cased one by one, which also gives the order NTFS lists a folder in; which names
// a Windows path can hold; and the wildcard patterns of a folder search. Every host shares
// these rules; only the upper-case mapping of one unit comes from the host (gfchrUpperCaseUnit).

#include <string>
#include <string_view>

namespace platform {

// The collation key of a name: its UTF-16 units, each upper-cased. Bytes that are not valid
// UTF-8 (a host name may hold any bytes) become the units DC80-DCFF, so every name has a
// distinct, stable key.
std::u16string gfstrNameKey(std::string_view name);

// NTFS listing order: by key, and names with equal keys (which only a case-sensitive host can
// hold side by side) by their bytes, so the order is the same on every machine.
bool gfblnNameBefore(std::string_view left, std::string_view right);

// True when the two names are equal without regard to case.
bool gfblnSameName(std::string_view left, std::string_view right);

// True when the name can be one component of a Windows path: 1 to 255 characters (UTF-16
// units, as Windows counts them), no control character and none of \ / < > : " | ? *.
bool gfblnValidName(std::string_view name);

// A valid name that names an entry of its folder: neither "." nor "..".
bool gfblnEntryName(std::string_view name);

// True when the text can be a search pattern: a valid name in which "*" and "?" may also stand.
bool gfblnValidPattern(std::string_view pattern);

// True when `name` matches the wildcard pattern: "*" any run, "?" one character, without
// regard to case; a final ".*" also matches a name without an extension, so "*.*" matches
// every name.
bool gfblnPatternMatches(std::string_view pattern, std::string_view name);

// The same for a pattern and a name already turned into keys (gfstrNameKey), for a caller that
// matches one pattern against many names.
bool gfblnPatternKeyMatches(std::u16string_view patternKey, std::u16string_view nameKey);
// The same for a pattern key and a name as it is; a name whose ending the pattern settles in
// ASCII ("*.package") is matched without making its key.
bool gfblnPatternKeyMatchesName(std::u16string_view patternKey, std::string_view name);

// ---- From the host -------------------------------------------------------------------------

// The simple upper-case mapping of one UTF-16 unit (a unit of the Basic Multilingual Plane,
// not a surrogate): the host's own table, as its file system compares names. A unit whose
// upper case lies outside the plane stays as it is.
char16_t gfchrUpperCaseUnit(char16_t unit);

} // namespace platform
