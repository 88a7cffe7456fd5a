#pragma once
// The memory of the scan's tables: their rows and the names in the scan's text store. They
// grow in blocks that are all let go together when the next scan starts, so they are carved one
// after another from chunks the host may back with large pages (platform/LargePages): a scan of
// tens of thousands of packages fills many megabytes of them, and each small page first written
// costs a page fault.

#include <cstddef>
#include <vector>

class ScanBlocks {
public:
    ScanBlocks() = default;
    ~ScanBlocks();
    ScanBlocks(const ScanBlocks&) = delete;
    ScanBlocks& operator=(const ScanBlocks&) = delete;

    // Room for `bytes` bytes, aligned for any record, its contents unset; it never moves and
    // stays until Clear. Raises 7 "Out of memory" when the host has none.
    void* Allocate(std::size_t bytes);
    // Every block is free again; the chunks are kept for the next scan.
    void Clear();

private:
    struct Chunk {
        void* Memory = nullptr;
        std::size_t Bytes = 0;
    };
    std::vector<Chunk> chunks_;
    std::size_t current_ = 0;  // the chunk being filled; chunks after it are unused
    std::size_t used_ = 0;     // bytes of it given out
};

// The blocks of the scan's tables and text store; cleared where a scan starts, before them.
ScanBlocks& gudtScanBlocks();
