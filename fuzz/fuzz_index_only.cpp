// The index-only reading of arbitrary package bytes: never a crash, a trap or an unbounded
// allocation, and always the entries (or the damage) a plain reading of the bytes gives.
// The bytes are read from memory, which is what makes the fuzzer fast; about one input in 64
// (every input of a corpus replay) also goes through the file loader, which must agree.

#include "FuzzSupport.h"
#include "PackageModel.h"

#include "errors/modErrorTrap.h"
#include "package/PackageReader.h"
#include "package/modSimsPackage.h"

using namespace fuzzsupport;

namespace {

// The entries 1..n of `index` are those of the model.
void msCheckIndex(const std::vector<PackageIndexEntry>& index, const ModelPackage& model)
{
    FUZZ_CHECK(index.size() == model.Index.size() + 1);
    for (std::size_t i = 0; i < model.Index.size(); ++i) {
        const PackageIndexEntry& entry = index[i + 1];
        const ModelEntry& expected = model.Index[i];
        FUZZ_CHECK(entry.TypeID.Bytes() == expected.Type);
        FUZZ_CHECK(entry.GroupID.Bytes() == expected.Group);
        FUZZ_CHECK(entry.InstanceID.Bytes() == expected.Instance);
        FUZZ_CHECK(entry.ResourceID.Bytes() == (expected.ResourceId.empty() ? std::string_view("\0\0\0\0", 4)
                                                                             : expected.ResourceId));
        FUZZ_CHECK(entry.Offset == expected.Offset);
        FUZZ_CHECK(entry.Size == expected.Size);
    }
}

// The loader the scan calls, on the same bytes written to a file: the same damage, reported
// with the file's name, or the same entries.
void msCheckFileLoader(std::string_view bytes, const ModelPackage& model)
{
    static const std::filesystem::path file = gfScratch() / "input.package";
    static const std::string path = gfstrWinPath(file);
    gsWriteFile(file, bytes);
    std::vector<PackageIndexEntry> index(3);
    PackageDamage damage;
    gsLoadPackageIndexOnly(path, index, damage);
    FUZZ_CHECK(damage.Number == model.Damage);
    FUZZ_CHECK(damage.Description == (damage.Number ? gfstrErrorDescription(damage.Number) : ""));
    FUZZ_CHECK(gstrErrData == (damage.Number ? "Filename = " + path : ""));
    // A damaged file leaves element 0 only: the model has no entries for it.
    msCheckIndex(index, model);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (gfScratch(), gsInitTypeIDs(), true);
    (void)ready;

    // libFuzzer's buffer is exactly `size` bytes long, so any read past the input is seen.
    const std::string_view bytes = gfBytes(data, size);
    MemoryBytes input(bytes);
    // Left over from a longer index: the reader must replace it, not add to it.
    std::vector<PackageIndexEntry> index(3);
    const std::int32_t damage = gflngRaisedDamage([&] {
        const PackageHeader header = gudtReadPackageHeader(input);
        gsReadPackageIndex(input, header, index);
    });

    const ModelPackage model = gudtModelPackage(bytes, false);
    FUZZ_CHECK(damage == model.Damage);
    if (damage == 0) {
        msCheckIndex(index, model);
        gfblnHasHackCode(index);
    }
    if (gfblnSlowChecks(bytes, 64))
        msCheckFileLoader(bytes, model);
    return 0;
}
