#include "app/ScanBlocks.h"

#include "platform/LargePages.h"

#include <cstddef>

namespace {

// Every block starts on a cache line, which is more than any record needs.
constexpr std::size_t kAlignment = 64;

} // namespace

ScanBlocks::~ScanBlocks()
{
    for (const Chunk& chunk : chunks_)
        platform::gsFreeLargePages(chunk.Memory, chunk.Bytes);
}

void* ScanBlocks::Allocate(std::size_t bytes)
{
    static_assert(kAlignment >= alignof(std::max_align_t));
    const std::size_t size = platform::gfintLargeChunkBytes(bytes);  // raises for a size no chunk can have
    const std::size_t rounded = (bytes + kAlignment - 1) / kAlignment * kAlignment;  // within `size`
    // The chunk being filled, or the first later one with room: a later one is unused since the
    // last Clear. Chunks passed over stay unused until then.
    for (std::size_t i = current_; i < chunks_.size(); ++i) {
        const std::size_t start = i == current_ ? used_ : 0;
        if (chunks_[i].Bytes - start >= rounded) {
            current_ = i;
            used_ = start + rounded;
            return static_cast<char*>(chunks_[i].Memory) + start;
        }
    }
    chunks_.reserve(chunks_.size() + 1);  // so that the chunk is never lost once allocated
    chunks_.push_back({platform::gpvAllocateLargePages(size), size});
    current_ = chunks_.size() - 1;
    used_ = rounded;
    return chunks_.back().Memory;
}

void ScanBlocks::Clear()
{
    current_ = 0;
    used_ = 0;
}

ScanBlocks& gudtScanBlocks()
{
    static ScanBlocks blocks;
    return blocks;
}
