// The whole-package reading of arbitrary package bytes: never a crash, a trap or an unbounded
// allocation; the damage a plain reading of the bytes finds, or every resource's bytes exactly
// as they stand in the package, kept in one buffer of just the bytes the resources cover.
// The bytes are read from memory, which is what makes the fuzzer fast; about one input in 64
// (every input of a corpus replay) also goes through the file loader, which must agree.

#include "FuzzSupport.h"
#include "PackageModel.h"

#include "errors/modErrorTrap.h"
#include "package/PackageReader.h"
#include "package/modSimsPackage.h"

using namespace fuzzsupport;

namespace {

// An undamaged package read whole: its lists are the model's and every resource is a view of
// its own bytes inside Contents, which holds the resources' bytes and no more.
void msCheckPackage(const PackageFile& package, const ModelPackage& model, std::string_view bytes)
{
    FUZZ_CHECK(package.Contents && static_cast<std::int64_t>(package.Contents->size()) == gflngCoveredBytes(model));
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
            // The bytes as the package holds them at the entry's offset, kept in the package's buffer.
            FUZZ_CHECK(resource.Data == bytes.substr(static_cast<std::size_t>(expected.Offset),
                                                     static_cast<std::size_t>(expected.Size)));
            FUZZ_CHECK(resource.Data.data() >= package.Contents->data() &&
                       resource.Data.data() + resource.Data.size() <= package.Contents->data() + package.Contents->size());
        }
    }
}

// The loader the scan calls, on the same bytes written to a file: the same damage, reported
// with the file's name, or the same package.
void msCheckFileLoader(std::string_view bytes, const ModelPackage& model)
{
    static const std::filesystem::path file = gfScratch() / "input.package";
    static const std::string path = gfstrWinPath(file);
    // Reused across inputs, as the scan reuses its one record: nothing may leak from the last.
    static PackageFile package;
    gsWriteFile(file, bytes);
    PackageDamage damage;
    gsLoadPackage(path, package, damage);
    FUZZ_CHECK(damage.Number == model.Damage);
    FUZZ_CHECK(damage.Description == (damage.Number ? gfstrErrorDescription(damage.Number) : ""));
    FUZZ_CHECK(gstrErrData == (damage.Number ? "Filename = " + path : ""));
    if (damage.Number == 0)
        msCheckPackage(package, model, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (gfScratch(), true);
    (void)ready;
    // Reused across inputs, as the scan reuses its one record: every list is replaced.
    static PackageFile package;

    // libFuzzer's buffer is exactly `size` bytes long, so any read past the input is seen.
    const std::string_view bytes = gfBytes(data, size);
    MemoryBytes input(bytes);
    const std::int32_t damage = gflngRaisedDamage([&] {
        package.Header = gudtReadPackageHeader(input);
        gsReadPackageIndex(input, package.Header, package.Index);
        gsReadPackageHoles(input, package.Header, package.Holes);
        gsReadPackageResources(input, package);
    });

    const ModelPackage model = gudtModelPackage(bytes, true);
    FUZZ_CHECK(damage == model.Damage);
    if (damage == 0)
        msCheckPackage(package, model, bytes);
    if (gfblnSlowChecks(bytes, 64))
        msCheckFileLoader(bytes, model);
    return 0;
}
