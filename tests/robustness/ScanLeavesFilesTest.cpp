// The scan only reads downloads. After start-up and a Scan command over the sample game, every
// file and folder below the prefix is as it was (size, modification time, bytes), and in the
// program folder only what the program names has changed: the temp folder and its report
// written, an old DecompError.log deleted.

#include "app/FindHacks.h"
#include "app/ScanCommand.h"
#include "app/StartUp.h"
#include "platform/AppInfo.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <fstream>
#include <map>
#include <sstream>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

struct Entry {
    bool Folder = false;
    std::uintmax_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::string Bytes; // whole content: the files are small, so it stands for its hash

    bool operator==(const Entry&) const = default;
};

// Every file and folder below `root` (hidden ones included), by path relative to it.
std::map<std::string, Entry> Snapshot(const fs::path& root)
{
    std::map<std::string, Entry> entries;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        EXPECT_EQ(::lstat(item.path().c_str(), &st), 0) << item.path();
        Entry entry;
        entry.Folder = S_ISDIR(st.st_mode);
        entry.ModifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
        if (!entry.Folder) {
            entry.Size = static_cast<std::uintmax_t>(st.st_size);
            std::ifstream in(item.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            entry.Bytes = bytes.str();
        }
        entries[fs::relative(item.path(), root).string()] = entry;
    }
    return entries;
}

class ScanLeavesFiles : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        writer::gsMakeSampleGame(Prefix());
        fs::create_directories(Program());
        platform::gsSetAppPath(WinPath(Program()));
    }
    void TearDown() override
    {
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }
    fs::path Prefix() const { return Scratch() / "prefix"; }
    fs::path Program() const { return Scratch() / "program"; }
};

TEST_F(ScanLeavesFiles, OnlyTheReportIsWrittenAndOnlyTheDecompressionLogDeleted)
{
    WriteFile(Program() / "DecompError.log", "left over from an earlier run\n");
    WriteFile(Program() / "clashwick.ini", "not ours to touch\n");
    const auto prefixBefore = Snapshot(Prefix());
    ASSERT_GT(prefixBefore.size(), 20u);

    std::string caption;
    ASSERT_TRUE(gfblnStartUp(caption));
    ScanCommandHooks hooks;
    hooks.MoveFocusToSink = [] {};
    hooks.ShowScanForm = [](const std::string& meshPath) { gfblnFindHacks(meshPath, {}); };
    hooks.DateText = [] { return std::string("12/6/2026 6:30:00 AM"); };
    std::string display;
    ASSERT_TRUE(gfblnScanCommand(hooks, display));
    EXPECT_TRUE(trapCalls.empty());

    // The sample's conflicts and its damaged package prove the downloads were all read.
    EXPECT_NE(display.find("possible conflicts detected."), std::string::npos);
    EXPECT_NE(display.find("HalfDownloaded.package  Error Code: 62"), std::string::npos);

    const auto prefixAfter = Snapshot(Prefix());
    EXPECT_EQ(prefixAfter.size(), prefixBefore.size());
    for (const auto& [path, before] : prefixBefore) {
        const auto after = prefixAfter.find(path);
        ASSERT_NE(after, prefixAfter.end()) << path << " is gone";
        EXPECT_TRUE(after->second == before) << path << " changed";
    }

    const auto program = Snapshot(Program());
    std::vector<std::string> names;
    for (const auto& [path, entry] : program)
        names.push_back(path);
    EXPECT_EQ(names, (std::vector<std::string>{"clashwick.ini", "temp", "temp/hackreport.txt"}));
    EXPECT_EQ(program.at("clashwick.ini").Bytes, "not ours to touch\n");
    EXPECT_EQ(program.at("temp/hackreport.txt").Bytes, display);
}

} // namespace
