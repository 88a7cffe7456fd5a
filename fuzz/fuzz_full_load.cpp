// The whole-package load of arbitrary file bytes: never a crash, a trap or an unbounded
// allocation; the damage a plain reading of the bytes finds, or every resource's bytes exactly
// as they stand in the file.

#include "FuzzSupport.h"
#include "PackageModel.h"

#include "errors/modErrorTrap.h"
#include "package/modSimsPackage.h"

using namespace fuzzsupport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path file = gfScratch() / "input.package";
    static const std::string path = gfstrWinPath(file);
    // Reused across inputs, as the scan reuses its one record: nothing may leak from the last.
    static PackageFile package;

    const std::string_view bytes = gfBytes(data, size);
    gsWriteFile(file, bytes);
    PackageDamage damage;
    gsLoadPackage(path, package, damage);

    const ModelPackage model = gudtModelPackage(bytes, true);
    FUZZ_CHECK(damage.Number == model.Damage);
    FUZZ_CHECK(damage.Description == (damage.Number ? gfstrErrorDescription(damage.Number) : ""));
    FUZZ_CHECK(gstrErrData == (damage.Number ? "Filename = " + path : ""));
    if (damage.Number != 0)
        return 0;

    // Only the resources' bytes are kept: never more than the file holds.
    FUZZ_CHECK(package.Contents && package.Contents->size() <= bytes.size());
    FUZZ_CHECK(package.Index.size() == model.Index.size() + 1);
    FUZZ_CHECK(package.Resources.size() == package.Index.size());
    FUZZ_CHECK(package.Holes.size() == model.Holes.size() + 1);
    for (std::size_t i = 0; i < model.Holes.size(); ++i)
        FUZZ_CHECK(package.Holes[i + 1].Offset == model.Holes[i].first && package.Holes[i + 1].Size == model.Holes[i].second);
    for (std::size_t i = 0; i < model.Index.size(); ++i) {
        const ModelEntry& expected = model.Index[i];
        const PackageResource& resource = package.Resources[i + 1];
        FUZZ_CHECK(resource.TypeID.Bytes() == expected.Type);
        FUZZ_CHECK(resource.GroupID.Bytes() == expected.Group);
        FUZZ_CHECK(resource.InstanceID.Bytes() == expected.Instance);
        FUZZ_CHECK(resource.Size == expected.Size);
        FUZZ_CHECK(resource.Data.size() == static_cast<std::size_t>(expected.Size));
        if (expected.Size > 0) {
            // The bytes as the file holds them at the entry's offset, kept in the package's buffer.
            FUZZ_CHECK(resource.Data == bytes.substr(static_cast<std::size_t>(expected.Offset),
                                                     static_cast<std::size_t>(expected.Size)));
            FUZZ_CHECK(resource.Data.data() >= package.Contents->data() &&
                       resource.Data.data() + resource.Data.size() <= package.Contents->data() + package.Contents->size());
        }
    }
    return 0;
}
