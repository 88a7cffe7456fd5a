#pragma once
// How the Wine model reads the prefix's registry files (system.reg, user.reg): each file is
// read whole once and kept, so a start-up that asks many questions of it reads it once.

#include <cstdint>

namespace platform::wine {

// A registry file is read up to this many bytes; what lies beyond is taken as absent, the line
// the bound cuts included. Real files are a few MiB.
inline constexpr std::uint64_t glngMaxRegistryFileBytes = std::uint64_t{256} << 20;

// How much reading the registry files has cost since the program started: the number of times
// a file was read whole, and the bytes read.
struct RegistryReads {
    std::uint64_t Files = 0;
    std::uint64_t Bytes = 0;
};
RegistryReads gudtRegistryReads();

} // namespace platform::wine
