#include "platform/LargePages.h"

#include "errors/Failure.h"

#include <windows.h>

namespace platform {

// Large pages on Windows need a privilege players' accounts do not hold, so a chunk is of
// ordinary pages, committed at once; the system backs each page when it is first written.
void* gpvAllocateLargePages(std::size_t bytes)
{
    void* const chunk = ::VirtualAlloc(nullptr, gfintLargeChunkBytes(bytes), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!chunk)
        gsRaise(errOutOfMemory);
    return chunk;
}

void gsFreeLargePages(void* chunk, std::size_t /*bytes*/)
{
    if (chunk)
        ::VirtualFree(chunk, 0, MEM_RELEASE);
}

} // namespace platform
