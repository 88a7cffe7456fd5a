#include "platform/AppInfo.h"
#include "platform/Clock.h"

#include "support/TestSupport.h"

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(Clock, IsReplaceableAndRestorable)
{
    platform::gsSetClock([] { return 0xFFFFFFFFu; });
    EXPECT_EQ(platform::gflngTimeGetTime(), 0xFFFFFFFFu);
    platform::gsSetClock({});
    const std::uint32_t first = platform::gflngTimeGetTime();
    ::usleep(20 * 1000);
    const std::uint32_t elapsed = platform::gflngTimeGetTime() - first;  // unsigned: right across a wrap
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 5000u);
}

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

} // namespace
