#pragma once
// The 32-bit millisecond clock: milliseconds since the system started, wrapping at 2^32.

#include <cstdint>
#include <functional>

namespace platform {

std::uint32_t gflngTimeGetTime();

// Replaces the clock (tests use a fake one); an empty function restores the real clock.
void gsSetClock(std::function<std::uint32_t()> clock);

// From the host: the real clock, milliseconds since the system started, wrapping at 2^32.
std::uint32_t gflngHostTickCount();

} // namespace platform
