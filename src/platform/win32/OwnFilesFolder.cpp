#include "platform/win32/OwnFilesFolder.h"

#include "platform/PathText.h"
#include "platform/win32/HostPath.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace platform::win32 {

namespace {

constexpr const char* kOwnFolderName = "\\Clashwick";

// The value of an environment variable, or empty when it is not set.
std::wstring mfstrEnvironment(const wchar_t* name)
{
    // Past this a value names no folder the program could use anyway.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring value(size, L'\0');
        const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
        if (length == 0)
            return {};
        if (length < size) {
            value.resize(length);
            return value;
        }
    }
    return {};
}

// A full path: a drive letter and a separator, or a share ("\\server\share").
bool mfblnFullPath(const std::string& path)
{
    return (path.size() >= 3 && gfblnHasDriveLetter(path) && gfblnIsSeparator(path[2])) ||
           (path.size() >= 2 && gfblnIsSeparator(path[0]) && gfblnIsSeparator(path[1]));
}

std::string mfstrLocalAppData()
{
    std::string folder = gfstrNarrow(mfstrEnvironment(L"LOCALAPPDATA"));
    if (mfblnFullPath(folder))
        return folder;
    PWSTR path = nullptr;
    folder.clear();
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path != nullptr)
        folder = gfstrNarrow(path);
    ::CoTaskMemFree(path);
    return mfblnFullPath(folder) ? folder : std::string();
}

} // namespace

std::string gfstrUserDataFolder()
{
    std::string folder = mfstrLocalAppData();
    // A drive's root too: "C:\" gives "C:\Clashwick".
    while (!folder.empty() && gfblnIsSeparator(folder.back()))
        folder.pop_back();
    return folder.empty() ? std::string() : folder + kOwnFolderName;
}

bool gfblnFolderWritable(const std::string& folder)
{
    // A name of this process's own, so that two copies starting at once do not meet; the
    // system removes the file as the handle closes, whatever happens to the program.
    const std::string probe =
        gfstrJoinHost(folder, "clashwick-" + std::to_string(::GetCurrentProcessId()) + ".probe");
    std::wstring path;
    try {
        path = gfstrWidePath(probe);
    } catch (...) {
        return false;
    }
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

std::string gfstrOwnFilesFolder(const std::string& programFolder)
{
    if (gfblnFolderWritable(programFolder))
        return programFolder;
    const std::string folder = gfstrUserDataFolder();
    if (folder.empty())
        return programFolder;
    // The folders on the way are the system's own; an existing folder is kept. One that cannot
    // be made is left to the program's first write there, which reports it.
    try {
        ::CreateDirectoryW(gfstrWidePath(folder).c_str(), nullptr);
    } catch (...) {
        return programFolder;
    }
    return folder;
}

} // namespace platform::win32
