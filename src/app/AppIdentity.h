#pragma once
// The program's title, version (set by the build) and copyright notice.

#include <cstdint>
#include <string_view>

inline constexpr std::string_view kAppTitle = "Clashwick";
inline constexpr std::string_view kAppCopyright = "Copyright (c) 2026 the Clashwick developers";

struct AppVersion {
    std::int32_t Major;
    std::int32_t Minor;
    std::int32_t Revision;
};

inline constexpr AppVersion kAppVersion{CLASHWICK_VERSION_MAJOR, CLASHWICK_VERSION_MINOR, CLASHWICK_VERSION_REVISION};
