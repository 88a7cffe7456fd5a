#include "support/TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace testsupport {

namespace {

// A new, empty folder below the system's temporary folder.
std::filesystem::path mfMakeScratchFolder()
{
#ifdef _WIN32
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("clashwick-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder))
            return folder;
    }
    throw std::runtime_error("cannot make a scratch folder");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "clashwick-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    return pattern;
#endif
}

void msSetEnvironment(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

void msUnsetEnvironment(const char* name)
{
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

} // namespace

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
    scratch_ = mfMakeScratchFolder();
    // A prefix of our own without dosdevices: C: is its drive_c and Z: is the root. (A Windows
    // host has no prefix; the folder is then just a folder.)
    std::filesystem::create_directories(scratch_ / "prefix" / "drive_c");
    msSetEnvironment("WINEPREFIX", (scratch_ / "prefix").string());
}

void TrapTest::TearDown()
{
    platform::gudtWindowServices() = saved_;
    gsSetErrorTrapPresenter(savedTrap_);
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
    msUnsetEnvironment("WINEPREFIX");
    gsResetErrorRecord();
}

std::string TrapTest::WinPath(const std::filesystem::path& host)
{
#ifdef _WIN32
    // The host's own paths are Windows paths; the program holds text as UTF-8.
    const std::u8string text = std::filesystem::absolute(host).u8string();
    return std::string(text.begin(), text.end());
#else
    std::string result = "Z:";
    for (const auto& part : std::filesystem::absolute(host).relative_path())
        result += "\\" + part.string();
    return result;
#endif
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
