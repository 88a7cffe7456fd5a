// Writes the fuzz targets' seed corpora from the project's own package writer and sample game,
// so no generated file is kept in the repository:
//   SEEDS/package   packages for the index-only load, the full load and the scan
//   SEEDS/refpack   stored resources, compressed and not, for the decoder
//   SEEDS/registry  registry files of a 32-bit and a 64-bit prefix

#include "support/PackageWriter.h"
#include "support/RefPackEncoder.h"
#include "support/SampleGame.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;
using namespace writer;

namespace {

void msWrite(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string mfstrRead(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Small packages of every shape the writer makes: both index widths, holes, compressed and
// plain resources of each behaviour type, the ignored group, an empty index.
void msWritePackages(const fs::path& out, const fs::path& refpack)
{
    int number = 0;
    auto put = [&](const PackagePlan& plan) {
        const BuiltPackage built = gudtBuildPackage(plan);
        msWrite(out / ("built-" + std::to_string(++number) + ".package"), built.Bytes);
        for (std::size_t i = 0; i < built.StoredData.size(); ++i)
            msWrite(refpack / ("stored-" + std::to_string(number) + "-" + std::to_string(i)), built.StoredData[i]);
    };
    const std::uint32_t types[] = {kTypeBHAV, kTypeBCON, kTypeTTAB, kTypeTTAs, kTypeOBJD};
    for (std::int32_t minor : {1, 2}) {
        for (bool compress : {false, true}) {
            PackagePlan plan;
            plan.IndexMinorVersion = minor;
            std::uint32_t instance = 0x1000;
            for (std::uint32_t type : types)
                plan.Resources.push_back({type, 0x7F000001, ++instance, instance, gfstrBehaviourBody("Seed " + std::to_string(instance), 48), compress});
            plan.Resources.push_back({kTypeBHAV, kIgnoredGroup, 0x1001, 0, gfstrBehaviourBody("Global", 8), false});
            if (compress)
                plan.Holes = {{96, 16}, {200, 8}};
            put(plan);
        }
    }
    put(PackagePlan{});
    PackagePlan ignoredOnly;
    ignoredOnly.Resources = {{kTypeTTAB, kIgnoredGroup, 1, 0, gfstrBehaviourBody("Only ignored", 4), true}};
    put(ignoredOnly);
    PackagePlan repeated;
    repeated.Resources = {{kTypeBCON, 0x7F330003, 0x1000, 0, gfstrBehaviourBody("Tuning A", 4), false},
                          {kTypeBCON, 0x7F330003, 0x1000, 0, gfstrBehaviourBody("Tuning B", 4), true}};
    put(repeated);
    // Longer text that the encoder turns into every kind of copy command.
    std::string text;
    for (int i = 0; text.size() < 3000; ++i)
        text += "behaviour " + std::to_string(i % 17) + " conflict ";
    msWrite(refpack / "text", gfstrRefPackCompress(text));
    msWrite(refpack / "run", gfstrRefPackCompress(std::string(2000, 'z')));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_make_seeds SEED-FOLDER\n";
        return 64;
    }
    try {
        const fs::path seeds = argv[1];
        fs::remove_all(seeds);
        msWritePackages(seeds / "package", seeds / "refpack");

        // The sample game's own downloads, the damaged one among them.
        const fs::path game = seeds / "sample-game";
        gsMakeSampleGame(game);
        int number = 0;
        for (const auto& entry : fs::recursive_directory_iterator(gfSampleDownloads(game)))
            if (entry.is_regular_file() && entry.path().extension() == ".package")
                msWrite(seeds / "package" / ("sample-" + std::to_string(++number) + ".package"), mfstrRead(entry.path()));
        msWrite(seeds / "registry" / "system-win64.reg", mfstrRead(game / "system.reg"));
        msWrite(seeds / "registry" / "user-win64.reg", mfstrRead(game / "user.reg"));
        gsWriteSampleRegistry(game, "C:\\Games\\Sims 2 \"Deluxe\"", "C:\\users\\player\\My Documents", false);
        msWrite(seeds / "registry" / "system-win32.reg", mfstrRead(game / "system.reg"));
        msWrite(seeds / "registry" / "user-win32.reg", mfstrRead(game / "user.reg"));
        msWrite(seeds / "registry" / "kinds.reg",
                "WINE REGISTRY Version 2\n#arch=win32\n\n[Software\\\\EA GAMES\\\\The Sims 2] 1\n"
                "\"Install Dir\"=str(2):\"C:\\\\Games\\\\Sims\\x00e9\\0\"\n\"Dword\"=dword:00000409\n"
                "\"Hex\"=hex:41,42,43,00,\\\n  44,45\n\"Wide\"=hex(7):41,00,42,00,00,00\n@=\"default\"\n");
        fs::remove_all(game);
    } catch (const std::exception& error) {
        std::cerr << "fuzz_make_seeds: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
