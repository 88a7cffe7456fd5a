#include "app/modSims2General.h"

#include "platform/modWINAPI.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kInstallDir = "C:\\Program Files\\EA GAMES\\The Sims 2";
const std::string kDocuments = "C:\\users\\player\\Documents";

// A Windows-form path as a registry file writes it: backslashes doubled.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

class Sims2Paths : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        gstrDocumentsPath.clear();
        gstrSims2Path.clear();
        gstrSims2DataPath.clear();
        fs::create_directories(DriveC() / "Program Files" / "EA GAMES" / "The Sims 2");
        fs::create_directories(Documents());
    }
    void TearDown() override
    {
        if (!savedFolder_.empty())
            fs::current_path(savedFolder_);
        TrapTest::TearDown();
    }

    fs::path DriveC() const { return Scratch() / "prefix" / "drive_c"; }
    fs::path Documents() const { return DriveC() / "users" / "player" / "Documents"; }

    // The registry of a 64-bit prefix as Wine writes it; an empty value leaves it out.
    void WriteRegistry(const std::string& installDir, const std::string& personal)
    {
        std::string system = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
                             "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2] 1733580000\n#time=1db48a5c0e2f3a0\n";
        if (!installDir.empty())
            system += "\"Install Dir\"=\"" + Escaped(installDir) + "\"\n";
        system += "\"Language\"=dword:00000409\n";
        WriteFile(Scratch() / "prefix" / "system.reg", system);

        std::string user = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                           "#arch=win64\n\n"
                           "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1733580000\n"
                           "#time=1db48a5c0e2f3a0\n\"Desktop\"=\"C:\\\\users\\\\player\\\\Desktop\"\n";
        if (!personal.empty())
            user += "\"Personal\"=\"" + Escaped(personal) + "\"\n";
        WriteFile(Scratch() / "prefix" / "user.reg", user);
    }

    // Makes the current folder a folder of the test's own for the rest of the test.
    void EnterFolder(const fs::path& folder)
    {
        fs::create_directories(folder);
        if (savedFolder_.empty())
            savedFolder_ = fs::current_path();
        fs::current_path(folder);
    }

private:
    fs::path savedFolder_;
};

TEST_F(Sims2Paths, FindsTheDataFolderUnderItsKnownNamesThenByListing)
{
    WriteRegistry(kInstallDir, kDocuments);
    struct Case {
        std::vector<std::string> entries;  // below "EA Games"; "file:" makes a file
        bool eaGames;                      // whether "EA Games" exists at all
        std::string expected;              // after the documents folder, or "ERROR"
    };
    const Case cases[] = {
        {{"Die Sims 2", "The Sims 2"}, true, "\\EA Games\\The Sims 2"},
        {{"Os Sims 2", "Die Sims 2", "Mes Sims 2"}, true, "\\EA Games\\Die Sims 2"},
        {{"the sims 2"}, true, "\\EA Games\\The Sims 2"},       // found without regard to case
        {{"file:The Sims 2"}, true, "\\EA Games\\The Sims 2"},  // a file of that name counts
        {{".Mes Sims 2", "Zed Sims 2"}, true, "\\EA Games\\Zed Sims 2"},  // hidden entries are not listed
        {{"Mes Sims 2"}, true, "\\EA Games\\Mes Sims 2"},
        {{"Yo Sims 2", "abc Sims 2"}, true, "\\EA Games\\abc Sims 2"},  // listing order ignores case
        {{"file:Notes Sims 2.txt"}, true, "\\EA Games\\Notes Sims 2.txt"},
        {{"THE SIMS 2 STUFF", "Sims 3", ".Hidden Sims 2"}, true, "ERROR"},
        // Names no Windows path can hold are entries no Windows program sees.
        {{"Sims 2: Extra"}, true, "ERROR"},
        {{"A Sims 2?", "file:B Sims 2|x", "Mes Sims 2"}, true, "\\EA Games\\Mes Sims 2"},
        {{}, true, "ERROR"},
        {{}, false, "ERROR"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Documents() / "EA Games");
        if (c.eaGames)
            fs::create_directories(Documents() / "EA Games");
        for (const std::string& entry : c.entries) {
            if (entry.starts_with("file:"))
                WriteFile(Documents() / "EA Games" / entry.substr(5), "x");
            else
                fs::create_directories(Documents() / "EA Games" / entry);
        }
        gsGetSims2Paths();
        const std::string expected = c.expected == "ERROR" ? c.expected : kDocuments + c.expected;
        EXPECT_EQ(gstrSims2DataPath, expected) << c.expected;
        EXPECT_EQ(gstrDocumentsPath, kDocuments);
        EXPECT_EQ(gstrSims2Path, kInstallDir);
    }
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(Sims2Paths, InstallFolderComesFromTheRegistryInItsLongForm)
{
    struct Case {
        std::string installDir;  // as the registry holds it; empty leaves the value out
        std::string expected;
    };
    const Case cases[] = {
        {kInstallDir, kInstallDir},
        {"C:\\PROGRAM FILES\\ea games\\the SIMS 2", kInstallDir},  // the case as stored on disk
        {"C:\\Program Files\\EA GAMES\\The Sims 2\\", kInstallDir + "\\"},
        {"C:\\Program Files\\EA GAMES\\The Sims 2 Gone", ""},  // no longer there: empty, no failure
        {"", "ERROR"},                                         // value missing
    };
    for (const Case& c : cases) {
        WriteRegistry(c.installDir, kDocuments);
        gsGetSims2Paths();
        EXPECT_EQ(gstrSims2Path, c.expected) << c.installDir;
    }

    fs::remove(Scratch() / "prefix" / "system.reg");  // the key missing altogether
    gsGetSims2Paths();
    EXPECT_EQ(gstrSims2Path, "ERROR");
    EXPECT_EQ(gstrDocumentsPath, kDocuments);
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(Sims2Paths, MissingDocumentsFolderSearchesRelativeToTheCurrentFolder)
{
    WriteRegistry(kInstallDir, "");
    EnterFolder(Scratch() / "work");
    gsGetSims2Paths();
    EXPECT_EQ(gstrDocumentsPath, "ERROR");
    EXPECT_EQ(gstrSims2DataPath, "ERROR");

    fs::create_directories(Scratch() / "work" / "ERROR" / "EA Games" / "Die Sims 2");
    gsGetSims2Paths();
    EXPECT_EQ(gstrDocumentsPath, "ERROR");
    EXPECT_EQ(gstrSims2DataPath, "ERROR\\EA Games\\Die Sims 2");
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(Sims2Paths, FailureGoesToTheTrapAndStopsDiscovery)
{
    // A documents folder no path may name: the first lookup fails with 52.
    WriteRegistry(kInstallDir, "C:\\users\\player\\Doc|uments");
    gstrErrData = "";
    gsGetSims2Paths();
    ASSERT_EQ(trapCalls.size(), 1u);
    EXPECT_EQ(trapCalls[0].Location, 1000);
    EXPECT_EQ(trapCalls[0].Number, 52);
    EXPECT_EQ(trapCalls[0].Module, "modSims2General");
    EXPECT_EQ(trapCalls[0].Procedure, "gsGetSims2Paths");
    EXPECT_EQ(trapCalls[0].Data, "");
    EXPECT_EQ(gstrSims2Path, kInstallDir);
    EXPECT_EQ(gstrSims2DataPath, "C:\\users\\player\\Doc|uments\\EA Games\\The Sims 2");  // set, then looked up
}

TEST_F(Sims2Paths, LongPathNameKeepsTheWrittenFormWithStoredNames)
{
    // "C:\" + 200 + "\" + 55 is 259 characters: the longest form that fits 260 with its end.
    const std::string first(200, 'f');
    fs::create_directories(DriveC() / first / std::string(55, 's'));
    fs::create_directories(DriveC() / first / std::string(56, 's'));
    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {"c:\\program files\\EA games", "c:\\Program Files\\EA GAMES"},  // the drive as written
        {"C:/Program Files//ea games/", "C:/Program Files//EA GAMES/"},
        {"C:\\program files\\..\\Program Files\\.\\ea games", "C:\\Program Files\\..\\Program Files\\.\\EA GAMES"},
        {"C:\\", "C:\\"},
        {"C:\\" + first + "\\" + std::string(55, 'S'), "C:\\" + first + "\\" + std::string(55, 's')},
        {"C:\\" + first + "\\" + std::string(56, 's'), ""},  // 260 characters: too long
        {"C:\\Program Files\\Missing", ""},
        {"C:\\Missing\\..\\Program Files", ""},
        {"C:\\Program Files\\EA*", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::gfstrGetLongPathName(c.path), c.expected) << c.path;
}

} // namespace
