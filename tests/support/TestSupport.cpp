#include "support/TestSupport.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace testsupport {

void gsResetErrorRecord()
{
    glngErrLocation = 0;
    glngErrNumber = 0;
    gstrErrDescription.clear();
    gstrErrModule.clear();
    gstrErrProcedure.clear();
    gstrErrData.clear();
}

void TrapTest::SetUp()
{
    gsResetErrorRecord();
    saved_ = platform::gudtWindowServices();
    savedTrap_ = gudtErrorTrapPresenter();
    gsSetErrorTrapPresenter([this] {
        trapCalls.push_back({glngErrLocation, glngErrNumber, gstrErrDescription, gstrErrModule,
                             gstrErrProcedure, gstrErrData});
    });
    std::string pattern = (std::filesystem::temp_directory_path() / "clashwick-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    scratch_ = pattern;
    // A prefix of our own without dosdevices: C: is its drive_c and Z: is the root.
    std::filesystem::create_directories(scratch_ / "prefix" / "drive_c");
    setenv("WINEPREFIX", (scratch_ / "prefix").c_str(), 1);
}

void TrapTest::TearDown()
{
    platform::gudtWindowServices() = saved_;
    gsSetErrorTrapPresenter(savedTrap_);
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
    unsetenv("WINEPREFIX");
    gsResetErrorRecord();
}

std::string TrapTest::WinPath(const std::filesystem::path& host)
{
    std::string result = "Z:";
    for (const auto& part : std::filesystem::absolute(host).relative_path())
        result += "\\" + part.string();
    return result;
}

void TrapTest::WriteFile(const std::filesystem::path& host, const std::string& bytes)
{
    std::filesystem::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TrapTest::ReadFile(const std::filesystem::path& host)
{
    std::ifstream in(host, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

} // namespace testsupport
