#include "platform/AppInfo.h"
#include "platform/wine/InstalledProgram.h"

#include "support/TestSupport.h"

#include <cstdlib>
#include <optional>


namespace {

namespace fs = std::filesystem;

class AppInfo : public testsupport::TrapTest {
protected:
    void TearDown() override
    {
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }
};

TEST_F(AppInfo, ProgramFolderReadsThroughTheDriveThatHoldsIt)
{
    // Make drive D: the folder of this test program: the program folder is then D:'s root.
    const fs::path folder = fs::canonical("/proc/self/exe").parent_path();
    fs::create_directories(Scratch() / "prefix" / "dosdevices");
    fs::create_directory_symlink(folder, Scratch() / "prefix" / "dosdevices" / "d:");
    EXPECT_EQ(platform::gfstrAppPath(), "D:\\");

    fs::remove(Scratch() / "prefix" / "dosdevices" / "d:");
    EXPECT_EQ(platform::gfstrAppPath(), WinPath(folder));

    platform::gsSetAppPath("C:\\Program Files\\Clashwick");
    EXPECT_EQ(platform::gfstrAppPath(), "C:\\Program Files\\Clashwick");
    platform::gsSetAppPath("");
    EXPECT_EQ(platform::gfstrAppPath(), WinPath(folder));
}

// Sets or clears an environment variable for one scope, restoring its value after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        msSet(name_, value);
    }
    ~ScopedEnvironment() { msSet(name_, old_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void msSet(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    const char* name_;
    std::optional<std::string> old_;
};

// A program counts as installed only in the bin folder of a prefix that holds the install
// rules' marker file; anywhere else it keeps its files beside itself, as a build folder does.
TEST_F(AppInfo, OnlyAProgramInAnInstalledBinFolderMovesItsFiles)
{
    WriteFile(Scratch() / "usr" / "share" / "clashwick" / "installed", "marker");
    WriteFile(Scratch() / "share" / "clashwick" / "installed", "marker");  // beside "build"
    fs::create_directories(Scratch() / "local" / "share" / "clashwick" / "installed");  // a folder
    WriteFile(Scratch() / "opt" / "share" / "clashwick" / "README", "no marker");
    const ScopedEnvironment dataHome("XDG_DATA_HOME", (Scratch() / "data").string());

    struct Case {
        std::string programFolder;  // below the scratch folder
        bool installed;
    };
    const Case cases[] = {
        {"usr/bin", true},
        {"usr/bin/", true},
        {"build", false},
        {"usr/sbin", false},
        {"local/bin", false},
        {"opt/bin", false},
        {"usr/bin/tools", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.programFolder);
        fs::remove_all(Scratch() / "data");
        const std::string folder = (Scratch() / c.programFolder).string();
        EXPECT_EQ(platform::wine::gfblnInstalledProgram(folder), c.installed);
        EXPECT_EQ(platform::wine::gfstrOwnFilesFolder(folder),
                  c.installed ? (Scratch() / "data" / "clashwick").string() : folder);
        // The data folder is made for an installed program only.
        EXPECT_EQ(fs::is_directory(Scratch() / "data" / "clashwick"), c.installed);
    }
}

// The user's data folder follows the base-directory rules: an absolute $XDG_DATA_HOME, else
// ~/.local/share; the folders on the way are made, private to the user.
TEST_F(AppInfo, InstalledProgramKeepsItsFilesInTheUsersDataFolder)
{
    WriteFile(Scratch() / "usr" / "share" / "clashwick" / "installed", "marker");
    WriteFile(Scratch() / "a file", "not a folder");
    const std::string home = (Scratch() / "home").string();
    const ScopedEnvironment homeVariable("HOME", home);

    struct Case {
        const char* name;
        std::optional<std::string> dataHome;
        std::string expected;
        bool made;
    };
    const Case cases[] = {
        {"unset", std::nullopt, home + "/.local/share/clashwick", true},
        {"empty", "", home + "/.local/share/clashwick", true},
        {"relative, so ignored", "data", home + "/.local/share/clashwick", true},
        {"absolute", (Scratch() / "data").string(), (Scratch() / "data" / "clashwick").string(), true},
        {"with a trailing slash", (Scratch() / "data").string() + "/", (Scratch() / "data" / "clashwick").string(), true},
        // Below a file nothing can be made: the path is still the one to report, and the first
        // write there fails with its error.
        {"below a file", (Scratch() / "a file" / "data").string(), (Scratch() / "a file" / "data" / "clashwick").string(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Scratch() / "home");
        fs::remove_all(Scratch() / "data");
        const ScopedEnvironment dataHome("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(platform::wine::gfstrUserDataFolder(), c.expected);
        EXPECT_EQ(platform::wine::gfstrOwnFilesFolder((Scratch() / "usr" / "bin").string()), c.expected);
        EXPECT_EQ(fs::is_directory(c.expected), c.made);
        if (c.made && c.expected.starts_with(home)) {
            EXPECT_EQ(fs::status(home + "/.local").permissions(), fs::perms::owner_all);
        }
    }
}

} // namespace
