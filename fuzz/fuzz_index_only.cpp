// The index-only load of arbitrary file bytes: never a crash, a trap or an unbounded
// allocation, and always the entries (or the damage) a plain reading of the bytes gives.

#include "FuzzSupport.h"
#include "PackageModel.h"

#include "errors/modErrorTrap.h"
#include "package/modSimsPackage.h"

using namespace fuzzsupport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path file = gfScratch() / "input.package";
    static const std::string path = gfstrWinPath(file);
    static const bool ready = (gsInitTypeIDs(), true);
    (void)ready;

    const std::string_view bytes = gfBytes(data, size);
    gsWriteFile(file, bytes);
    std::vector<PackageIndexEntry> index(3);
    PackageDamage damage;
    gsLoadPackageIndexOnly(path, index, damage);

    const ModelPackage model = gudtModelPackage(bytes, false);
    FUZZ_CHECK(damage.Number == model.Damage);
    FUZZ_CHECK(damage.Description == (damage.Number ? gfstrErrorDescription(damage.Number) : ""));
    FUZZ_CHECK(index.size() == model.Index.size() + 1);
    FUZZ_CHECK(gstrErrData == (damage.Number ? "Filename = " + path : ""));
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
    gfblnHasHackCode(index);
    return 0;
}
