#include "platform/Clock.h"

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
    return gflngHostTickCount();
}

void gsSetClock(std::function<std::uint32_t()> clock) { mudtClock() = std::move(clock); }

} // namespace platform
