#pragma once
// Package files: their records, the index-only and whole-package loaders, the identifiers of the
// behaviour resource types, decompression of a resource and the hack-code test.

#include "package/SimsID.h"
#include "platform/FileAccess.h"
#include "platform/Folders.h"

#include <array>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The behaviour resource types and the group that never counts; empty until gsInitTypeIDs runs.
extern SimsID gstrIgnoredGroup;
extern SimsID gstrTypeBHAV;
extern SimsID gstrTypeTTAB;
extern SimsID gstrTypeTTAs;
extern SimsID gstrTypeBCON;

// The 96-byte header, field for field in file order.
struct PackageHeader {
    std::int32_t Signature = 0;
    std::int32_t MajorVersion = 0;
    std::int32_t MinorVersion = 0;
    std::int32_t Reserved1 = 0;
    std::int32_t Reserved2 = 0;
    std::int32_t Reserved3 = 0;
    std::int32_t CreationDate = 0;
    std::int32_t ModificationDate = 0;
    std::int32_t IndexMajorVersion = 0;
    std::int32_t IndexCount = 0;
    std::int32_t IndexOffset = 0;
    std::int32_t IndexSize = 0;
    std::int32_t HoleCount = 0;
    std::int32_t HoleOffset = 0;
    std::int32_t HoleSize = 0;
    std::int32_t IndexMinorVersion = 0;
    std::array<char, 32> Reserved{};  // the reserved bytes
};

struct PackageIndexEntry {
    SimsID TypeID = SimsID::Zero();
    SimsID GroupID = SimsID::Zero();
    SimsID InstanceID = SimsID::Zero();
    SimsID ResourceID = SimsID::Zero(); // read only from 24-byte entries
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
};

struct PackageHole {
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
};

struct PackageResource {
    SimsID TypeID;
    SimsID GroupID;
    SimsID InstanceID;
    SimsID ResourceID;
    std::string_view Data; // the bytes as stored, inside the owning PackageFile's Contents
    std::int32_t Size = 0;
};

// The bytes of a package's resources, read into one block that is never zero-filled first.
struct ResourceBytes {
    std::unique_ptr<char[]> Bytes;
    std::size_t Size = 0;
    const char* data() const { return Bytes.get(); }
    std::size_t size() const { return Size; }
};

// A whole package in memory. The lists keep element 0 unused: entries are 1..size()-1.
// Resource bytes are views into Contents, which copies of the record share.
struct PackageFile {
    PackageHeader Header;
    std::vector<PackageIndexEntry> Index;
    std::vector<PackageHole> Holes;
    std::vector<PackageResource> Resources;
    std::shared_ptr<const ResourceBytes> Contents;
};

// How a loader tells its caller that a package could not be read: its bytes are damaged (a
// count, offset or size pointing outside the file), or the file could not be opened or read (it
// vanished, another program holds it, it is refused, it is no longer a file, the disk failed).
// Number is 0 after a load that met none of these, otherwise the error number and its
// description. None of these reaches the error trap.
struct PackageDamage {
    std::int32_t Number = 0;
    std::string Description;
};

// Upper bound of a list that keeps element 0 unused (-1 for a list never dimensioned).
template <class T>
std::int64_t gflngUBound(const std::vector<T>& list)
{
    return static_cast<std::int64_t>(list.size()) - 1;
}

void gsInitTypeIDs();
SimsID gfstr4HexToSimsID(std::string_view text);

// Reads header and index. An unusable file name (52 on opening) leaves the list with element 0
// only and records nothing; damage is reported through `damage`.
void gsLoadPackageIndexOnly(const std::string& path, std::vector<PackageIndexEntry>& index,
                            PackageDamage& damage);
void gsLoadPackageIndexOnly(const std::string& path, std::vector<PackageIndexEntry>& index);
// The same for a file a folder walk found, opened in its folder without looking that up again.
void gsLoadPackageIndexOnly(const platform::FoundFile& file, std::vector<PackageIndexEntry>& index,
                            PackageDamage& damage);

// A package file as a scan reads it: held open from its index read to its whole load, with the
// header and index bytes the index read fetched (the index in the caller's buffer), which the
// whole load is given again instead of reading them a second time.
struct PackageReading {
    std::optional<platform::InputFile> File;
    std::array<char, 96> Header{};
    bool HaveHeader = false;
    std::int64_t IndexOffset = 0;
    std::string_view Index;  // a view of the index read's buffer
};

// gsLoadPackageIndexOnly followed, when it met no damage, by gfblnHasHackCode on the index it
// read: the same damage, error record and answer, without building the index list, which is
// all a scan asks of most packages. The index's bytes go through `buffer`, kept for the next.
// With `keep`, the open file and the bytes read stay there for gsLoadPackage.
bool gfblnLoadIndexHasHackCode(const platform::FoundFile& file, PackageDamage& damage, std::vector<char>& buffer,
                               PackageReading* keep = nullptr);

// Loads header, index, hole table and every resource's bytes. An empty path reads nothing.
void gsLoadPackage(std::string path, PackageFile& package, PackageDamage& damage);
void gsLoadPackage(std::string path, PackageFile& package);
void gsOpenPackageFile(const std::string& path, PackageFile& package, PackageDamage& damage);
// The same for a file a folder walk found.
void gsLoadPackage(const platform::FoundFile& file, PackageFile& package, PackageDamage& damage);
void gsOpenPackageFile(const platform::FoundFile& file, PackageFile& package, PackageDamage& damage);
// The same from the file and bytes an index read kept (its buffer unchanged since): the same
// package, damage and error record, without opening the file or reading its header and index
// again.
void gsLoadPackage(const platform::FoundFile& file, PackageReading& reading, PackageFile& package,
                   PackageDamage& damage);

// The uncompressed bytes of a resource as stored: compressed ones (10 FB at bytes 4-5) go to
// the RefPack decoder, others come back unchanged; the empty text after a trapped failure.
// A caller that reads only the first `wanted` bytes gets just those (see Decompress).
std::string gfstrDecompressFile(std::string_view data, std::size_t wanted = std::string_view::npos);
// The same, decoded into a buffer the caller keeps from one resource to the next (see
// Decompress): the view returned lies in `buffer`, or in `data` when that is not compressed.
std::string_view gfstrDecompressFile(std::string_view data, std::size_t wanted, std::string& buffer);

// True when the index holds a BHAV, BCON, TTAB or TTAs entry outside the ignored group.
bool gfblnHasHackCode(const std::vector<PackageIndexEntry>& index);
// True for such an entry or resource: the ones the scan's tables take.
bool gfblnIsHackCode(const SimsID& type, const SimsID& group);
