// The game's folders in every edition a player may have: the disc editions, the Ultimate
// Collection and the Legacy Collection, each as its installer leaves the registry and folders.

#include "app/modSims2General.h"

#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using writer::SampleEdition;

const std::string kLegacyKey = "[Software\\\\Electronic Arts\\\\The Sims 2 Ultimate Collection 25";
const std::string kShellFolders = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders]\n"
                                  "\"Personal\"=\"C:\\\\users\\\\steamuser\\\\Documents\"\n\n";
const std::string kDocuments = "C:\\users\\steamuser\\Documents";
const std::string kRoot = "C:\\Games\\The Sims 2 Legacy";

class Editions : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        gstrDocumentsPath.clear();
        gstrSims2Path.clear();
        gstrSims2DataPath.clear();
    }

    fs::path Prefix() const { return Scratch() / "prefix"; }
    fs::path DriveC() const { return Prefix() / "drive_c"; }
    fs::path EaGames() const { return DriveC() / "users" / "steamuser" / "Documents" / "EA Games"; }

    // A 64-bit prefix: `machine` is the body of system.reg, `user` of user.reg after its head.
    void WriteRegistry(const std::string& machine, const std::string& user)
    {
        WriteFile(Prefix() / "system.reg", "WINE REGISTRY Version 2\n\n#arch=win64\n\n" + machine);
        WriteFile(Prefix() / "user.reg", "WINE REGISTRY Version 2\n\n#arch=win64\n\n" + user + kShellFolders);
    }
};

// Each sample edition is found as its player would expect: its install folder (the collection's
// root for the Legacy Collection) and the data folder its installer named, never the stale
// folder a disc edition left beside the Ultimate Collection's.
TEST_F(Editions, EverySampleEditionIsFoundWhole)
{
    for (const SampleEdition edition : {SampleEdition::Disc, SampleEdition::UltimateCollection,
                                        SampleEdition::Legacy, SampleEdition::LegacySpanish}) {
        SCOPED_TRACE(writer::gfstrSampleEditionName(edition));
        fs::remove_all(Prefix());
        writer::gsMakeSampleGame(Prefix(), edition);
        gsGetSims2Paths();
        const writer::SampleFolders expected = writer::gudtSampleFolders(edition);
        EXPECT_EQ(gstrSims2Path, expected.InstallFolder);
        EXPECT_EQ(gstrDocumentsPath, expected.Documents);
        EXPECT_EQ(gstrSims2DataPath, expected.DataFolder);
        EXPECT_TRUE(fs::is_directory(writer::gfSampleDownloads(Prefix(), edition)));
    }
    EXPECT_TRUE(trapCalls.empty());
}

// The Legacy Collection's root is the folder above its last expansion's program folder, else
// above the first game program's folder the registry names; the local machine's key, when a
// disc edition or the Ultimate Collection wrote it, comes first.
TEST_F(Editions, TheLegacyCollectionsRootComesFromItsPrograms)
{
    fs::create_directories(DriveC() / "Games" / "The Sims 2 Legacy" / "EP9");
    fs::create_directories(DriveC() / "Games" / "Disc");
    const auto program = [](const std::string& name, const std::string& path) {
        return kLegacyKey + "\\\\" + name + "]\n\"Installed\"=dword:00000001\n" +
               (path.empty() ? "" : "\"path\"=\"" + path + "\"\n") + "\n";
    };
    const std::string ep9 = "C:\\\\Games\\\\The Sims 2 Legacy\\\\EP9";
    struct Case {
        const char* what;
        std::string machine;
        std::string user;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"the last expansion's folder", "",
         program("Sims2EP1.exe", "C:\\\\Elsewhere\\\\EP1") + program("Sims2EP9.exe", ep9), kRoot},
        {"a trailing separator", "", program("Sims2EP9.exe", ep9 + "\\\\"), kRoot},
        {"without EP9, the first program with a folder", "",
         program("Sims2SP1.exe", ep9) + program("Sims2EP2.exe", "") + program("Sims2EP9.exe", ""), kRoot},
        {"programs in another case", "", program("SIMS2ep3.EXE", ep9), kRoot},
        {"other subkeys are not programs", "", kLegacyKey + "\\\\1.0]\n\"path\"=\"" + ep9 + "\"\n\n", "ERROR"},
        {"a folder without one above it", "", program("Sims2EP9.exe", "EP9"), "ERROR"},
        {"no programs", "", kLegacyKey + "]\n\"DisplayName\"=\"The Sims 2 Legacy\"\n\n", "ERROR"},
        {"a root that is not there", "", program("Sims2EP9.exe", "C:\\\\Gone\\\\EP9"), ""},
        {"the local machine's key first",
         "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2]\n\"Install Dir\"=\"C:\\\\Games\\\\Disc\"\n\n",
         program("Sims2EP9.exe", ep9), "C:\\Games\\Disc"},
    };
    for (const Case& c : cases) {
        WriteRegistry(c.machine, c.user);
        gsGetSims2Paths();
        EXPECT_EQ(gstrSims2Path, c.expected) << c.what;
        EXPECT_EQ(gstrDocumentsPath, kDocuments) << c.what;
    }
    EXPECT_TRUE(trapCalls.empty());
}

// The data folder the installer named comes first; without it, or without a folder of that
// name, the known names and the listing decide as they always have; an edition's own name that
// the listing cannot see is tried last, and only when an installer named one.
TEST_F(Editions, TheDisplayNameFolderComesFirst)
{
    const std::string ultimate = "The Sims\xE2\x84\xA2 2 Ultimate Collection";
    const auto legacy = [](const std::string& displayName) {
        return kLegacyKey + "]\n\"DisplayName\"=\"" + displayName + "\"\n\n" + kLegacyKey +
               "\\\\Sims2EP9.exe]\n\"path\"=\"C:\\\\Games\\\\The Sims 2 Legacy\\\\EP9\"\n\n";
    };
    struct Case {
        const char* what;
        std::string user;                  // the Legacy Collection's key
        std::vector<std::string> folders;  // below EA Games
        std::string expected;              // after "EA Games\", or "ERROR"
    };
    const std::vector<Case> cases = {
        {"its own folder before a stale one", legacy("The Sims 2 Legacy"), {"The Sims 2", "The Sims 2 Legacy"},
         "The Sims 2 Legacy"},
        {"its own folder before a known name", legacy("Los Sims 2 Legado"), {"Los Sims 2", "Los Sims 2 Legado"},
         "Los Sims 2 Legado"},
        {"accents from the registry's escapes", legacy("Les Sims 2 H\\x00e9ritage"), {"Die Sims 2", "Les Sims 2 H\xC3\xA9ritage"},
         "Les Sims 2 H\xC3\xA9ritage"},
        {"found without regard to case", legacy("The Sims 2 Legacy"), {"the sims 2 legacy"}, "The Sims 2 Legacy"},
        {"not made yet: the known names", legacy("The Sims 2 Legacy"), {"The Sims 2"}, "The Sims 2"},
        {"not made yet: the listing", legacy("De Sims 2 Erfenis"), {"Mijn Sims 2"}, "Mijn Sims 2"},
        {"a name no folder can have", legacy("The Sims 2: Legacy"), {"Die Sims 2"}, "Die Sims 2"},
        {"a name of nothing but the folder above", legacy(".."), {}, "ERROR"},
        {"the collection's name the listing cannot see", legacy("Sims Legacy"), {ultimate}, ultimate},
        {"no DisplayName: as always", kLegacyKey + "\\\\Sims2EP9.exe]\n\"path\"=\"C:\\\\G\\\\EP9\"\n\n", {ultimate},
         "ERROR"},
    };
    for (const Case& c : cases) {
        fs::remove_all(EaGames());
        fs::create_directories(EaGames());
        for (const std::string& folder : c.folders)
            fs::create_directories(EaGames() / folder);
        WriteRegistry("", c.user);
        gsGetSims2Paths();
        EXPECT_EQ(gstrSims2DataPath, c.expected == "ERROR" ? c.expected : kDocuments + "\\EA Games\\" + c.expected)
            << c.what;
    }
    EXPECT_TRUE(trapCalls.empty());
}

// Without WINEPREFIX, a ~/.wine without the game gives way to the Legacy Collection's Proton
// prefix in a Steam library that only libraryfolders.vdf names; with the game in ~/.wine, that
// one is kept.
TEST_F(Editions, SteamsPrefixIsFoundWhenWineprefixIsNotSet)
{
    const char* homeBefore = std::getenv("HOME");
    const std::optional<std::string> savedHome = homeBefore ? std::optional<std::string>(homeBefore) : std::nullopt;
    const std::string home = (Scratch() / "home").string();
    setenv("HOME", home.c_str(), 1);
    unsetenv("WINEPREFIX");
    const fs::path steam = Scratch() / "home" / ".local" / "share" / "Steam";
    WriteFile(steam / "steamapps" / "libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
                  "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + (Scratch() / "games").string() +
                  "\"\n\t}\n}\n");
    const fs::path proton = Scratch() / "games" / "steamapps" / "compatdata" / "3314070" / "pfx";
    writer::gsMakeSampleGame(proton, SampleEdition::Legacy);
    fs::create_directories(Scratch() / "home" / ".wine" / "drive_c");

    gsGetSims2Paths();
    const writer::SampleFolders legacy = writer::gudtSampleFolders(SampleEdition::Legacy);
    EXPECT_EQ(gstrSims2Path, legacy.InstallFolder);
    EXPECT_EQ(gstrSims2DataPath, legacy.DataFolder);

    writer::gsMakeSampleGame(Scratch() / "home" / ".wine", SampleEdition::Disc);
    gsGetSims2Paths();
    EXPECT_EQ(gstrSims2Path, writer::gudtSampleFolders(SampleEdition::Disc).InstallFolder);

    if (savedHome)
        setenv("HOME", savedHome->c_str(), 1);
    else
        unsetenv("HOME");
    EXPECT_TRUE(trapCalls.empty());
}

} // namespace
