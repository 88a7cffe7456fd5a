#pragma once
// Reading a package's header, index, hole table and resources from its bytes, reading those
// and nothing else: a package padded to any size costs what its tables and resources hold.
// The loaders of modSimsPackage read from a file through these; the fuzzers read from memory.
// Damage (a count, offset or size outside the bytes) raises as the loaders report it: 62 past
// the end, 63 a negative offset, 5 a negative size.

#include "package/modSimsPackage.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Where a package's bytes come from.
class PackageBytes {
public:
    virtual ~PackageBytes() = default;
    virtual std::int64_t Size() const = 0;
    // Fills the whole buffer from `offset`: 63 for a negative offset, 62 when the bytes end first.
    virtual void ReadAt(std::int64_t offset, std::span<char> buffer) = 0;
};

// Bytes already in memory.
class MemoryBytes final : public PackageBytes {
public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    void ReadAt(std::int64_t offset, std::span<char> buffer) override;

private:
    std::string_view bytes_;
};

// The 96-byte header.
PackageHeader gudtReadPackageHeader(PackageBytes& bytes);

// The width of the header's index entries: 24 bytes (with resource IDs) or 20.
std::int64_t gflngIndexEntryWidth(const PackageHeader& header);

// The index's bytes as stored, count entries of gflngIndexEntryWidth bytes (none for a count of
// 0 or less), checked against the size before anything is allocated for them. They are read
// into `buffer`, which grows as needed and is kept for the caller's next package.
std::string_view gfstrReadPackageIndexTable(PackageBytes& bytes, const PackageHeader& header, std::vector<char>& buffer);

// True when an index table as stored names a BHAV, BCON, TTAB or TTAs resource outside the
// ignored group: what gfblnHasHackCode answers for the index read from it.
bool gfblnIndexTableHasHackCode(std::string_view table, std::int64_t width);

// The index the header describes, into elements 1..count (element 0 only for a count of 0 or
// less). The table is checked against the size before anything is allocated for it.
void gsReadPackageIndex(PackageBytes& bytes, const PackageHeader& header, std::vector<PackageIndexEntry>& index);

// The hole table, likewise.
void gsReadPackageHoles(PackageBytes& bytes, const PackageHeader& header, std::vector<PackageHole>& holes);

// One resource per index entry, in index order, each entry checked in turn. The bytes of all
// resources are read once, however often entries name them, into one buffer (package.Contents)
// of which each resource's Data is a view; the buffer holds the union of their ranges.
void gsReadPackageResources(PackageBytes& bytes, PackageFile& package);
