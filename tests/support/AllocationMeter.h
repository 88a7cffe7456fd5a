#pragma once
// Counts the bytes held through operator new, so tests can prove a loader never allocates
// from a count or size that the file cannot hold.

#include <cstddef>

namespace testsupport {

class AllocationMeter {
public:
    AllocationMeter();                 // starts measuring from the bytes held now
    std::size_t PeakBytes() const;     // the most held above the start, so far
};

} // namespace testsupport
