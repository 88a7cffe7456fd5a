#include "package/PackageReader.h"

#include "errors/Assert.h"
#include "errors/Failure.h"
#include "package/ByteReader.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

namespace {

constexpr std::int64_t kHeaderSize = 96;
constexpr std::int64_t kHoleEntrySize = 8;
// A table up to this size is allocated and read without asking the length of the package
// first: the read itself fails past the end, and the allocation is small whatever the count
// says. A larger table is checked against the length before anything is allocated for it.
constexpr std::int64_t kTableReadUnchecked = 64 * 1024;

// Checks that `count` records of `width` bytes from `offset` lie inside `size` bytes before
// anything is allocated for them: a negative offset is a bad seek (63), a table running past
// the end a read past the end (62). A count of 0 or less reads nothing, but still seeks.
void msCheckTable(std::int64_t offset, std::int32_t count, std::int64_t width, std::int64_t size)
{
    if (offset < 0)
        gsRaiseDamaged(errBadRecord);
    if (count > 0 && offset + count * width > size)
        gsRaiseDamaged(errPastEnd);
}

// The bytes of a table msCheckTable has passed.
std::string mfstrReadTable(PackageBytes& bytes, std::int64_t offset, std::int32_t count, std::int64_t width)
{
    std::string table(static_cast<std::size_t>(count * width), '\0');
    bytes.ReadAt(offset, table);
    return table;
}

// A byte range of the package that resources lie in, and where it sits in the buffer.
struct Range {
    std::int64_t Offset = 0;
    std::int64_t End = 0;
    std::size_t Position = 0;
};

// The resources' ranges merged where they overlap or touch, in file order.
std::vector<Range> mudtMergedRanges(std::vector<Range> ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.Offset < b.Offset; });
    std::vector<Range> merged;
    std::size_t position = 0;
    for (const Range& range : ranges) {
        if (!merged.empty() && range.Offset <= merged.back().End) {
            if (range.End > merged.back().End) {
                position += static_cast<std::size_t>(range.End - merged.back().End);
                merged.back().End = range.End;
            }
            continue;
        }
        merged.push_back({range.Offset, range.End, position});
        position += static_cast<std::size_t>(range.End - range.Offset);
    }
    return merged;
}

} // namespace

void MemoryBytes::ReadAt(std::int64_t offset, std::span<char> buffer)
{
    if (offset < 0)
        gsRaiseDamaged(errBadRecord);
    if (offset > Size() || buffer.size() > static_cast<std::uint64_t>(Size() - offset))
        gsRaiseDamaged(errPastEnd);
    std::copy_n(bytes_.data() + offset, buffer.size(), buffer.data());
}

PackageHeader gudtReadPackageHeader(PackageBytes& bytes)
{
    std::array<char, kHeaderSize> headerBytes{};
    bytes.ReadAt(0, headerBytes);  // a package shorter than its header fails here with 62
    ByteReader reader(std::string_view(headerBytes.data(), headerBytes.size()));
    PackageHeader header;
    for (std::int32_t* field :
         {&header.Signature, &header.MajorVersion, &header.MinorVersion, &header.Reserved1, &header.Reserved2,
          &header.Reserved3, &header.CreationDate, &header.ModificationDate, &header.IndexMajorVersion,
          &header.IndexCount, &header.IndexOffset, &header.IndexSize, &header.HoleCount, &header.HoleOffset,
          &header.HoleSize, &header.IndexMinorVersion})
        *field = reader.Int32();
    const std::string_view reserved = reader.Bytes(header.Reserved.size());
    std::copy(reserved.begin(), reserved.end(), header.Reserved.begin());
    return header;
}

std::int64_t gflngIndexEntryWidth(const PackageHeader& header) { return header.IndexMinorVersion == 2 ? 24 : 20; }

std::string_view gfstrReadPackageIndexTable(PackageBytes& bytes, const PackageHeader& header, std::vector<char>& buffer)
{
    const std::int64_t width = gflngIndexEntryWidth(header);
    if (header.IndexOffset < 0)
        gsRaiseDamaged(errBadRecord);
    if (header.IndexCount <= 0)
        return {};
    if (header.IndexCount * width > kTableReadUnchecked)
        msCheckTable(header.IndexOffset, header.IndexCount, width, bytes.Size());
    // The whole index in one read, bounded by the package's size or by kTableReadUnchecked.
    const auto size = static_cast<std::size_t>(header.IndexCount * width);
    if (buffer.size() < size)
        buffer.resize(size);
    bytes.ReadAt(header.IndexOffset, std::span<char>(buffer.data(), size));
    return {buffer.data(), size};
}

bool gfblnIndexTableHasHackCode(std::string_view table, std::int64_t width)
{
    if (width < 8)
        return false;
    // Identifiers compare as their 32-bit keys: type and group are the first 8 bytes of an entry.
    const std::uint32_t bhav = gstrTypeBHAV.Key();
    const std::uint32_t bcon = gstrTypeBCON.Key();
    const std::uint32_t ttab = gstrTypeTTAB.Key();
    const std::uint32_t ttas = gstrTypeTTAs.Key();
    const std::uint32_t ignored = gstrIgnoredGroup.Key();
    // Unset identifiers (before gsInitTypeIDs) equal nothing read from a file.
    if (gstrTypeBHAV.Empty() || gstrTypeBCON.Empty() || gstrTypeTTAB.Empty() || gstrTypeTTAs.Empty())
        return false;
    const bool ignoring = !gstrIgnoredGroup.Empty();
    ByteReader reader(table);
    while (reader.Remaining() >= static_cast<std::uint64_t>(width)) {
        ByteReader entry(reader.Bytes(static_cast<std::uint64_t>(width)));
        const auto type = static_cast<std::uint32_t>(entry.Int32());
        if ((type == bhav || type == bcon || type == ttab || type == ttas) &&
            !(ignoring && static_cast<std::uint32_t>(entry.Int32()) == ignored))
            return true;
    }
    return false;
}

void gsReadPackageIndex(PackageBytes& bytes, const PackageHeader& header, std::vector<PackageIndexEntry>& index)
{
    index.assign(1, PackageIndexEntry{});
    std::vector<char> buffer;
    const std::string_view table = gfstrReadPackageIndexTable(bytes, header, buffer);
    if (table.empty())
        return;
    const std::int64_t width = gflngIndexEntryWidth(header);
    ByteReader reader(table);
    index.resize(static_cast<std::size_t>(header.IndexCount) + 1);
    const bool withResourceID = header.IndexMinorVersion == 2;
    for (std::size_t i = 1; i < index.size(); ++i) {
        // One bounds check for the whole entry; its fields are then read from a reader of the
        // entry's own bytes, whose checks the compiler can settle from the width alone.
        ByteReader fields(reader.Bytes(static_cast<std::uint64_t>(width)));
        PackageIndexEntry& entry = index[i];
        entry.TypeID = fields.Id();
        entry.GroupID = fields.Id();
        entry.InstanceID = fields.Id();
        if (withResourceID)
            entry.ResourceID = fields.Id();
        entry.Offset = fields.Int32();
        entry.Size = fields.Int32();
    }
}

void gsReadPackageHoles(PackageBytes& bytes, const PackageHeader& header, std::vector<PackageHole>& holes)
{
    holes.assign(1, PackageHole{});
    msCheckTable(header.HoleOffset, header.HoleCount, kHoleEntrySize, bytes.Size());
    if (header.HoleCount <= 0)
        return;
    const std::string table = mfstrReadTable(bytes, header.HoleOffset, header.HoleCount, kHoleEntrySize);
    ByteReader reader(table);
    holes.resize(static_cast<std::size_t>(header.HoleCount) + 1);
    for (std::size_t i = 1; i < holes.size(); ++i) {
        holes[i].Offset = reader.Int32();
        holes[i].Size = reader.Int32();
    }
}

void gsReadPackageResources(PackageBytes& bytes, PackageFile& package)
{
    package.Resources.assign(package.Index.size(), PackageResource{});
    const std::int64_t size = bytes.Size();
    // Each entry is checked in index order, so the first damaged entry decides the error.
    std::vector<Range> ranges;
    for (std::size_t i = 1; i < package.Index.size(); ++i) {
        const PackageIndexEntry& entry = package.Index[i];
        PackageResource& resource = package.Resources[i];
        resource.TypeID = entry.TypeID;
        resource.GroupID = entry.GroupID;
        resource.InstanceID = entry.InstanceID;
        resource.ResourceID = entry.ResourceID;
        if (entry.Offset < 0)
            gsRaiseDamaged(errBadRecord);  // a seek to a negative position
        if (entry.Size < 0)
            gsRaiseDamaged(errInvalidCall);  // no length that a read could take
        // An empty resource reads nothing, wherever it points.
        if (entry.Size > 0 && (entry.Offset >= size || entry.Size > size - entry.Offset))
            gsRaiseDamaged(errPastEnd);
        resource.Size = entry.Size;
        if (entry.Size > 0)
            ranges.push_back({entry.Offset, std::int64_t{entry.Offset} + entry.Size, 0});
    }

    const std::vector<Range> merged = mudtMergedRanges(ranges);
    std::size_t total = 0;
    for (const Range& range : merged)
        total += static_cast<std::size_t>(range.End - range.Offset);
    // Every range lies inside the package and they do not overlap: the buffer is no larger.
    CLASHWICK_ASSERT(static_cast<std::int64_t>(total) <= size);
    auto contents = std::make_shared<ResourceBytes>();
    // Every byte is read over before anything reads it.
    contents->Bytes = std::make_unique_for_overwrite<char[]>(total);
    contents->Size = total;
    for (const Range& range : merged)
        bytes.ReadAt(range.Offset, std::span<char>(contents->Bytes.get() + range.Position,
                                                   static_cast<std::size_t>(range.End - range.Offset)));

    for (std::size_t i = 1; i < package.Resources.size(); ++i) {
        PackageResource& resource = package.Resources[i];
        if (resource.Size <= 0)
            continue;
        const std::int64_t offset = package.Index[i].Offset;
        // The merged range that holds this resource: the last one starting at or before it.
        const auto holder = std::prev(std::upper_bound(merged.begin(), merged.end(), offset,
                                                       [](std::int64_t value, const Range& range) {
                                                           return value < range.Offset;
                                                       }));
        CLASHWICK_ASSERT(holder->Offset <= offset && offset + resource.Size <= holder->End);
        resource.Data = std::string_view(contents->data() + holder->Position + static_cast<std::size_t>(offset - holder->Offset),
                                         static_cast<std::size_t>(resource.Size));
    }
    package.Contents = std::move(contents);
}
