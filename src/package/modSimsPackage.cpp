#include "package/modSimsPackage.h"

#include "errors/modErrorTrap.h"
#include "package/ByteReader.h"
#include "package/modBinarySupport.h"
#include "package/Decompress.h"
#include "platform/FileAccess.h"

#include <array>

SimsID gstrIgnoredGroup;
SimsID gstrTypeBHAV;
SimsID gstrTypeTTAB;
SimsID gstrTypeTTAs;
SimsID gstrTypeBCON;

namespace {

constexpr std::string_view kModule = "modSimsPackage";
constexpr std::int64_t kHeaderSize = 96;
constexpr std::int64_t kHoleEntrySize = 8;

std::int64_t mflngEntryWidth(const PackageHeader& header) { return header.IndexMinorVersion == 2 ? 24 : 20; }

PackageHeader mudtReadHeader(ByteReader& reader)
{
    PackageHeader header;
    for (std::int32_t* field :
         {&header.Signature, &header.MajorVersion, &header.MinorVersion, &header.Reserved1, &header.Reserved2,
          &header.Reserved3, &header.CreationDate, &header.ModificationDate, &header.IndexMajorVersion,
          &header.IndexCount, &header.IndexOffset, &header.IndexSize, &header.HoleCount, &header.HoleOffset,
          &header.HoleSize, &header.IndexMinorVersion})
        *field = reader.Int32();
    header.Reserved = std::string(reader.Bytes(32));
    return header;
}

// Checks that `count` records of `width` bytes from `offset` lie inside a file of `fileSize`
// bytes before anything is allocated for them: a negative offset is a bad seek (63), a table
// running past the end a read past the end (62). A count of 0 or less reads nothing.
void msCheckTable(std::int64_t offset, std::int32_t count, std::int64_t width, std::int64_t fileSize)
{
    if (offset < 0)
        gsRaiseDamaged(errBadRecord);
    if (count > 0 && offset + count * width > fileSize)
        gsRaiseDamaged(errPastEnd);
}

// Reads `count` index entries from the reader's position into elements 1..count.
void msReadIndexEntries(ByteReader& reader, const PackageHeader& header, std::vector<PackageIndexEntry>& index)
{
    index.assign(1, PackageIndexEntry{});
    if (header.IndexCount <= 0)
        return;
    index.resize(static_cast<std::size_t>(header.IndexCount) + 1);
    const bool withResourceID = header.IndexMinorVersion == 2;
    const auto width = static_cast<std::uint64_t>(mflngEntryWidth(header));
    for (std::size_t i = 1; i < index.size(); ++i) {
        // One bounds check for the whole entry; its fields are then read from a reader of the
        // entry's own bytes, whose checks the compiler can settle from the width alone.
        ByteReader fields(reader.Bytes(width));
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

bool mfblnIsDamage(const Failure& failure)
{
    // A file that ends before its own tables, read through the file rather than the reader, is
    // damaged all the same.
    return failure.IsDamage() || failure.Number() == errPastEnd || failure.Number() == errBadRecord;
}

// The handler of the two package readers: damage goes to the caller, everything else to the
// trap. The error globals keep the location code and file name of the failing step.
void msHandleLoadFailure(const Failure& failure, std::string_view procedure, PackageDamage& damage)
{
    if (mfblnIsDamage(failure)) {
        damage.Number = failure.Number();
        damage.Description = failure.Description();
        return;
    }
    gsTrapFailure(failure, kModule, procedure);
}

} // namespace

SimsID gfstr4HexToSimsID(std::string_view text)
{
    SimsID result;
    gfblnRunHandled(kModule, "gfstr4HexToSimsID", [&] {
        glngErrLocation = 1000;
        if (text.size() < 8)
            return;
        std::array<char, 4> bytes{};
        // The last pair of digits is the first byte in file order.
        for (std::size_t piece = 0; piece < 4; ++piece)
            bytes[3 - piece] = static_cast<char>(gflngHexToLong(text.substr(piece * 2, 2)));
        result = SimsID::FromBytes(std::string_view(bytes.data(), bytes.size()));
    });
    return result;
}

void gsInitTypeIDs()
{
    gstrIgnoredGroup = gfstr4HexToSimsID("FFFFFFFF");
    gstrTypeBHAV = gfstr4HexToSimsID("42484156");
    gstrTypeTTAB = gfstr4HexToSimsID("54544142");
    gstrTypeTTAs = gfstr4HexToSimsID("54544173");
    gstrTypeBCON = gfstr4HexToSimsID("42434F4E");
}

void gsLoadPackageIndexOnly(const std::string& path, std::vector<PackageIndexEntry>& index, PackageDamage& damage)
{
    gsLoadPackageIndexOnly(platform::FoundFile{path, nullptr, {}}, index, damage);
}

void gsLoadPackageIndexOnly(const platform::FoundFile& file, std::vector<PackageIndexEntry>& index,
                            PackageDamage& damage)
{
    const std::string& path = file.Path;
    damage = {};
    try {
        glngErrLocation = 1000;
        index.assign(1, PackageIndexEntry{});
        glngErrLocation = 2000;
        gstrErrData = "Filename = " + path;
        glngErrLocation = 2500;
        platform::InputFile input(file);
        glngErrLocation = 3000;
        std::array<char, kHeaderSize> headerBytes{};
        if (input.Size() < kHeaderSize)
            gsRaiseDamaged(errPastEnd);
        input.ReadAt(0, headerBytes);
        ByteReader headerReader(std::string_view(headerBytes.data(), headerBytes.size()));
        const PackageHeader header = mudtReadHeader(headerReader);
        glngErrLocation = 4000;
        const std::int64_t width = mflngEntryWidth(header);
        msCheckTable(header.IndexOffset, header.IndexCount, width, input.Size());
        if (header.IndexCount > 0) {
            // The whole index in one read; msCheckTable bounded its size by the file's.
            std::string indexBytes(static_cast<std::size_t>(header.IndexCount * width), '\0');
            input.ReadAt(header.IndexOffset, indexBytes);
            ByteReader indexReader(indexBytes);
            msReadIndexEntries(indexReader, header, index);
        }
        gstrErrData.clear();
    } catch (...) {
        const Failure failure = gudtCaughtFailure();
        // An unusable file name is passed over without a trace; the list holds element 0 only.
        if (glngErrLocation == 2500 && failure.Number() == errBadFileName)
            return;
        msHandleLoadFailure(failure, "gsLoadPackageIndexOnly", damage);
    }
}

void gsLoadPackageIndexOnly(const std::string& path, std::vector<PackageIndexEntry>& index)
{
    PackageDamage ignored;
    gsLoadPackageIndexOnly(path, index, ignored);
}

void gsLoadPackage(std::string path, PackageFile& package, PackageDamage& damage)
{
    gsLoadPackage(platform::FoundFile{std::move(path), nullptr, {}}, package, damage);
}

void gsLoadPackage(const platform::FoundFile& file, PackageFile& package, PackageDamage& damage)
{
    damage = {};
    gfblnRunHandled(kModule, "gsLoadPackage", [&] {
        glngErrLocation = 1000;
        if (file.Path.empty())
            return;
        gsOpenPackageFile(file, package, damage);
    });
}

void gsLoadPackage(std::string path, PackageFile& package)
{
    PackageDamage ignored;
    gsLoadPackage(std::move(path), package, ignored);
}

void gsOpenPackageFile(const std::string& path, PackageFile& package, PackageDamage& damage)
{
    gsOpenPackageFile(platform::FoundFile{path, nullptr, {}}, package, damage);
}

void gsOpenPackageFile(const platform::FoundFile& file, PackageFile& package, PackageDamage& damage)
{
    const std::string& path = file.Path;
    damage = {};
    try {
        glngErrLocation = 1000;
        gstrErrData = "Filename = " + path;
        // The lists of an earlier package never survive into this one, whatever the counts.
        package.Index.assign(1, PackageIndexEntry{});
        package.Holes.assign(1, PackageHole{});
        package.Resources.assign(1, PackageResource{});
        platform::InputFile input(file);

        glngErrLocation = 2000;
        // One read of the whole file; every table and resource is then a view into it.
        auto contents = std::make_shared<const std::string>(input.ReadAll());
        package.Contents = contents;
        const std::int64_t fileSize = static_cast<std::int64_t>(contents->size());
        ByteReader reader(*contents);
        package.Header = mudtReadHeader(reader);
        const PackageHeader& header = package.Header;

        glngErrLocation = 3000;
        msCheckTable(header.IndexOffset, header.IndexCount, mflngEntryWidth(header), fileSize);
        reader.Seek(header.IndexOffset);
        msReadIndexEntries(reader, header, package.Index);

        glngErrLocation = 4000;
        msCheckTable(header.HoleOffset, header.HoleCount, kHoleEntrySize, fileSize);
        reader.Seek(header.HoleOffset);
        if (header.HoleCount > 0) {
            package.Holes.resize(static_cast<std::size_t>(header.HoleCount) + 1);
            for (std::size_t i = 1; i < package.Holes.size(); ++i) {
                package.Holes[i].Offset = reader.Int32();
                package.Holes[i].Size = reader.Int32();
            }
        }

        glngErrLocation = 5000;
        package.Resources.resize(package.Index.size());
        for (std::size_t i = 1; i < package.Index.size(); ++i) {
            const PackageIndexEntry& entry = package.Index[i];
            PackageResource& resource = package.Resources[i];
            resource.TypeID = entry.TypeID;
            resource.GroupID = entry.GroupID;
            resource.InstanceID = entry.InstanceID;
            resource.ResourceID = entry.ResourceID;
            reader.Seek(entry.Offset);
            // A negative size is no length that a read could take.
            if (entry.Size < 0)
                gsRaiseDamaged(errInvalidCall);
            resource.Data = reader.Bytes(static_cast<std::uint64_t>(entry.Size));
            resource.Size = entry.Size;
        }
        gstrErrData.clear();
    } catch (...) {
        msHandleLoadFailure(gudtCaughtFailure(), "gsOpenPackageFile", damage);
    }
}

std::string gfstrDecompressFile(std::string_view data, std::size_t wanted)
{
    std::string result;
    gfblnRunHandled(kModule, "gfstrDecompressFile", [&] {
        // DecompError.log is removed where a scan starts (gsRemoveDecompressionLog), not here:
        // our decoder never writes it.
        glngErrLocation = 1000;
        glngErrLocation = 2000;
        glngErrLocation = 3000;
        // The compression signature sits at bytes 4 and 5 of the stored resource.
        if (data.size() >= 6 && data.substr(4, 2) == gfstrHexToBin("FB10"))
            result = Decompress(data, wanted);
        else
            result = std::string(data.substr(0, wanted));
        glngErrLocation = 4000;
    });
    return result;
}

bool gfblnHasHackCode(const std::vector<PackageIndexEntry>& index)
{
    bool result = false;
    gfblnRunHandled(kModule, "gfblnHasHackCode", [&] {
        glngErrLocation = 1000;
        // A list never dimensioned has no upper bound at all.
        if (index.empty())
            gsRaise(errSubscript);
        for (std::size_t i = 1; i < index.size(); ++i) {
            const SimsID& type = index[i].TypeID;
            if ((type == gstrTypeBHAV || type == gstrTypeBCON || type == gstrTypeTTAB || type == gstrTypeTTAs) &&
                !(index[i].GroupID == gstrIgnoredGroup)) {
                result = true;
                return;
            }
        }
    });
    return result;
}
