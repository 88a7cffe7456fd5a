#include "app/modSims2General.h"
#include "platform/GamePrefix.h"
#include "platform/wine/Prefix.h"
#include "platform/wine/SteamLibraries.h"

#include "support/AllocationMeter.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <functional>
#include <optional>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using platform::wine::gfstrLibraryFoldersOf;
using Paths = std::vector<std::string>;
using namespace std::string_literals;

constexpr const char* kAppId = "2300";

const std::string kNewForm = R"("libraryfolders"
{
	"0"
	{
		"path"		"/home/player/.local/share/Steam"
		"label"		""
		"contentid"		"123"
		"apps"
		{
			"228980"		"191281287"
		}
	}
	"1"
	{
		"path"		"/mnt/games/SteamLibrary"
		"apps" { "3314070" "4000000000" }
	}
}
)";

TEST(SteamPrefixVdf, ReadsThePathsAndKeepsWhatCameBeforeDamage)
{
    const struct {
        const char* name;
        std::string text;
        Paths expected;
    } cases[] = {
        {"new form", kNewForm, {"/home/player/.local/share/Steam", "/mnt/games/SteamLibrary"}},
        {"old form: a number key whose value is the path",
         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n"
         "\t\"1\"\t\t\"/mnt/games/SteamLibrary\"\n\t\"2\"\t\t\"/media/ssd/Steam\"\n}\n",
         {"/mnt/games/SteamLibrary", "/media/ssd/Steam"}},
        {"comments", "// by hand\n\"libraryfolders\" // the root\n{\n// \"0\" { \"path\" \"/not/this\" }\n"
                     "\"0\" { \"path\" \"/yes\" // after a value\n} }",
         {"/yes"}},
        {"escapes",
         R"("libraryfolders" { "0" { "path" "D:\\Games\\Steam" } "1" { "path" "/a \"b\"\tc\nd" } "2" { "path" "/odd\q" } })",
         {"D:\\Games\\Steam", "/a \"b\"\tc\nd", "/odd\\q"}},
        {"keys in any case", R"("LIBRARYFOLDERS" { "0" { "Path" "/x" } "1" { "PATH" "/y" } })", {"/x", "/y"}},
        {"bare strings and conditions", "\xEF\xBB\xBFlibraryfolders { 0 { path /x [$LINUX] apps { 1 2 } } }", {"/x"}},
        {"only an entry's own path",
         R"("libraryfolders" { "path" "/no" "0" { "apps" { "path" "/no" } "path" "" "path" "/yes" } })",
         {"/yes"}},
        {"another file", R"("config" { "0" { "path" "/no" } })", {}},
        {"string without its end", R"("libraryfolders" { "0" { "path" "/a" } "1" { "path" "/b)", {"/a"}},
        {"key without a value", R"("libraryfolders" { "0" { "path" "/a" "label" } "1" { "path" "/b" } })", {"/a"}},
        {"a close too many", R"("libraryfolders" } { "0" { "path" "/a" } })", {}},
        {"bytes that are no text", "\"libraryfolders\" {\0\xFF\"\\"s, {}},
        // Longer than any path: passed over, and what follows is still read.
        {"an over-long value",
         R"("libraryfolders" { "0" { "label" ")" + std::string(5000, 'x') + R"(" "path" "/a" } "1" { "path" "/b" } })",
         {"/a", "/b"}},
        {"an over-long path", R"("libraryfolders" { "0" { "path" "/)" + std::string(5000, 'x') + R"(" } "1" { "path" "/b" } })",
         {"/b"}},
        {"an over-long bare key and value",
         "libraryfolders { 0 { " + std::string(5000, 'k') + " " + std::string(5000, 'v') + " path /a } }", {"/a"}},
        {"a value of the longest length kept",
         R"("libraryfolders" { "0" { "path" "/)" + std::string(4095, 'x') + R"(" } })", {"/" + std::string(4095, 'x')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gfstrLibraryFoldersOf(c.text), c.expected) << c.name;

    // Cut anywhere, the real file gives the paths that stand wholly before the cut.
    const Paths whole = gfstrLibraryFoldersOf(kNewForm);
    for (std::size_t cut = 0; cut < kNewForm.size(); ++cut) {
        const Paths got = gfstrLibraryFoldersOf(kNewForm.substr(0, cut));
        ASSERT_LE(got.size(), whole.size()) << cut;
        EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin())) << cut;
    }
}

TEST(SteamPrefixVdf, HugeOrDeepTextStaysBounded)
{
    constexpr std::size_t kHuge = std::size_t{16} << 20;
    std::string deep = "\"libraryfolders\" { \"0\" { \"path\" \"/a\" }";
    for (int i = 0; i < 1'000'000; ++i)
        deep += " \"k\" {";
    std::string manyPaths = "\"libraryfolders\" {";
    for (int i = 0; i < 200'000; ++i)
        manyPaths += " \"" + std::to_string(i) + "\" \"/library\"";
    const struct {
        const char* name;
        std::string text;
        std::size_t maxPaths;
    } cases[] = {
        {"endless string", "\"libraryfolders\" { \"0\" { \"path\" \"" + std::string(kHuge, 'a'), 0},
        {"endless bare key", "libraryfolders { " + std::string(kHuge, 'a'), 0},
        {"endless comment", "libraryfolders { // " + std::string(kHuge, 'a'), 0},
        {"deep nesting", deep, 1},
        {"endless list", manyPaths, 1000},
    };
    for (const auto& c : cases) {
        testsupport::AllocationMeter meter;
        const Paths got = gfstrLibraryFoldersOf(c.text);
        EXPECT_LE(got.size(), c.maxPaths) << c.name;
        EXPECT_LT(meter.PeakBytes(), std::size_t{1} << 20) << c.name;
    }
}

// Each test has a home of its own with no Steam and no $WINEPREFIX.
class SteamPrefix : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        if (const char* home = std::getenv("HOME"))
            savedHome_ = home;
        unsetenv("WINEPREFIX");
        // Canonical, as the libraries come back.
        home_ = fs::canonical(Scratch()) / "home";
        fs::create_directories(home_);
        setenv("HOME", home_.c_str(), 1);
    }

    void TearDown() override
    {
        platform::wine::gsSetChosenPrefix("");
        if (savedHome_)
            setenv("HOME", savedHome_->c_str(), 1);
        else
            unsetenv("HOME");
        TrapTest::TearDown();
    }

public:  // for the cases' set-up
    fs::path Native() const { return home_ / ".local/share/Steam"; }
    fs::path Flatpak() const { return home_ / ".var/app/com.valvesoftware.Steam/.local/share/Steam"; }
    fs::path Library() const { return home_.parent_path() / "SteamLibrary"; }
    fs::path Wine() const { return home_ / ".wine"; }

    // A Steam prefix, holding the game (as Choose judges it) or left over without it.
    static fs::path MakePfx(const fs::path& library, const std::string& appId = kAppId, bool withGame = true)
    {
        const fs::path pfx = library / "steamapps/compatdata" / appId / "pfx";
        fs::create_directories(pfx);
        if (withGame)
            WriteFile(pfx / kGameMark, "");
        return pfx;
    }

    // A libraryfolders.vdf of the new form in `root`, listing `libraries`.
    static void WriteVdf(const fs::path& root, const std::vector<fs::path>& libraries)
    {
        std::string text = "\"libraryfolders\"\n{\n";
        for (std::size_t i = 0; i < libraries.size(); ++i)
            text += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + libraries[i].string() + "\"\n\t}\n";
        WriteFile(root / "steamapps/libraryfolders.vdf", text + "}\n");
    }

    // Chooses, with the game in the prefixes that hold kGameMark (never ~/.wine), and gives the
    // prefix then in use.
    static std::string Choose()
    {
        platform::gsChooseGamePrefix(
            [] {
                const fs::path inUse = platform::wine::gfstrWinePrefix();
                return inUse != Home() / ".wine" && fs::exists(inUse / kGameMark);
            },
            kAppId);
        return platform::wine::gfstrWinePrefix();
    }

    static fs::path Home() { return std::getenv("HOME"); }

    static constexpr const char* kGameMark = "holds the game";

protected:
    fs::path home_;
    std::optional<std::string> savedHome_;
};

TEST_F(SteamPrefix, ChoosesTheFirstSteamPrefixThatHoldsTheGame)
{
    const struct {
        const char* name;
        std::function<fs::path(SteamPrefix&)> make;  // the prefix expected
    } cases[] = {
        {"a library listed only in libraryfolders.vdf",
         [](SteamPrefix& t) {
             WriteVdf(t.Native(), {t.Native(), t.Library()});
             return MakePfx(t.Library());
         }},
        {"the Flatpak root", [](SteamPrefix& t) { return MakePfx(t.Flatpak()); }},
        {"a root's libraries before the next root",
         [](SteamPrefix& t) {
             MakePfx(t.Flatpak());
             WriteVdf(t.Native(), {t.Library()});
             return MakePfx(t.Library());
         }},
        {"none: another game's prefix, a file, a library gone",
         [](SteamPrefix& t) {
             MakePfx(t.Native(), "2301");
             WriteFile(t.Flatpak() / "steamapps/compatdata" / kAppId / "pfx", "");
             WriteVdf(t.Native(), {t.Library()});
             return t.Wine();
         }},
        {"past a prefix left over without the game in an earlier library",
         [](SteamPrefix& t) {
             MakePfx(t.Native(), kAppId, false);
             WriteVdf(t.Native(), {t.Library()});
             return MakePfx(t.Library());
         }},
        {"past a root's prefix without the game to the next root",
         [](SteamPrefix& t) {
             MakePfx(t.Native(), kAppId, false);
             return MakePfx(t.Flatpak());
         }},
        {"none holds the game",
         [](SteamPrefix& t) {
             MakePfx(t.Native(), kAppId, false);
             MakePfx(t.Flatpak(), kAppId, false);
             return t.Wine();
         }},
    };
    for (const auto& c : cases) {
        fs::remove_all(home_);
        fs::remove_all(Library());
        fs::create_directories(home_);
        const fs::path expected = c.make(*this);
        EXPECT_EQ(Choose(), expected.string()) << c.name;
    }
}

TEST_F(SteamPrefix, WinePrefixThenWineThenSteam)
{
    const fs::path pfx = MakePfx(Native());
    // Any earlier choice is forgotten, and the game is looked for with ~/.wine in use.
    platform::wine::gsSetChosenPrefix(pfx.string());
    std::string askedIn;
    platform::gsChooseGamePrefix([&] { askedIn = platform::wine::gfstrWinePrefix(); return true; }, kAppId);
    EXPECT_EQ(askedIn, Wine().string());
    EXPECT_EQ(platform::wine::gfstrWinePrefix(), Wine().string());
    EXPECT_EQ(Choose(), pfx.string());

    // $WINEPREFIX wins without asking, and the earlier choice does not wait behind it.
    const std::string winePrefix = (Scratch() / "prefix").string();
    setenv("WINEPREFIX", winePrefix.c_str(), 1);
    askedIn.clear();
    platform::gsChooseGamePrefix([&] { askedIn = "asked"; return false; }, kAppId);
    EXPECT_EQ(askedIn, "");
    EXPECT_EQ(platform::wine::gfstrWinePrefix(), winePrefix);
    unsetenv("WINEPREFIX");
    EXPECT_EQ(platform::wine::gfstrWinePrefix(), Wine().string());
}

// Start-up judges a Steam prefix as it judges ~/.wine, by the game's keys in its registry: one
// left in an earlier library, empty or with a registry that names no game, hides nothing.
TEST_F(SteamPrefix, StartUpFindsTheGameBehindAPrefixWithoutIt)
{
    constexpr const char* kLegacyApp = "3314070";
    const struct {
        const char* name;
        std::function<void(const fs::path&)> leftOver;
    } cases[] = {
        {"an empty prefix", [](const fs::path&) {}},
        {"a prefix whose registry names no game",
         [](const fs::path& pfx) {
             WriteFile(pfx / "system.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Other] 1\n\"a\"=\"b\"\n");
             WriteFile(pfx / "user.reg",
                       "WINE REGISTRY Version 2\n\n"
                       "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
                       "\"Personal\"=\"C:\\\\elsewhere\"\n");
         }},
    };
    const writer::SampleFolders expected = writer::gudtSampleFolders(writer::SampleEdition::Legacy);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home_);
        fs::remove_all(Library());
        c.leftOver(MakePfx(Native(), kLegacyApp, false));
        WriteVdf(Native(), {Library()});
        const fs::path game = Library() / "steamapps/compatdata" / kLegacyApp / "pfx";
        writer::gsMakeSampleGame(game, writer::SampleEdition::Legacy);
        gstrDocumentsPath.clear();
        gstrSims2Path.clear();
        gstrSims2DataPath.clear();
        gsGetSims2Paths();
        EXPECT_EQ(platform::wine::gfstrWinePrefix(), game.string());
        EXPECT_EQ(gstrSims2Path, expected.InstallFolder);
        EXPECT_EQ(gstrDocumentsPath, expected.Documents);
        EXPECT_EQ(gstrSims2DataPath, expected.DataFolder);
    }
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(SteamPrefix, EachLibraryIsListedOnce)
{
    // ~/.steam/steam links to the native root, and the file names libraries in several ways.
    WriteVdf(Native(), {Native(), Library(), Library() / ".", home_ / ".steam/steam", "relative/SteamLibrary",
                        Scratch() / "gone"});
    fs::create_directories(Library());
    fs::create_directories(home_ / ".steam");
    fs::create_directory_symlink(Native(), home_ / ".steam/steam");
    EXPECT_EQ(platform::wine::gfstrSteamLibraries(), (Paths{Native().string(), Library().string()}));

    // Without the native root, the link's target is gone and so is the root it stood for.
    fs::remove_all(Native());
    EXPECT_EQ(platform::wine::gfstrSteamLibraries(), Paths{});
}

TEST_F(SteamPrefix, LibraryFoldersIsReadWithABound)
{
    fs::create_directories(Library());
    const fs::path vdf = Native() / "steamapps/libraryfolders.vdf";
    // A library beyond the first MiB is not read.
    WriteFile(vdf, "\"libraryfolders\" { \"0\" { \"path\" \"" + Native().string() + "\" }\n// " +
                       std::string(std::size_t{2} << 20, 'x') + "\n\"1\" { \"path\" \"" + Library().string() +
                       "\" } }");
    EXPECT_EQ(platform::wine::gfstrSteamLibraries(), Paths{Native().string()});
    // A pipe in its place is not waited on.
    fs::remove(vdf);
    ASSERT_EQ(::mkfifo(vdf.c_str(), 0600), 0);
    EXPECT_EQ(platform::wine::gfstrSteamLibraries(), Paths{Native().string()});
}

} // namespace
