#pragma once
// Writes package files for tests, the sample game and benchmarks: a 96-byte header, the
// resources' bytes, the index (20- or 24-byte entries) and the hole table, with every field
// open to being overwritten afterwards to make damaged packages.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace writer {

// Type identifiers by the 32-bit value of their conventional text form.
constexpr std::uint32_t kTypeBHAV = 0x42484156;
constexpr std::uint32_t kTypeBCON = 0x42434F4E;
constexpr std::uint32_t kTypeTTAB = 0x54544142;
constexpr std::uint32_t kTypeTTAs = 0x54544173;
constexpr std::uint32_t kTypeOBJD = 0x4F424A44;
constexpr std::uint32_t kTypeSTR = 0x53545223;
constexpr std::uint32_t kTypeCompressionDirectory = 0xE86B1EEF;
constexpr std::uint32_t kIgnoredGroup = 0xFFFFFFFF;

// Byte offsets of the header fields the loaders use.
constexpr std::size_t kIndexCountField = 36;
constexpr std::size_t kIndexOffsetField = 40;
constexpr std::size_t kIndexSizeField = 44;
constexpr std::size_t kHoleCountField = 48;
constexpr std::size_t kHoleOffsetField = 52;
constexpr std::size_t kHoleSizeField = 56;
constexpr std::size_t kIndexMinorVersionField = 60;

struct Resource {
    std::uint32_t Type = 0;
    std::uint32_t Group = 0;
    std::uint32_t Instance = 0;
    std::uint32_t ResourceId = 0;
    std::string Data;       // the bytes as they should be read back after decompression
    bool Compress = false;  // store them RefPack-compressed
};

struct PackagePlan {
    std::int32_t IndexMinorVersion = 2;
    std::vector<Resource> Resources;
    std::vector<std::pair<std::int32_t, std::int32_t>> Holes; // offset, size
};

// A written package and where its parts landed.
struct BuiltPackage {
    std::string Bytes;
    std::size_t IndexOffset = 0;
    std::size_t EntryWidth = 0;
    std::size_t HoleOffset = 0;
    std::vector<std::size_t> ResourceOffsets; // where each resource's stored bytes start
    std::vector<std::string> StoredData;      // each resource's bytes as stored

    // Offset of a field of index entry i (counting from 0): 0 type, 4 group, 8 instance,
    // then resource ID (24-byte entries only), offset and size.
    std::size_t EntryField(std::size_t entry, std::size_t fieldOffset) const
    {
        return IndexOffset + entry * EntryWidth + fieldOffset;
    }
    std::size_t OffsetField(std::size_t entry) const { return EntryField(entry, EntryWidth - 8); }
    std::size_t SizeField(std::size_t entry) const { return EntryField(entry, EntryWidth - 4); }
};

// Header, then the resources in order, then the index, then the hole table.
BuiltPackage gudtBuildPackage(const PackagePlan& plan);

// Overwrites 4 bytes at `offset` with a little-endian number.
void gsPatchInt32(std::string& bytes, std::size_t offset, std::int32_t value);

// A behaviour resource body: the name in a 64-byte name field (NUL-padded; a name of 64 bytes
// or more fills it without NUL), then `bodySize` bytes of made-up content.
std::string gfstrBehaviourBody(std::string_view name, std::size_t bodySize = 32);

// The 4 bytes of an identifier in file order, least significant first.
std::string gfstrIdBytes(std::uint32_t value);

} // namespace writer
