#include "platform/AppInfo.h"

#include "support/TestSupport.h"


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

} // namespace
