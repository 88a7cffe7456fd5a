#include "platform/LargePages.h"

#include "errors/Failure.h"

#include <cstdint>

#include <sys/mman.h>

namespace platform {

void* gpvAllocateLargePages(std::size_t bytes)
{
    const std::size_t length = gfintLargeChunkBytes(bytes);
    // One large page more than asked, so that an aligned chunk lies inside; the rest goes back.
    // A large page only backs a whole aligned 2 MiB of a mapping.
    void* const mapped = ::mmap(nullptr, length + kLargePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        gsRaise(errOutOfMemory);
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes;
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + length + kLargePageBytes - (aligned + length); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    // Only a hint: a host without large pages, or with them turned off, gives small ones.
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void gsFreeLargePages(void* chunk, std::size_t bytes)
{
    if (chunk)
        ::munmap(chunk, gfintLargeChunkBytes(bytes));
}

} // namespace platform
