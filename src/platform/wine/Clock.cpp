#include "platform/Clock.h"

#include <ctime>

namespace platform {

std::uint32_t gflngHostTickCount()
{
    // The monotonic clock counts from system start and never jumps with the wall clock.
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(milliseconds);  // wraps at 2^32, about every 49.7 days
}

} // namespace platform
