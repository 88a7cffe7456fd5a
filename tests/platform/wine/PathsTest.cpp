#include "platform/Paths.h"

#include "errors/Failure.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <optional>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using platform::PathUse;

class PathLayer : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        WriteFile(Scratch() / "Data" / "Downloads" / "Hack.package", "h");
        WriteFile(Scratch() / "Twin" / "a", "lower");
        WriteFile(Scratch() / "Twin" / "A", "upper");
        WriteFile(Scratch() / "file.txt", "f");
        WriteFile(Scratch() / "\xC3\x9Cn\xC3\xAF" "code" / "\xC3\xA9t\xC3\xA9.package", "u");  // Ünïcode/été.package
    }

    // The Windows form of a path below the scratch folder, written as the program would.
    std::string Win(const std::string& relative) const { return WinPath(Scratch()) + "\\" + relative; }
    std::string Host(const std::string& relative) const { return (Scratch() / relative).string(); }
};

TEST_F(PathLayer, ResolvesComponentsTheWayWineDoes)
{
    struct Case {
        std::string windows;  // below the scratch folder
        PathUse use;
        std::string host;     // expected, below the scratch folder; empty when it must fail
        std::int32_t number;  // the failure expected otherwise
    };
    const std::string longName(256, 'n');
    const Case cases[] = {
        {"Data\\Downloads\\Hack.package", PathUse::Existing, "Data/Downloads/Hack.package", 0},
        {"data\\DOWNLOADS\\hack.PACKAGE", PathUse::Existing, "Data/Downloads/Hack.package", 0},
        {"Data\\\\Downloads\\\\\\Hack.package", PathUse::Existing, "Data/Downloads/Hack.package", 0},
        {"Data/downloads/Hack.package", PathUse::Existing, "Data/Downloads/Hack.package", 0},
        {"Data\\.\\x\\..\\Downloads\\Hack.package", PathUse::Existing, "Data/Downloads/Hack.package", 0},
        // Two names that differ only in case: each finds itself.
        {"Twin\\a", PathUse::Existing, "Twin/a", 0},
        {"Twin\\A", PathUse::Existing, "Twin/A", 0},
        // Non-ASCII names match without regard to case.
        {"\xC3\xBCN\xC3\x8F" "CODE\\\xC3\x89T\xC3\x89.package", PathUse::Existing,
         "\xC3\x9Cn\xC3\xAF" "code/\xC3\xA9t\xC3\xA9.package", 0},
        {"Data\\Downloads\\missing.package", PathUse::Existing, "", errFileNotFound},
        {"Data\\Missing\\Hack.package", PathUse::Existing, "", errPathNotFound},
        {"file.txt\\Hack.package", PathUse::Existing, "", errPathNotFound},
        {"Data\\bad?.package", PathUse::Existing, "", errBadFileName},
        {"Data\\a:b", PathUse::Existing, "", errBadFileName},
        {"Data\\tab\x09name", PathUse::Existing, "", errBadFileName},
        {"Data\\" + longName, PathUse::Existing, "", errBadFileName},
        {"Data\\bad|name\\Hack.package", PathUse::Existing, "", errBadFileName},
        // To create: the last component may be new, and takes an existing entry's case.
        {"data\\downloads\\New.txt", PathUse::ToCreate, "Data/Downloads/New.txt", 0},
        {"data\\downloads\\HACK.package", PathUse::ToCreate, "Data/Downloads/Hack.package", 0},
        {"Data\\Nowhere\\New.txt", PathUse::ToCreate, "", errPathNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windows);
        if (c.host.empty()) {
            EXPECT_EQ(testsupport::RaisedBy([&] { platform::gfstrHostPath(Win(c.windows), c.use); }), c.number);
        } else {
            EXPECT_EQ(fs::path(platform::gfstrHostPath(Win(c.windows), c.use)), fs::path(Host(c.host)));
        }
    }
}

TEST_F(PathLayer, DrivesComeFromThePrefix)
{
    const fs::path prefix = Scratch() / "prefix";
    WriteFile(prefix / "drive_c" / "users" / "me.txt", "m");
    EXPECT_EQ(platform::gfstrHostPath("C:\\USERS\\me.txt"), (prefix / "drive_c/users/me.txt").string());
    EXPECT_EQ(platform::gfstrHostPath("c:\\users"), (prefix / "drive_c/users").string());
    EXPECT_EQ(platform::gfstrHostPath("Z:\\"), "/");
    EXPECT_EQ(testsupport::RaisedBy([] { platform::gfstrHostPath("D:\\x"); }), errPathNotFound);

    // With dosdevices, a drive is its link; C: and Z: fall back when they have none.
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(Scratch() / "Dee");
    WriteFile(Scratch() / "Dee" / "Thing", "t");
    fs::create_directory_symlink(Scratch() / "Dee", prefix / "dosdevices" / "d:");
    EXPECT_EQ(fs::canonical(platform::gfstrHostPath("d:\\thing")), fs::canonical(Scratch() / "Dee" / "Thing"));
    EXPECT_EQ(platform::gfstrHostPath("C:\\users\\me.txt"), (prefix / "drive_c/users/me.txt").string());
    EXPECT_EQ(testsupport::RaisedBy([] { platform::gfstrHostPath("Q:\\x"); }), errPathNotFound);

    // The prefix is read at every call.
    fs::create_directories(Scratch() / "other" / "drive_c");
    setenv("WINEPREFIX", (Scratch() / "other").c_str(), 1);
    EXPECT_EQ(platform::gfstrHostPath("C:\\x", PathUse::ToCreate), (Scratch() / "other/drive_c/x").string());
}

TEST_F(PathLayer, PathsWithoutADriveAreRelativeToTheCurrentFolder)
{
    const fs::path saved = fs::current_path();
    fs::current_path(Scratch() / "Data");
    const std::string relative = platform::gfstrHostPath("downloads\\hack.package");
    const std::string rooted = platform::gfstrHostPath(WinPath(Scratch()).substr(2) + "\\file.txt");
    fs::current_path(saved);
    EXPECT_EQ(fs::canonical(relative), fs::canonical(Scratch() / "Data/Downloads/Hack.package"));
    EXPECT_EQ(fs::canonical(rooted), fs::canonical(Scratch() / "file.txt"));
}

TEST_F(PathLayer, HostPathsReadThroughTheDriveThatHoldsThem)
{
    const fs::path prefix = Scratch() / "prefix";
    EXPECT_EQ(platform::gfstrWindowsPath((prefix / "drive_c" / "users").string()), "C:\\users");
    EXPECT_EQ(platform::gfstrWindowsPath((prefix / "drive_c").string()), "C:\\");
    EXPECT_EQ(platform::gfstrWindowsPath("/opt/clashwick/bin"), "Z:\\opt\\clashwick\\bin");
    EXPECT_EQ(platform::gfstrWindowsPath("/"), "Z:\\");

    // The longest target wins; Z: is the last resort even when its target is longer.
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(Scratch() / "Dee" / "Inner");
    fs::create_directories(Scratch() / "Dee" / "Deep");
    fs::create_directory_symlink(Scratch() / "Dee", prefix / "dosdevices" / "d:");
    fs::create_directory_symlink(Scratch() / "Dee" / "Inner", prefix / "dosdevices" / "e:");
    fs::create_directory_symlink(Scratch() / "Dee" / "Deep", prefix / "dosdevices" / "z:");
    EXPECT_EQ(platform::gfstrWindowsPath((Scratch() / "Dee" / "Inner" / "f").string()), "E:\\f");
    EXPECT_EQ(platform::gfstrWindowsPath((Scratch() / "Dee" / "Deep" / "h").string()), "D:\\Deep\\h");
    EXPECT_EQ(platform::gfstrWindowsPath((Scratch() / "Dee").string()), "D:\\");
    EXPECT_EQ(platform::gfstrWindowsPath("/opt"), "Z:\\opt");
}

} // namespace
