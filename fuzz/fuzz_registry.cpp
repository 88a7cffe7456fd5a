// The Wine registry file reader on arbitrary file contents: the same bytes serve as system.reg
// and user.reg, and the two values start-up reads are asked for, plus the first key and value
// the file itself names, with buffers of several sizes. No input may crash it or make it loop;
// every answer is "ERROR" or text without a NUL.

#include "FuzzSupport.h"

#include "platform/modGetRegistryValuesEx.h"

#include <array>

using namespace fuzzsupport;

namespace {

// The text between `open` and `close` after the first `open`, with the file's doubled
// backslashes made single: a key or value name to ask for.
std::string mfstrFirstName(std::string_view file, char open, char close)
{
    const std::size_t start = file.find(open);
    if (start == std::string_view::npos)
        return {};
    const std::size_t end = file.find(close, start + 1);
    std::string name;
    for (std::size_t i = start + 1; i < std::min(end, file.size()); ++i) {
        if (file[i] == '\\' && i + 1 < file.size() && file[i + 1] == '\\')
            ++i;
        name += file[i];
    }
    return name;
}

void msAsk(std::uint32_t root, const std::string& key, const std::string& value)
{
    for (std::int32_t size : {0, 1, 8, 255, 0x7FFFFFFF}) {
        std::int32_t buffer = size;
        const std::string text = platform::gfstrGetRegistryValue(root, key, value, buffer);
        FUZZ_CHECK(text.find('\0') == std::string::npos);
        FUZZ_CHECK(buffer >= 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path prefix = gfScratch() / "prefix";
    const std::string_view file = gfBytes(data, size);
    gsWriteFile(prefix / "system.reg", file);
    gsWriteFile(prefix / "user.reg", file);

    msAsk(platform::glngHKEY_LOCAL_MACHINE, "SOFTWARE\\EA GAMES\\The Sims 2", "Install Dir");
    msAsk(platform::glngHKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
          "Personal");
    const std::string key = mfstrFirstName(file, '[', ']');
    const std::string value = mfstrFirstName(file, '"', '"');
    msAsk(platform::glngHKEY_LOCAL_MACHINE, key, value);
    msAsk(platform::glngHKEY_CURRENT_USER, key, "");
    return 0;
}
