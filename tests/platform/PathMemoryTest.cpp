#include "platform/WinPath.h"

#include "errors/Failure.h"
#include "platform/AppInfo.h"
#include "platform/FileAccess.h"
#include "platform/Folders.h"
#include "support/TestSupport.h"

#include <functional>
#include <optional>
#include <variant>

namespace {

namespace fs = std::filesystem;
using platform::PathUse;

class PathMemory : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        WriteFile(Scratch() / "Docs" / "Downloads" / "Hacks" / "Fix.package", "f");
        WriteFile(Scratch() / "Docs" / "Downloads" / "Hacks" / "Other.package", "o");
        WriteFile(Scratch() / "Docs" / "Downloads" / "Twin" / "a", "lower");
        WriteFile(Scratch() / "Docs" / "Downloads" / "Twin" / "A", "upper");
        WriteFile(Scratch() / "Docs" / "file.txt", "t");
    }

    std::string Win(const std::string& relative) const { return WinPath(Scratch()) + "\\" + relative; }

    // The host path a resolution gives, or the error number it raises.
    static std::variant<std::string, std::int32_t> Resolve(const std::string& windows, PathUse use)
    {
        try {
            return platform::gfstrHostPath(windows, use);
        } catch (const Failure& failure) {
            return failure.Number();
        }
    }
};

// With the memory on, every path resolves to the same host path or fails with the same number
// as without it, the first time (folder not yet remembered) and the second (remembered).
TEST_F(PathMemory, ResolvesEveryPathAsAFullResolutionDoes)
{
    const std::vector<std::pair<std::string, PathUse>> cases = {
        {"Docs\\downloads\\hacks\\Fix.package", PathUse::Existing},   // caseless folders
        {"Docs\\Downloads\\Hacks\\fix.PACKAGE", PathUse::Existing},   // caseless name
        {"Docs\\Downloads\\Hacks\\Missing.package", PathUse::Existing},  // 53
        {"Docs\\Downloads\\Hacks\\Missing.package", PathUse::ToCreate},
        {"Docs\\Downloads\\Nowhere\\Fix.package", PathUse::Existing},  // 76
        {"Docs\\file.txt\\Fix.package", PathUse::Existing},            // a file on the way
        {"Docs\\Downloads\\Twin\\a", PathUse::Existing},               // exact name first
        {"Docs\\Downloads\\Twin\\A", PathUse::Existing},
        {"Docs\\Downloads\\Hacks\\..\\Hacks\\Other.package", PathUse::Existing},
        {"Docs\\Downloads\\Hacks\\.", PathUse::Existing},
        {"Docs\\Downloads\\Hacks\\", PathUse::Existing},
        {"Docs\\Downloads\\Hacks\\bad|name", PathUse::Existing},        // 52
    };
    for (const auto& [relative, use] : cases) {
        const auto expected = Resolve(Win(relative), use);
        const platform::PathMemory memory;
        EXPECT_EQ(Resolve(Win(relative), use), expected) << relative;
        EXPECT_EQ(Resolve(Win(relative), use), expected) << relative << " (remembered)";
    }
}

// Files are opened through a remembered folder by their exact name, and otherwise as before:
// the same bytes or the same failure, with the memory on or off.
TEST_F(PathMemory, OpensFilesAsWithoutIt)
{
    const auto read = [](const std::string& windows) -> std::variant<std::string, std::int32_t> {
        try {
            return platform::InputFile(windows).ReadAll();
        } catch (const Failure& failure) {
            return failure.Number();
        }
    };
    for (const std::string relative :
         {"Docs\\downloads\\Hacks\\Fix.package", "Docs\\Downloads\\Hacks\\FIX.package", "Docs\\Downloads\\Hacks\\None.package",
          "Docs\\Downloads\\Hacks", "Docs\\Downloads\\Twin\\A", "Docs\\Downloads\\Twin\\a"}) {
        const auto expected = read(Win(relative));
        const platform::PathMemory memory;
        EXPECT_EQ(read(Win(relative)), expected) << relative;
        EXPECT_EQ(read(Win(relative)), expected) << relative << " (remembered)";
    }
}

// Files opened by turns from two remembered folders come each from its own folder, and a folder
// removed and made again meanwhile is opened as it is now.
TEST_F(PathMemory, OpensEachFileInItsOwnFolder)
{
    const auto read = [this](const std::string& relative) { return platform::InputFile(Win(relative)).ReadAll(); };
    const platform::PathMemory memory;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(read("Docs\\Downloads\\Hacks\\Fix.package"), "f");
        EXPECT_EQ(read("Docs\\Downloads\\Twin\\a"), "lower");
        EXPECT_EQ(read("Docs\\Downloads\\Hacks\\Other.package"), "o");
        EXPECT_EQ(read("Docs\\Downloads\\Twin\\A"), "upper");
    }
    fs::remove_all(Scratch() / "Docs" / "Downloads" / "Twin");
    WriteFile(Scratch() / "Docs" / "Downloads" / "Twin" / "a", "again");
    EXPECT_EQ(read("Docs\\Downloads\\Twin\\a"), "again");
    EXPECT_EQ(read("Docs\\Downloads\\Twin\\A"), "again");  // the one name without regard to case
    EXPECT_EQ(testsupport::RaisedBy([&] { read("Docs\\Downloads\\Twin\\b"); }), errFileNotFound);
}

// Entries that appear, vanish or change case while the memory lives are seen at once: only
// folders are remembered, never what they hold.
TEST_F(PathMemory, SeesEntriesThatChangeMeanwhile)
{
    const platform::PathMemory memory;
    const std::string folder = Win("Docs\\downloads\\Hacks");
    ASSERT_EQ(Resolve(folder + "\\New.package", PathUse::Existing), (std::variant<std::string, std::int32_t>(53)));

    WriteFile(Scratch() / "Docs" / "Downloads" / "Hacks" / "NEW.package", "n");
    EXPECT_EQ(Resolve(folder + "\\New.package", PathUse::Existing),
              (std::variant<std::string, std::int32_t>((Scratch() / "Docs" / "Downloads" / "Hacks" / "NEW.package").string())));

    fs::remove(Scratch() / "Docs" / "Downloads" / "Hacks" / "Fix.package");
    EXPECT_EQ(Resolve(folder + "\\Fix.package", PathUse::Existing), (std::variant<std::string, std::int32_t>(53)));
}

// A name found missing is not looked up again while its folder stays as it was; any entry made
// there (created, renamed in, of another case) is seen by the very next question.
TEST_F(PathMemory, AMissingNameIsSeenAsSoonAsItIsMade)
{
    const fs::path folder = Scratch() / "Docs" / "Program";
    fs::create_directories(folder);
    const std::string log = Win("Docs\\Program\\DecompError.log");
    const auto exists = [&] { return platform::gfblnEntryExists(log, platform::ListKind::Files); };
    const platform::PathMemory memory;

    const std::vector<std::function<void()>> makeIt = {
        [&] { WriteFile(folder / "DecompError.log", "x"); },
        [&] { WriteFile(folder / "decomperror.LOG", "x"); },
        [&] {
            WriteFile(Scratch() / "Docs" / "elsewhere.log", "x");
            fs::rename(Scratch() / "Docs" / "elsewhere.log", folder / "DecompError.log");
        },
    };
    for (std::size_t i = 0; i < makeIt.size(); ++i) {
        EXPECT_FALSE(exists()) << i;
        EXPECT_FALSE(exists()) << i << " (remembered missing)";
        EXPECT_FALSE(platform::gfblnRememberedMissing(Win("Docs\\Program\\Other.log")));
        makeIt[i]();
        EXPECT_TRUE(exists()) << i;
        for (const auto& entry : fs::directory_iterator(folder))
            fs::remove(entry.path());
    }
    EXPECT_FALSE(exists());
    EXPECT_EQ(Resolve(log, PathUse::Existing), (std::variant<std::string, std::int32_t>(53)));

    // The folder itself removed and made again: what is made in the new one is seen too.
    fs::remove_all(folder);
    fs::create_directories(folder);
    EXPECT_FALSE(exists());
    EXPECT_FALSE(exists());
    WriteFile(folder / "DecompError.log", "x");
    EXPECT_TRUE(exists());
}

TEST_F(PathMemory, KeepsTheProgramFolderOnlyWhileItLives)
{
    // Drive D: is the test program's folder, so the program folder reads "D:\" while it exists.
    const fs::path folder = fs::canonical("/proc/self/exe").parent_path();
    fs::create_directories(Scratch() / "prefix" / "dosdevices");
    fs::create_directory_symlink(folder, Scratch() / "prefix" / "dosdevices" / "d:");
    {
        const platform::PathMemory memory;
        EXPECT_EQ(platform::gfstrAppPath(), "D:\\");
        fs::remove(Scratch() / "prefix" / "dosdevices" / "d:");
        EXPECT_EQ(platform::gfstrAppPath(), "D:\\");
    }
    EXPECT_EQ(platform::gfstrAppPath(), WinPath(folder));
    EXPECT_EQ(platform::gflngPathMemoryGeneration(), 0u);
}

} // namespace
