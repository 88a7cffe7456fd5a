#pragma once
// The benchmark download folder: a Wine-prefix sample game whose Downloads folder holds many
// packages in nested folders, made from a fixed seed so every run measures the same bytes.
//
// Most packages are content (objects, clothes, textures): 50 KB to 2 MB with tens to hundreds
// of resources, a third of them marked compressed. Neither the scan nor the floor ever reads a
// content package's resource bytes, so those files are sparse: header and index are written,
// the resource region is a hole. About one package in ten is a hack with 5 to 300 behaviour
// resources, half of them compressed, written in full. A few behaviour resources are shared
// between hacks so that about 1% of the table rows are conflicts.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// A small, fast generator whose sequence is the same on every platform and library (the
// standard distributions are not), so a seed always gives the same folder.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < bound (bound > 0).
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
    // low <= result <= high.
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) { return low + Below(high - low + 1); }
    // A value spread evenly on a log scale between low and high: many small, few large.
    std::uint64_t LogBetween(std::uint64_t low, std::uint64_t high);
    bool Chance(double probability) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < probability; }

private:
    std::uint64_t state_;
};

struct BenchGameOptions {
    std::uint64_t Seed = 20261207;
    std::int64_t Packages = 20000;
};

struct BenchGameStats {
    std::int64_t ContentPackages = 0;
    std::int64_t HackPackages = 0;
    std::int64_t Folders = 0;
    std::int64_t BehaviourResources = 0;  // entered in a table by the scan
    std::int64_t Rows = 0;                // distinct (table, group, instance)
    std::int64_t ConflictRows = 0;        // rows held by more than one package entry
    std::int64_t ApparentBytes = 0;       // file sizes as listed
    std::int64_t WrittenBytes = 0;        // bytes actually written (holes excluded)
};

// Makes the whole game below `prefix` (registry files, install folder, documents folder with
// Downloads). The prefix folder must not exist yet or be empty.
BenchGameStats gudtMakeBenchGame(const std::filesystem::path& prefix, const BenchGameOptions& options);

// A behaviour procedure body as a hack carries it: the 64-byte name field, then a header and
// 12-byte instructions drawn from a small vocabulary, as compressible as real ones.
std::string gfstrBehaviourData(Random& random, const std::string& name);

// Bodies of the kinds content packages hold (string tables, object data, texture-like bytes),
// for the Decompress benchmark.
std::string gfstrContentData(Random& random, std::size_t size);

} // namespace bench
