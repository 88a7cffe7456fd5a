#include "platform/LargePages.h"

#include "errors/Failure.h"

#include <cstdint>

namespace platform {

std::size_t gfintLargeChunkBytes(std::size_t bytes)
{
    // No host has a quarter of the address space to give; beyond, the sums below could wrap.
    if (bytes > SIZE_MAX / 4)
        gsRaise(errOutOfMemory);
    return bytes == 0 ? kLargePageBytes : (bytes + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes;
}

} // namespace platform
