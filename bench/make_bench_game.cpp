// clashwick-bench-game: writes the benchmark download folder (see BenchGame.h).
//
//   clashwick-bench-game PREFIX [PACKAGES [SEED]]
//
// The game is written to PREFIX.partial and renamed to PREFIX when complete, so an interrupted
// run never leaves a folder that looks finished. Prints what it made.

#include "BenchGame.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::cerr << "usage: clashwick-bench-game PREFIX [PACKAGES [SEED]]\n";
        return 64;
    }
    try {
        const std::filesystem::path prefix = argv[1];
        bench::BenchGameOptions options;
        if (argc > 2)
            options.Packages = std::stoll(argv[2]);
        if (argc > 3)
            options.Seed = std::stoull(argv[3]);
        std::filesystem::path partial = prefix;
        partial += ".partial";
        std::filesystem::remove_all(partial);
        const bench::BenchGameStats stats = bench::gudtMakeBenchGame(partial, options);
        std::filesystem::remove_all(prefix);
        std::filesystem::rename(partial, prefix);
        std::cout << "packages " << options.Packages << " (content " << stats.ContentPackages << ", hacks "
                  << stats.HackPackages << ") in " << stats.Folders << " folders\n"
                  << "behaviour resources " << stats.BehaviourResources << ", rows " << stats.Rows << ", conflict rows "
                  << stats.ConflictRows << " ("
                  << (stats.Rows ? 100.0 * static_cast<double>(stats.ConflictRows) / static_cast<double>(stats.Rows) : 0.0)
                  << "%)\n"
                  << "apparent size " << stats.ApparentBytes / (1024 * 1024) << " MiB, written "
                  << stats.WrittenBytes / (1024 * 1024) << " MiB (content packages are sparse)\n";
    } catch (const std::exception& error) {
        std::cerr << "clashwick-bench-game: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
