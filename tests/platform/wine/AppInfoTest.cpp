#include "platform/AppInfo.h"
#include "platform/wine/InstalledProgram.h"

#include "support/TestSupport.h"

#include <cstdlib>
#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

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

// The data folder is used only when it is the user's own and closed to writing by others, and
// when its Windows form leads back to it; otherwise the failure names it, and nothing is written
// in the folder the Windows form would have led to.
TEST_F(AppInfo, InstalledProgramRefusesADataFolderNotItsOwn)
{
    WriteFile(Scratch() / "usr" / "share" / "clashwick" / "installed", "marker");
    const std::string program = (Scratch() / "usr" / "bin").string();
    const fs::path data = Scratch() / "data" / "clashwick";
    // Another user's folder: as root one is made; otherwise a link to the root folder, which
    // root owns, stands for one.
    const auto makeForeign = [](const fs::path& folder) {
        if (::geteuid() == 0) {
            fs::create_directories(folder);
            ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        } else {
            fs::create_directories(folder.parent_path());
            fs::create_directory_symlink("/", folder);
        }
    };

    struct Case {
        const char* name;
        std::string dataHome;
        std::function<void()> prepare;
        std::optional<std::int32_t> refused;  // the number, or nothing when the folder is used
        std::string why;
    };
    const std::string weird = (Scratch() / "we\\ird").string();
    const Case cases[] = {
        {"own, made here", (Scratch() / "data").string(), [] {}, std::nullopt, ""},
        {"own, readable by others", (Scratch() / "data").string(),
         [&] { fs::create_directories(data); fs::permissions(data, fs::perms(0755)); }, std::nullopt, ""},
        {"a backslash, another folder where its Windows form leads", weird,
         [&] { fs::create_directories(Scratch() / "we" / "ird" / "clashwick"); }, 52, "no Windows path leads to it."},
        {"a backslash, nothing where its Windows form leads", weird, [] {}, 52, "no Windows path leads to it."},
        {"writable by the group", (Scratch() / "data").string(),
         [&] { fs::create_directories(data); fs::permissions(data, fs::perms(0770)); }, 70, "other users can write to it."},
        {"writable by others", (Scratch() / "data").string(),
         [&] { fs::create_directories(data); fs::permissions(data, fs::perms(0703)); }, 70, "other users can write to it."},
        {"another user's", (Scratch() / "data").string(), [&] { makeForeign(data); }, 70, "it belongs to another user."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* top : {"data", "we", "we\\ird"})
            fs::remove_all(Scratch() / top);
        const ScopedEnvironment dataHome("XDG_DATA_HOME", c.dataHome);
        c.prepare();
        const std::string folder = c.dataHome + "/clashwick";
        try {
            EXPECT_EQ(platform::wine::gfstrOwnFilesFolder(program), folder);
            EXPECT_FALSE(c.refused);
        } catch (const platform::UnusableFolder& unusable) {
            EXPECT_EQ(unusable.Number(), c.refused);
            EXPECT_EQ(unusable.Description(), "Can not use the data folder " + folder + ": " + c.why);
        }
        EXPECT_FALSE(fs::exists(Scratch() / "we" / "ird" / "clashwick" / "temp"));
    }
    // A link to the user's own folder that another user made is theirs to point elsewhere.
    if (::geteuid() == 0) {
        fs::remove_all(Scratch() / "data");
        fs::create_directories(Scratch() / "own");
        fs::permissions(Scratch() / "own", fs::perms::owner_all);
        fs::create_directories(Scratch() / "data");
        fs::create_directory_symlink(Scratch() / "own", data);
        ASSERT_EQ(::lchown(data.c_str(), 65534, 65534), 0);
        const ScopedEnvironment dataHome("XDG_DATA_HOME", (Scratch() / "data").string());
        EXPECT_EQ(testsupport::RaisedBy([&] { platform::wine::gfstrOwnFilesFolder(program); }), 70);
    }
}

} // namespace
