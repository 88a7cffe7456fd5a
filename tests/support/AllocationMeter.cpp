#include "support/AllocationMeter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include <malloc.h>

namespace {

// The size of a block as the allocator holds it.
std::size_t mflngBlockSize(void* block)
{
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

std::atomic<std::size_t> gHeld{0};
std::atomic<std::size_t> gPeak{0};

void* msAllocate(std::size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block)
        throw std::bad_alloc();
    const std::size_t held = gHeld += mflngBlockSize(block);
    std::size_t peak = gPeak.load();
    while (held > peak && !gPeak.compare_exchange_weak(peak, held)) {
    }
    return block;
}

void msRelease(void* block) noexcept
{
    if (!block)
        return;
    gHeld -= mflngBlockSize(block);
    std::free(block);
}

std::size_t gStart = 0;

} // namespace

void* operator new(std::size_t size) { return msAllocate(size); }
void* operator new[](std::size_t size) { return msAllocate(size); }
void operator delete(void* block) noexcept { msRelease(block); }
void operator delete[](void* block) noexcept { msRelease(block); }
void operator delete(void* block, std::size_t) noexcept { msRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { msRelease(block); }
// The library's temporary buffers (std::stable_sort's) come from the nothrow forms: they must
// count, and be given back, through the same allocator.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return msAllocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block, const std::nothrow_t&) noexcept { msRelease(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { msRelease(block); }

namespace testsupport {

AllocationMeter::AllocationMeter()
{
    gStart = gHeld.load();
    gPeak = gStart;
}

std::size_t AllocationMeter::PeakBytes() const
{
    const std::size_t peak = gPeak.load();
    return peak > gStart ? peak - gStart : 0;
}

} // namespace testsupport
