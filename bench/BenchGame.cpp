#include "BenchGame.h"

#include "support/PackageWriter.h"
#include "support/SampleGame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

namespace {

namespace fs = std::filesystem;
using namespace writer;

constexpr std::uint32_t kGroupGlobal = 0x7FD46CD0;
constexpr std::uint32_t kTypeCLST = kTypeCompressionDirectory;
// Types that content packages carry besides object data and strings.
constexpr std::array<std::uint32_t, 10> kContentTypes = {
    kTypeOBJD,  kTypeSTR,   0x1C4A276C /* TXTR */, 0x49596978 /* TXMT */, 0xAC4F8687 /* GMDC */,
    0x7BA3838C /* GMND */,  0xE519C933 /* CRES */, 0xFC6EB1F7 /* SHPE */, 0xAC506764 /* 3IDR */,
    0x856DDBAC /* IMG  */};

// Behaviour types in the proportions hacks carry them.
std::uint32_t mfulngBehaviourType(std::uint64_t roll100)
{
    if (roll100 < 70)
        return kTypeBHAV;
    if (roll100 < 82)
        return kTypeBCON;
    if (roll100 < 91)
        return kTypeTTAB;
    return kTypeTTAs;
}

constexpr std::array<std::string_view, 16> kWords = {
    "Motive", "Social", "Career", "Romance", "Autonomy", "Pet",   "Teen",  "Elder",
    "Dinner", "Garden", "School", "Skill",   "Memory",  "Dream", "Party", "Weather"};
constexpr std::array<std::string_view, 12> kVerbs = {
    "Check", "Update", "Init",  "Decay", "Choose", "Test",
    "Reset", "Push",   "Count", "Find",  "Sleep",  "Wander"};
constexpr std::array<std::string_view, 10> kCategories = {
    "Objects", "Hair", "Clothing", "Build Mode", "Lots", "Skins", "Hacks", "Mods", "Recolours", "Misc"};
constexpr std::array<std::string_view, 12> kCreators = {
    "Pixel",   "Maxis Match", "Simblr", "Garden Club", "Retro", "Velvet",
    "Nightly", "Sunset",      "Cozy",   "Ivory",       "Maple", "Café"};

std::string mfstrProcedureName(Random& random)
{
    std::string name = (random.Chance(0.5) ? "Sub - " : "") + std::string(kVerbs[random.Below(kVerbs.size())]) + " " +
                       std::string(kWords[random.Below(kWords.size())]) + " " +
                       std::to_string(random.Between(1, 9999));
    if (random.Chance(0.05))
        name += " \xE9t\xE9";  // Windows-1252 bytes, as names made on a European system hold
    if (random.Chance(0.02))
        name.resize(80, '~');  // fills the 64-byte field: no NUL in it
    return name;
}

// ---- Writing files -------------------------------------------------------------------------

struct FileWriter {
    explicit FileWriter(const fs::path& file)
        : fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
    {
        if (fd < 0)
            throw std::system_error(errno, std::generic_category(), "cannot create " + file.string());
    }
    ~FileWriter() { ::close(fd); }
    void WriteAt(std::string_view bytes, std::int64_t offset)
    {
        while (!bytes.empty()) {
            const ssize_t done = ::pwrite(fd, bytes.data(), bytes.size(), offset);
            if (done <= 0)
                throw std::system_error(errno, std::generic_category(), "write");
            bytes.remove_prefix(static_cast<std::size_t>(done));
            offset += done;
        }
    }
    int fd;
};

void msAppendInt32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// A content package: the header and the index are real, the resources' region between them is
// a hole of the file (never written, so it takes no disk space and no file cache).
std::int64_t mlngWriteSparseContent(const fs::path& file, Random& random)
{
    const std::int64_t apparent = static_cast<std::int64_t>(random.LogBetween(50 * 1024, 2 * 1024 * 1024));
    const std::size_t count = random.LogBetween(10, 500);
    const bool minor2 = random.Chance(0.7);
    const std::size_t width = minor2 ? 24 : 20;
    // Object packages often carry procedures in the ignored group: the hack test reads past them.
    const std::size_t ignoredBehaviour = random.Chance(0.2) ? random.Between(1, 6) : 0;
    const std::size_t entries = count + ignoredBehaviour + 1;  // + the compression directory
    const std::size_t holes = random.Chance(0.1) ? random.Between(1, 3) : 0;
    const std::int64_t tableBytes = static_cast<std::int64_t>(entries * width + holes * 8);
    const std::int64_t body = std::max<std::int64_t>(apparent - 96 - tableBytes, static_cast<std::int64_t>(entries) * 16);

    // Cut the body into one piece per resource.
    std::vector<std::uint64_t> weights(entries);
    std::uint64_t totalWeight = 0;
    for (auto& weight : weights)
        totalWeight += (weight = random.Between(1, 1000));
    std::string index;
    std::int64_t offset = 96;
    const std::uint32_t group = random.Chance(0.5) ? 0x1C050000u : static_cast<std::uint32_t>(0x7F000000u | random.Below(0x00FFFFFF));
    for (std::size_t i = 0; i < entries; ++i) {
        std::uint32_t type = kContentTypes[random.Below(kContentTypes.size())];
        std::uint32_t entryGroup = group;
        if (i == entries - 1) {
            type = kTypeCLST;
        } else if (i < ignoredBehaviour) {
            type = random.Chance(0.7) ? kTypeBHAV : kTypeBCON;
            entryGroup = kIgnoredGroup;
        }
        const std::int64_t size = std::max<std::int64_t>(16, static_cast<std::int64_t>(
                                                                 static_cast<double>(body) * static_cast<double>(weights[i]) /
                                                                 static_cast<double>(totalWeight)));
        msAppendInt32(index, type);
        msAppendInt32(index, entryGroup);
        msAppendInt32(index, static_cast<std::uint32_t>(random.Next()));
        if (minor2)
            msAppendInt32(index, static_cast<std::uint32_t>(random.Below(4)));
        msAppendInt32(index, static_cast<std::uint32_t>(offset));
        msAppendInt32(index, static_cast<std::uint32_t>(size));
        offset += size;
    }
    const std::int64_t indexOffset = offset;
    for (std::size_t i = 0; i < holes; ++i) {
        msAppendInt32(index, static_cast<std::uint32_t>(96 + random.Below(static_cast<std::uint64_t>(body))));
        msAppendInt32(index, static_cast<std::uint32_t>(random.Between(16, 4096)));
    }

    std::string header;
    for (std::uint32_t field : {0x46504244u, 1u, 1u, 0u, 0u, 0u, 0u, 0u, 7u})
        msAppendInt32(header, field);
    msAppendInt32(header, static_cast<std::uint32_t>(entries));
    msAppendInt32(header, static_cast<std::uint32_t>(indexOffset));
    msAppendInt32(header, static_cast<std::uint32_t>(entries * width));
    msAppendInt32(header, static_cast<std::uint32_t>(holes));
    msAppendInt32(header, static_cast<std::uint32_t>(indexOffset + static_cast<std::int64_t>(entries * width)));
    msAppendInt32(header, static_cast<std::uint32_t>(holes * 8));
    msAppendInt32(header, minor2 ? 2u : 1u);
    header.resize(96, '\0');

    FileWriter out(file);
    out.WriteAt(header, 0);
    out.WriteAt(index, indexOffset);
    return static_cast<std::int64_t>(header.size() + index.size());
}

// ---- Hacks ---------------------------------------------------------------------------------

struct Key {
    std::uint32_t Type;
    std::uint32_t Group;
    std::uint32_t Instance;
    auto operator<=>(const Key&) const = default;
};

// Shared behaviour resources: the globals and semi-globals that several hacks replace.
Key mudtPoolKey(std::uint64_t number)
{
    Random random(0xC0FFEEull + number * 7919);
    const std::uint32_t group = random.Chance(0.6) ? kGroupGlobal : static_cast<std::uint32_t>(0x7F800000u + random.Below(64));
    return {mfulngBehaviourType(random.Below(100)), group, static_cast<std::uint32_t>(0x0100 + number)};
}

PackagePlan mudtHackPlan(Random& random, std::uint32_t hackNumber, std::uint64_t poolSize, double shareChance,
                         std::map<Key, std::int64_t>& rows, BenchGameStats& stats)
{
    PackagePlan plan;
    plan.IndexMinorVersion = random.Chance(0.7) ? 2 : 1;
    const std::size_t count = random.LogBetween(5, 300);
    // A private group per hack keeps its own resources apart from every other hack's.
    const std::uint32_t ownGroup = 0x7E000000u + hackNumber;
    for (std::size_t i = 0; i < count; ++i) {
        Key key{mfulngBehaviourType(random.Below(100)), ownGroup, static_cast<std::uint32_t>(0x1000 + i)};
        if (poolSize > 0 && random.Chance(shareChance))
            key = mudtPoolKey(random.Below(poolSize));
        ++rows[key];
        ++stats.BehaviourResources;
        plan.Resources.push_back(
            Resource{key.Type, key.Group, key.Instance, 0, gfstrBehaviourData(random, mfstrProcedureName(random)), random.Chance(0.5)});
    }
    // What hacks carry besides: strings, an object, sometimes a procedure in the ignored group.
    plan.Resources.push_back(Resource{kTypeSTR, ownGroup, 0x0001, 0, gfstrContentData(random, random.Between(100, 2000)), false});
    if (random.Chance(0.3))
        plan.Resources.push_back(Resource{kTypeOBJD, ownGroup, 0x41A7, 0, gfstrContentData(random, 500), false});
    if (random.Chance(0.2))
        plan.Resources.push_back(Resource{kTypeBHAV, kIgnoredGroup, 0x2000, 0, gfstrBehaviourData(random, "Global Init"), false});
    return plan;
}

// ---- Folders and names ---------------------------------------------------------------------

std::string mfstrPackageName(Random& random, std::int64_t number, std::string_view creator)
{
    std::string name = std::string(creator) + "_" + std::string(kWords[random.Below(kWords.size())]) +
                       std::string(kVerbs[random.Below(kVerbs.size())]) + "_" + std::to_string(number);
    const auto roll = random.Below(100);
    return name + (roll < 3 ? ".PACKAGE" : roll < 6 ? ".Package" : ".package");
}

} // namespace

std::uint64_t Random::LogBetween(std::uint64_t low, std::uint64_t high)
{
    const double unit = static_cast<double>(Next() >> 11) * 0x1.0p-53;
    const double value = std::exp(std::log(static_cast<double>(low)) +
                                  unit * (std::log(static_cast<double>(high) + 1) - std::log(static_cast<double>(low))));
    return std::clamp(static_cast<std::uint64_t>(value), low, high);
}

std::string gfstrBehaviourData(Random& random, const std::string& name)
{
    std::string data = gfstrBehaviourBody(name, 0);
    const std::size_t instructions = random.LogBetween(2, 150);
    data += static_cast<char>(0x07);  // format
    data += static_cast<char>(0x80);
    data += static_cast<char>(instructions & 0xFF);
    data += static_cast<char>(instructions >> 8);
    data += std::string("\x01\x00\x02\x03\x00\x00\x00\x00", 8);
    // Instructions use a few dozen opcodes with operands that repeat: the encoder finds matches.
    for (std::size_t i = 0; i < instructions; ++i) {
        const std::uint64_t opcode = random.Chance(0.6) ? random.Below(16) : 0x2000 + random.Below(48);
        data += static_cast<char>(opcode & 0xFF);
        data += static_cast<char>(opcode >> 8);
        data += static_cast<char>(random.Chance(0.7) ? (i + 1) & 0xFF : 0xFD);
        data += static_cast<char>(random.Chance(0.5) ? 0xFE : 0xFD);
        for (int operand = 0; operand < 8; ++operand)
            data += static_cast<char>(random.Chance(0.6) ? 0 : random.Below(8));
    }
    return data;
}

std::string gfstrContentData(Random& random, std::size_t size)
{
    std::string data;
    data.reserve(size + 64);
    const auto kind = random.Below(3);
    while (data.size() < size) {
        if (kind == 0) {  // string table: words with lengths
            const std::string_view word = kWords[random.Below(kWords.size())];
            data += static_cast<char>(word.size());
            data += word;
            data += '\0';
        } else if (kind == 1) {  // object data: small numbers in 16-bit fields
            data += static_cast<char>(random.Chance(0.7) ? 0 : random.Below(32));
            data += '\0';
        } else {  // texture-like: smooth gradients with noise
            const auto base = static_cast<unsigned char>(data.size() / 64);
            data += static_cast<char>(base + (random.Chance(0.2) ? random.Below(4) : 0));
        }
    }
    data.resize(size);
    return data;
}

BenchGameStats gudtMakeBenchGame(const fs::path& prefix, const BenchGameOptions& options)
{
    BenchGameStats stats;
    Random random(options.Seed);
    gsWriteSampleRegistry(prefix, kSampleInstallDir, kSampleDocuments, true);
    fs::create_directories(prefix / "drive_c" / "Program Files" / "EA GAMES" / "The Sims 2" / "TSBin");
    const fs::path downloads = gfSampleDownloads(prefix);
    fs::create_directories(downloads);

    // The folder tree: the categories, then creator folders and their sets, up to four deep,
    // about sixty packages to a folder.
    struct Place {
        fs::path Path;
        std::string Creator;
        bool HackFolder;
        int Depth;
    };
    std::vector<Place> places{{downloads, "Misc", false, 0}};
    for (const std::string_view category : kCategories)
        places.push_back({downloads / std::string(category), std::string(kCreators[random.Below(kCreators.size())]),
                          category == "Hacks" || category == "Mods", 1});
    const std::size_t folders = static_cast<std::size_t>(std::max<std::int64_t>(12, options.Packages / 60));
    while (places.size() < folders) {
        const Place& parent = places[1 + random.Below(places.size() - 1)];
        if (parent.Depth >= 4)
            continue;
        const std::string creator(kCreators[random.Below(kCreators.size())]);
        const std::string name = parent.Depth == 1 ? creator + " " + std::to_string(places.size())
                                                   : "Set " + std::to_string(places.size());
        places.push_back({parent.Path / name, creator, parent.HackFolder, parent.Depth + 1});
    }
    std::vector<std::size_t> hackPlaces;
    for (std::size_t i = 0; i < places.size(); ++i) {
        fs::create_directories(places[i].Path);
        if (places[i].HackFolder)
            hackPlaces.push_back(i);
    }
    stats.Folders = static_cast<std::int64_t>(places.size());

    // Shared resources: about 3.4% of a hack's behaviour resources come from a pool half as big
    // as the draws, so a pooled pair is drawn about twice: about 1% of all rows conflict.
    constexpr double kShareChance = 0.034;
    const double expectedResources = static_cast<double>(options.Packages) * 0.1 * 72.0;
    const auto poolSize = static_cast<std::uint64_t>(std::max(1.0, expectedResources * kShareChance / 2));

    std::map<Key, std::int64_t> rows;
    std::uint32_t hackNumber = 0;
    for (std::int64_t number = 1; number <= options.Packages; ++number) {
        const bool hack = random.Chance(0.1);
        const Place& place =
            hack && random.Chance(0.7) ? places[hackPlaces[random.Below(hackPlaces.size())]] : places[random.Below(places.size())];
        const fs::path file = place.Path / mfstrPackageName(random, number, place.Creator);
        if (hack) {
            ++stats.HackPackages;
            const BuiltPackage built = gudtBuildPackage(mudtHackPlan(random, ++hackNumber, poolSize, kShareChance, rows, stats));
            FileWriter(file).WriteAt(built.Bytes, 0);
            stats.ApparentBytes += static_cast<std::int64_t>(built.Bytes.size());
            stats.WrittenBytes += static_cast<std::int64_t>(built.Bytes.size());
        } else {
            ++stats.ContentPackages;
            stats.WrittenBytes += mlngWriteSparseContent(file, random);
            stats.ApparentBytes += static_cast<std::int64_t>(fs::file_size(file));
        }
        // What else lies about in a downloads folder: read-me files, previews, hidden copies.
        if (random.Chance(0.01))
            FileWriter(place.Path / ("readme " + std::to_string(number) + ".txt")).WriteAt("Put the package in Downloads.\n", 0);
        if (random.Chance(0.005)) {
            fs::create_directories(place.Path / ".backup");
            Random copy(number);
            mlngWriteSparseContent(place.Path / ".backup" / ("old " + std::to_string(number) + ".package"), copy);
        }
    }
    stats.Rows = static_cast<std::int64_t>(rows.size());
    stats.ConflictRows = std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.second > 1; });
    return stats;
}

} // namespace bench
