#include "support/ScratchDownloads.h"

#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"

namespace testsupport {

void DownloadsTest::SetUp()
{
    TrapTest::SetUp();
    gsInitTypeIDs();
    std::filesystem::create_directories(Temp());
    platform::gsSetAppPath(WinPath(Scratch() / "program"));
}

void DownloadsTest::TearDown()
{
    platform::gsSetAppPath("");
    TrapTest::TearDown();
}

void DownloadsTest::Put(const std::string& relative, std::vector<writer::Resource> resources)
{
    WriteFile(Downloads() / relative, writer::gudtBuildPackage({2, std::move(resources), {}}).Bytes);
}

} // namespace testsupport
