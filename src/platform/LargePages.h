#pragma once
// Memory for large stores that grow in big steps and live long (a scan's tables), taken from
// the host in whole chunks that it may back with large pages. Where it does, filling a chunk
// costs one page fault instead of one for every 4 KiB, and a scan of tens of thousands of
// packages fills many megabytes of rows, names and lookup slots.

#include <cstddef>

namespace platform {

// The size of a large page, and of the smallest chunk worth asking for.
constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;

// The size of the chunk that holds `bytes`: a whole number of large pages, at least one.
// Raises 7 "Out of memory" for a size no chunk can have.
std::size_t gfintLargeChunkBytes(std::size_t bytes);

// A chunk of gfintLargeChunkBytes(bytes) bytes, zero-filled and aligned to
// kLargePageBytes where the host allows; raises 7 "Out of memory" when the host has none.
void* gpvAllocateLargePages(std::size_t bytes);
// Gives back a chunk of gpvAllocateLargePages with the size it was asked for.
void gsFreeLargePages(void* chunk, std::size_t bytes);

} // namespace platform
