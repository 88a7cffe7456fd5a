#include "platform/AppInfo.h"

#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/win32/OwnFilesFolder.h"
#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {

using namespace win32;

namespace {

// The path of the running program, or empty when the host will not say.
std::wstring mfstrExecutable()
{
    // The call cuts a path that does not fit and says so only by filling the buffer; a path
    // longer than the longest the system takes is not one the program could use anyway.
    for (std::size_t size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

// The folder that holds the running program.
std::string mfstrExecutableFolder()
{
    const std::wstring executable = mfstrExecutable();
    // Without the program's own path, the current folder is the best place the program has.
    if (executable.empty())
        return gfstrWindowsPath(".");
    // The full form, without a "\\?\" the program may have been started by.
    const std::string path = gfstrWindowsPath(gfstrNarrow(executable));
    const auto separator = gflngLastSeparator(path);
    if (separator == std::string::npos)
        return gfstrWindowsPath(".");
    // A drive's root keeps its separator ("C:\"), as the Wine host writes it.
    const bool root = separator == 2 && gfblnHasDriveLetter(path);
    return path.substr(0, root ? separator + 1 : separator);
}

} // namespace

std::string gfstrProgramFolder()
{
    // Decided once, so that the report and the error log of one run are in one place: beside
    // the program, or the user's data folder when the program's folder cannot be written.
    static const std::string folder = gfstrOwnFilesFolder(mfstrExecutableFolder());
    return folder;
}

} // namespace platform
