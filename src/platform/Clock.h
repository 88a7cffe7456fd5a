#pragma once
// The 32-bit millisecond clock: milliseconds since the system started, wrapping at 2^32.

#include <cstdint>
#include <functional>

namespace platform {

std::uint32_t gflngTimeGetTime();

// Replaces the clock (tests use a fake one); an empty function restores the real clock.
void gsSetClock(std::function<std::uint32_t()> clock);

} // namespace platform
