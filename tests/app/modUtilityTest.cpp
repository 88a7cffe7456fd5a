#include "app/modUtility.h"

#include "platform/Clock.h"
#include "platform/Folders.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testsupport::TrapCall;

// A trap call as one line, so whole lists of calls compare and print readably.
std::string Line(const TrapCall& c)
{
    return std::to_string(c.Location) + " | " + std::to_string(c.Number) + " " + c.Description + " | " + c.Module +
           "." + c.Procedure + " | " + c.Data;
}

Names Lines(const std::vector<TrapCall>& calls)
{
    Names lines;
    for (const TrapCall& c : calls)
        lines.push_back(Line(c));
    return lines;
}

// A fake millisecond clock that moves on by `step` at every reading, and counts events.
class Utility : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        platform::gsSetClock([this] { return now_ += step_; });
        platform::gudtWindowServices().ProcessEvents = [this] { ++events_; };
    }
    void TearDown() override
    {
        platform::gsSetClock({});
        platform::gsSetFaultHook({});
        TrapTest::TearDown();
    }

    // The tree of the breadth-first example, with entries the walk must pass over.
    fs::path MakeTree()
    {
        const fs::path a = Scratch() / "A";
        for (const char* file : {"a.package", "B/b.package", "E/e.package", "B/D/d.package", "x.package.bak",
                                 ".h.package", ".Hidden/h.package", "B/notes.txt"})
            WriteFile(a / file, "p");
        return a;
    }

    std::uint32_t now_ = 1000;
    std::uint32_t step_ = 10;
    int events_ = 0;
};

TEST_F(Utility, FindFilesWalksBreadthFirstThenListsFolderByFolder)
{
    const fs::path a = MakeTree();
    const std::string start = WinPath(a);
    Names files = {"element 0"};
    EXPECT_EQ(gflngFindFiles(start, "*.package", files), 4);
    EXPECT_EQ(files, (Names{"element 0", start + "\\a.package", start + "\\B\\b.package", start + "\\E\\e.package",
                            start + "\\B\\D\\d.package"}));
    EXPECT_TRUE(trapCalls.empty());
    EXPECT_EQ(glngErrLocation, 4000);
    EXPECT_EQ(gstrErrData, "");

    // Paths are plain concatenations: a trailing separator doubles, and the found list is cut to size.
    files = Names(9, "old");
    EXPECT_EQ(gflngFindFiles(start + "\\", "A.PACKAGE", files), 1);
    EXPECT_EQ(files, (Names{"old", start + "\\\\a.package"}));
}

TEST_F(Utility, FindFilesLeavesTheListAloneWhenItFindsNothing)
{
    const fs::path a = MakeTree();
    const struct {
        std::string start;
        std::string pattern;
        std::int32_t location;
    } cases[] = {
        {"", "*.package", 1000},
        {WinPath(a), "*.none", 4000},
        {WinPath(a / "Missing"), "*.package", 4000},
        {WinPath(a / "a.package"), "*.package", 4000},  // a file, not a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        Names files = {"x", "y", "z"};
        EXPECT_EQ(gflngFindFiles(c.start, c.pattern, files), 0);
        EXPECT_EQ(files, (Names{"x", "y", "z"}));
        EXPECT_EQ(glngErrLocation, c.location);
    }
    EXPECT_TRUE(trapCalls.empty());
}

// Host names that no Windows path can reach: "odd?" lists fine but its attributes fail with
// 52, as a name with a character outside the code page does on Windows; "gone" is a link to
// nothing, an entry that lists but is not there when its attributes are read (53). Both are
// skipped where the walk meets them. So are links that go round in a loop, to themselves or to
// each other: like a link to nothing, they name nothing readable. A file with such a name is
// still listed by the file pass (the loaders skip it quietly when they cannot open it), a folder
// with one is not descended.
TEST_F(Utility, FindFilesSkipsEntriesWithBadNamesOrThatVanished)
{
    const fs::path a = MakeTree();
    WriteFile(a / "odd?dir" / "inside.package", "p");
    WriteFile(a / "odd?.package", "p");
    fs::create_symlink(a / "nothing", a / "gone");
    fs::create_directory_symlink(a, a / "B" / "up");  // a link back up the tree is walked once
    fs::create_symlink(a / "self.package", a / "self.package");
    fs::create_symlink(a / "y.package", a / "x.package");
    fs::create_symlink(a / "x.package", a / "y.package");
    fs::create_directory_symlink(a / "B" / "loop", a / "B" / "loop");

    const std::string start = WinPath(a);
    Names files = {""};
    EXPECT_EQ(gflngFindFiles(start, "*.package", files), 5);
    EXPECT_EQ(files, (Names{"", start + "\\a.package", start + "\\odd?.package", start + "\\B\\b.package",
                            start + "\\E\\e.package", start + "\\B\\D\\d.package"}));
    EXPECT_TRUE(trapCalls.empty());
    EXPECT_EQ(glngErrLocation, 4000);
    EXPECT_EQ(gstrErrData, "");
}

TEST_F(Utility, FindFilesTrapsEveryOtherFailure)
{
    const fs::path a = MakeTree();
    const std::string start = WinPath(a);
    const struct {
        std::string start;
        std::string failingEntry;  // the entry whose attributes fail with 57, if any
        TrapCall expected;
    } cases[] = {
        {start, start + "\\B", {3000, 57, "Device I/O error", "modUtility", "gflngFindFiles", "Error Data = " + start + "\\B"}},
        // The last entry of A, a file whose attributes the listing settles: the fault still shows.
        {start, start + "\\x.package.bak",
         {3000, 57, "Device I/O error", "modUtility", "gflngFindFiles", "Error Data = " + start + "\\x.package.bak"}},
        // 52 is excused only at 3000: a bad start folder fails where the walk moves to it, and
        // the error record names it.
        {start + "\\bad?", "",
         {2000, 52, "Bad file name or number", "modUtility", "gflngFindFiles", "Error Data = " + start + "\\bad?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        trapCalls.clear();
        gstrErrData = "before";
        platform::gsSetFaultHook([&](platform::FileOperation, std::string_view path) -> std::int32_t {
            return path == c.failingEntry ? 57 : 0;
        });
        Names files = {"x"};
        EXPECT_EQ(gflngFindFiles(c.start, "*.package", files), 0);
        EXPECT_EQ(files, Names{"x"});
        EXPECT_EQ(Lines(trapCalls), Names{Line(c.expected)});
    }
}

TEST_F(Utility, KillFileDeletesRetriesAndTrapsLockedFiles)
{
    const struct {
        const char* name;
        const char* file;       // created before the call, or null
        bool readOnly;
        int failures;           // deletions that fail before one succeeds
        std::int32_t failure;   // the error number they fail with
        bool gone;              // the file is deleted afterwards
        int attempts;           // deletions tried
        std::vector<TrapCall> traps;
    } cases[] = {
        {"missing", nullptr, false, 0, 0, true, 0, {}},
        {"hidden file is not seen", ".log.txt", false, 0, 0, false, 0, {}},
        {"read-only", "log.txt", true, 0, 0, true, 1, {}},
        {"locked five times", "log.txt", false, 5, 70, true, 6, {}},
        {"locked for good", "log.txt", false, 99, 70, false, 6,
         {{1000, 70, "Permission denied", "modUtility", "gsKillFile", "before"}}},
        {"another failure", "log.txt", false, 99, 57, false, 1,
         {{1000, 57, "Device I/O error", "modUtility", "gsKillFile", "before"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        trapCalls.clear();
        gstrErrData = "before";  // gsKillFile sets no error data of its own
        const fs::path host = Scratch() / (c.file ? c.file : "log.txt");
        if (c.file) {
            WriteFile(host, "log");
            if (c.readOnly)
                fs::permissions(host, fs::perms::owner_read);
        }
        int attempts = 0;
        platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view) -> std::int32_t {
            if (operation != platform::FileOperation::Delete)
                return 0;
            return ++attempts <= c.failures ? c.failure : 0;
        });
        const std::uint32_t started = now_;
        gsKillFile(WinPath(host));
        EXPECT_EQ(!fs::exists(host), c.gone);
        EXPECT_EQ(attempts, c.attempts);
        EXPECT_EQ(Lines(trapCalls), Lines(c.traps));
        EXPECT_EQ(glngErrLocation, 1000);
        // Each failed attempt with 70 but the sixth waits 250 ms.
        const int waits = c.failure == 70 ? std::min(c.failures, 5) : 0;
        EXPECT_GE(now_ - started, static_cast<std::uint32_t>(250 * waits));
        EXPECT_LE(now_ - started, static_cast<std::uint32_t>(300 * waits));
        fs::remove(host);
    }
}

TEST_F(Utility, DelayTestsTheClockTwicePerRound)
{
    const struct {
        const char* name;
        std::uint32_t start;
        std::uint32_t step;
        std::int32_t milliseconds;
        int events;
        std::uint32_t readings;
    } cases[] = {
        {"zero returns after the first test", 1000, 10, 0, 0, 3},
        {"negative likewise", 1000, 10, -5, 0, 3},
        // Readings 1100, 1200 (not yet), events, 1300 >= 1250: over.
        {"waits until start + ms", 1000, 100, 250, 1, 5},
        // From FFFFFF00 the end is past 2^32; the clock's wrap ends the wait instead.
        {"wrap ends the wait", 0xFFFFFF00u, 0x40, 250, 1, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        now_ = c.start - c.step;  // the first reading is the start
        step_ = c.step;
        events_ = 0;
        gsDelay(c.milliseconds);
        EXPECT_EQ(events_, c.events);
        EXPECT_EQ(static_cast<std::uint32_t>(now_ - (c.start - c.step)) / c.step, c.readings);
    }
}

} // namespace
