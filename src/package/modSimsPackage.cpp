#include "package/modSimsPackage.h"

#include "errors/modErrorTrap.h"
#include "package/PackageReader.h"
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

// Bytes 4 and 5 of a compressed resource: the RefPack signature, 10 FB.
constexpr std::string_view kCompressionSignature = "\x10\xFB";

// The loaders read through an open file.
class FileBytes final : public PackageBytes {
public:
    explicit FileBytes(platform::InputFile& file) : file_(file) {}
    std::int64_t Size() const override { return file_.Size(); }
    void ReadAt(std::int64_t offset, std::span<char> buffer) override { file_.ReadAt(offset, buffer); }

private:
    platform::InputFile& file_;
};

// The index read's bytes for a scan: each read goes to the file, and the header's and the
// index's are noted in the reading so that the whole load can be given them again.
class NotingBytes final : public PackageBytes {
public:
    explicit NotingBytes(PackageReading& reading) : reading_(reading) {}
    std::int64_t Size() const override { return reading_.File->Size(); }
    void ReadAt(std::int64_t offset, std::span<char> buffer) override
    {
        reading_.File->ReadAt(offset, buffer);
        if (offset == 0 && buffer.size() == reading_.Header.size() && !reading_.HaveHeader) {
            std::copy(buffer.begin(), buffer.end(), reading_.Header.begin());
            reading_.HaveHeader = true;
        } else {
            reading_.IndexOffset = offset;
            reading_.Index = std::string_view(buffer.data(), buffer.size());
        }
    }

private:
    PackageReading& reading_;
};

// The whole load's bytes after an index read: the header and index as that read noted them
// (the same file, held open since), everything else from the file.
class KeptBytes final : public PackageBytes {
public:
    explicit KeptBytes(PackageReading& reading) : reading_(reading) {}
    std::int64_t Size() const override { return reading_.File->Size(); }
    void ReadAt(std::int64_t offset, std::span<char> buffer) override
    {
        std::string_view kept;
        if (reading_.HaveHeader && offset == 0 && buffer.size() == reading_.Header.size())
            kept = std::string_view(reading_.Header.data(), reading_.Header.size());
        else if (!reading_.Index.empty() && offset == reading_.IndexOffset && buffer.size() == reading_.Index.size())
            kept = reading_.Index;
        if (kept.empty()) {
            reading_.File->ReadAt(offset, buffer);
            return;
        }
        std::copy(kept.begin(), kept.end(), buffer.begin());
    }

private:
    PackageReading& reading_;
};

// Whether a failure is the package's own, for its caller to list: damaged bytes, or a file that
// could not be opened or read (vanished since it was listed, held by another program, refused,
// replaced by a folder or a device, failing on the disk).
bool mfblnPackageOwnFailure(const Failure& failure)
{
    // A file that ends before its own tables, read through the file rather than the reader, is
    // damaged all the same.
    return failure.IsDamage() || failure.Number() == errPastEnd || failure.Number() == errBadRecord ||
           gfblnFailureOfOneEntry(failure);
}

// The handler of the two package readers: what is the package's own goes to the caller,
// everything else to the trap. The error globals keep the location code and file name of the
// failing step.
void msHandleLoadFailure(const Failure& failure, std::string_view procedure, PackageDamage& damage)
{
    if (mfblnPackageOwnFailure(failure)) {
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

namespace {

// The body of gsLoadPackageIndexOnly; `readIndex` reads the index the header describes.
template <class ReadIndex>
void msLoadIndexOnly(const platform::FoundFile& file, PackageDamage& damage, ReadIndex&& readIndex,
                     PackageReading* keep = nullptr)
{
    const std::string& path = file.Path;
    damage = {};
    try {
        glngErrLocation = 1000;
        readIndex(nullptr, nullptr);  // the list emptied
        glngErrLocation = 2000;
        gstrErrData.Assign("Filename = ").Append(path);
        glngErrLocation = 2500;
        const auto read = [&](PackageBytes& bytes) {
            glngErrLocation = 3000;
            const PackageHeader header = gudtReadPackageHeader(bytes);
            glngErrLocation = 4000;
            readIndex(&bytes, &header);
        };
        if (keep) {
            keep->File.emplace(file);
            NotingBytes bytes(*keep);
            read(bytes);
        } else {
            platform::InputFile input(file);
            FileBytes bytes(input);
            read(bytes);
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

} // namespace

void gsLoadPackageIndexOnly(const platform::FoundFile& file, std::vector<PackageIndexEntry>& index,
                            PackageDamage& damage)
{
    msLoadIndexOnly(file, damage, [&](PackageBytes* bytes, const PackageHeader* header) {
        if (bytes == nullptr)
            index.assign(1, PackageIndexEntry{});
        else
            gsReadPackageIndex(*bytes, *header, index);
    });
}

bool gfblnLoadIndexHasHackCode(const platform::FoundFile& file, PackageDamage& damage, std::vector<char>& buffer,
                               PackageReading* keep)
{
    std::string_view table;
    std::int64_t width = 0;
    msLoadIndexOnly(
        file, damage,
        [&](PackageBytes* bytes, const PackageHeader* header) {
            if (bytes == nullptr)
                return;
            table = gfstrReadPackageIndexTable(*bytes, *header, buffer);
            width = gflngIndexEntryWidth(*header);
        },
        keep);
    if (damage.Number != 0)
        return false;
    // As gfblnHasHackCode runs on the list read (element 0 only when nothing was read).
    bool result = false;
    gfblnRunHandled(kModule, "gfblnHasHackCode", [&] {
        glngErrLocation = 1000;
        result = gfblnIndexTableHasHackCode(table, width);
    });
    return result;
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
    PackageReading opened;  // none: the file is opened for the load
    gsLoadPackage(file, opened, package, damage);
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

namespace {

// The body of gsOpenPackageFile on the bytes `withBytes` hands to its callback.
template <class WithBytes>
void msOpenPackageFile(const std::string& path, PackageFile& package, PackageDamage& damage, WithBytes&& withBytes)
{
    damage = {};
    try {
        glngErrLocation = 1000;
        gstrErrData.Assign("Filename = ").Append(path);
        // The lists of an earlier package never survive into this one, whatever the counts.
        package.Index.assign(1, PackageIndexEntry{});
        package.Holes.assign(1, PackageHole{});
        package.Resources.assign(1, PackageResource{});
        package.Contents.reset();
        withBytes([&](PackageBytes& bytes) {
            // Only what the records hold is read: the header, the two tables and the resources.
            glngErrLocation = 2000;
            package.Header = gudtReadPackageHeader(bytes);
            glngErrLocation = 3000;
            gsReadPackageIndex(bytes, package.Header, package.Index);
            glngErrLocation = 4000;
            gsReadPackageHoles(bytes, package.Header, package.Holes);
            glngErrLocation = 5000;
            gsReadPackageResources(bytes, package);
        });
        gstrErrData.clear();
    } catch (...) {
        msHandleLoadFailure(gudtCaughtFailure(), "gsOpenPackageFile", damage);
    }
}

} // namespace

void gsOpenPackageFile(const platform::FoundFile& file, PackageFile& package, PackageDamage& damage)
{
    msOpenPackageFile(file.Path, package, damage, [&](const auto& read) {
        platform::InputFile input(file);
        FileBytes bytes(input);
        read(bytes);
    });
}

void gsLoadPackage(const platform::FoundFile& file, PackageReading& reading, PackageFile& package,
                   PackageDamage& damage)
{
    damage = {};
    gfblnRunHandled(kModule, "gsLoadPackage", [&] {
        glngErrLocation = 1000;
        if (file.Path.empty())
            return;
        if (!reading.File) {
            gsOpenPackageFile(file, package, damage);  // no index read kept it open
            return;
        }
        msOpenPackageFile(file.Path, package, damage, [&](const auto& read) {
            platform::gsCheckFileFault(platform::FileOperation::ReadWhole, file.Path);
            KeptBytes bytes(reading);
            read(bytes);
        });
    });
}

std::string gfstrDecompressFile(std::string_view data, std::size_t wanted)
{
    std::string buffer;
    const std::string_view result = gfstrDecompressFile(data, wanted, buffer);
    if (result.data() != buffer.data())
        return std::string(result);
    buffer.resize(result.size());
    return buffer;
}

std::string_view gfstrDecompressFile(std::string_view data, std::size_t wanted, std::string& buffer)
{
    std::string_view result;
    gfblnRunHandled(kModule, "gfstrDecompressFile", [&] {
        // DecompError.log is removed where a scan starts (gsRemoveDecompressionLog), not here:
        // our decoder never writes it.
        glngErrLocation = 1000;
        glngErrLocation = 2000;
        glngErrLocation = 3000;
        // The compression signature sits at bytes 4 and 5 of the stored resource.
        if (data.size() >= 6 && data.substr(4, 2) == kCompressionSignature)
            result = Decompress(data, wanted, buffer);
        else
            result = data.substr(0, wanted);
        glngErrLocation = 4000;
    });
    return result;
}

bool gfblnIsHackCode(const SimsID& type, const SimsID& group)
{
    return (type == gstrTypeBHAV || type == gstrTypeBCON || type == gstrTypeTTAB || type == gstrTypeTTAs) &&
           !(group == gstrIgnoredGroup);
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
            if (gfblnIsHackCode(index[i].TypeID, index[i].GroupID)) {
                result = true;
                return;
            }
        }
    });
    return result;
}
