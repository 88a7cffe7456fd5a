#include "platform/Clock.h"

#include <ctime>
#include <utility>

namespace platform {

namespace {

std::function<std::uint32_t()>& mudtClock()
{
    static std::function<std::uint32_t()> clock;
    return clock;
}

} // namespace

std::uint32_t gflngTimeGetTime()
{
    if (const auto& clock = mudtClock())
        return clock();
    // The monotonic clock counts from system start and never jumps with the wall clock.
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(milliseconds);  // wraps at 2^32, about every 49.7 days
}

void gsSetClock(std::function<std::uint32_t()> clock) { mudtClock() = std::move(clock); }

} // namespace platform
