#pragma once
// The program's title, version (set by the build) and copyright notice.

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kAppTitle = "Clashwick";
inline constexpr std::string_view kAppCopyright = "Copyright (c) 2026 the Clashwick developers";

struct AppVersion {
    std::int32_t Major;
    std::int32_t Minor;
    std::int32_t Revision;
};

inline constexpr AppVersion kAppVersion{CLASHWICK_VERSION_MAJOR, CLASHWICK_VERSION_MINOR, CLASHWICK_VERSION_REVISION};

// A version number as the pattern "00" formats it: at least two digits, a leading zero before a
// single digit, three or more digits in full.
inline std::string gfstrVersionDigits(std::int32_t number)
{
    const std::string text = std::to_string(number);
    return text.size() < 2 ? "0" + text : text;
}

// The version as the error report and `clashwick-scan --version` write it: the major number in
// full, the minor number and revision as gfstrVersionDigits writes them ("1.00.00").
inline std::string gfstrVersionText(const AppVersion& version)
{
    return std::to_string(version.Major) + "." + gfstrVersionDigits(version.Minor) + "." +
           gfstrVersionDigits(version.Revision);
}
