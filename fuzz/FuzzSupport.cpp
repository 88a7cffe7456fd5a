#include "FuzzSupport.h"

#include "errors/modErrorTrap.h"
#include "platform/WindowServices.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

namespace fuzzsupport {

namespace {

std::filesystem::path gScratch;
bool gblnReplaying = false;

void msRemoveScratch()
{
    std::error_code ignored;
    if (!gScratch.empty())
        std::filesystem::remove_all(gScratch, ignored);
}

} // namespace

void gsFail(const char* file, int line, const std::string& what)
{
    std::fprintf(stderr, "\n%s:%d: check failed: %s\n", file, line, what.c_str());
    std::fflush(stderr);
    std::abort();
}

const std::filesystem::path& gfScratch()
{
    if (!gScratch.empty())
        return gScratch;
    std::string pattern = (std::filesystem::temp_directory_path() / "clashwick-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    gScratch = pattern;
    std::atexit(msRemoveScratch);
    std::filesystem::create_directories(gScratch / "prefix" / "drive_c");
    setenv("WINEPREFIX", (gScratch / "prefix").c_str(), 1);

    platform::WindowServices& services = platform::gudtWindowServices();
    gsSetErrorTrapPresenter([] {
        gsFail(__FILE__, __LINE__,
               "the error trap was reached: " + std::to_string(glngErrNumber) + " " + gstrErrDescription + " in " +
                   gstrErrModule + "." + gstrErrProcedure + " at " + std::to_string(glngErrLocation) + " (" +
                   gstrErrData + ")");
    });
    services.ShowCriticalMessage = [](const std::string& message, const std::string& title) {
        gsFail(__FILE__, __LINE__, "a critical message: " + title + ": " + message);
    };
    services.EndProgram = [](int code) { gsFail(__FILE__, __LINE__, "the program was ended with " + std::to_string(code)); };
    services.ProcessEvents = [] {};
    return gScratch;
}

std::string gfstrWinPath(const std::filesystem::path& host)
{
    std::string result = "Z:";
    for (const auto& part : std::filesystem::absolute(host).relative_path())
        result += "\\" + part.string();
    return result;
}

void gsWriteFile(const std::filesystem::path& host, std::string_view bytes)
{
    std::filesystem::create_directories(host.parent_path());
    // A new file rather than the old one cut short: ext4 writes a file out to disk when it is
    // closed after a truncation, which would cost a target writing every input most of its time.
    std::error_code ignored;
    std::filesystem::remove(host, ignored);
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        gsFail(__FILE__, __LINE__, "cannot write " + host.string());
}

void gsSetReplaying() { gblnReplaying = true; }

bool gfblnSlowChecks(std::string_view bytes, std::uint64_t every)
{
    if (gblnReplaying)
        return true;
    // FNV-1a over the length and the first 64 bytes, then mixed so that every bit of the
    // result depends on all of them.
    std::uint64_t hash = 0xCBF29CE484222325u ^ bytes.size();
    for (const char c : bytes.substr(0, 64))
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    return hash % every == 0;
}

std::int32_t gflngInt32At(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return static_cast<std::int32_t>(value);
}

} // namespace fuzzsupport
