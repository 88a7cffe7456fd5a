#include "platform/Clock.h"

#include <windows.h>

namespace platform {

std::uint32_t gflngHostTickCount()
{
    // Milliseconds since the system started; wraps at 2^32, about every 49.7 days.
    return ::GetTickCount();
}

} // namespace platform
