#include "platform/Paths.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/PathText.h"
#include "platform/win32/HostErrors.h"
#include "platform/win32/HostPath.h"
#include "platform/win32/WideText.h"

#include <algorithm>

#include <windows.h>

namespace platform::win32 {

namespace {

// The shortest path that gets the long form: CreateDirectoryW takes at most MAX_PATH - 12
// units (room for an 8.3 name below the folder); the others take MAX_PATH with the terminator.
constexpr std::size_t kLongPath = MAX_PATH - 12;

bool mfblnWideSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// True when the text can be a path the program means: see gfstrWidePath.
bool mfblnPlainPath(std::string_view path)
{
    if (path.size() >= 3 && gfblnIsSeparator(path[0]) && gfblnIsSeparator(path[1]) &&
        (path[2] == '.' || path[2] == '?'))
        return false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == '*' || c == '?' || c == '<' || c == '>' || c == '"' || c == '|')
            return false;
        if (c == ':' && !(i == 1 && gfblnHasDriveLetter(path)))
            return false;
    }
    // No component longer than a name may be (255 characters), as the Wine host holds them:
    // Windows would answer 206, Wine "not found".
    std::size_t start = gfblnHasDriveLetter(path) ? 2 : 0;
    while (start < path.size()) {
        std::size_t end = start;
        while (end < path.size() && !gfblnIsSeparator(path[end]))
            ++end;
        if (end > start && !gfblnValidName(path.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

// The full form of a path (GetFullPathNameW), or the path itself when the call fails.
std::wstring mfstrFullPath(const std::wstring& path)
{
    std::wstring full(std::max<std::size_t>(path.size() + 1, MAX_PATH), L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // too small: `length` is the size needed, terminator included
    }
    return path;
}

// "\\?\C:\x" is "C:\x" and "\\?\UNC\server\share" is "\\server\share": the forms a program
// writes.
std::wstring mfstrWithoutLongPrefix(std::wstring path)
{
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

} // namespace

std::wstring gfstrWidePath(std::string_view windowsPath)
{
    if (windowsPath.empty())
        return L".";
    if (!mfblnPlainPath(windowsPath))
        gsRaise(errBadFileName);
    auto wide = gfstrWide(windowsPath);
    if (!wide)
        gsRaise(errBadFileName);
    if (wide->size() < kLongPath)
        return std::move(*wide);
    // The long form takes the path as written, unchecked: it must be full and its separators
    // backslashes first, which GetFullPathNameW sees to.
    const std::wstring full = mfstrFullPath(*wide);
    if (full.size() >= 2 && mfblnWideSeparator(full[0]) && mfblnWideSeparator(full[1]))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string gfstrJoinHost(std::string_view hostFolder, std::string_view name)
{
    std::string joined(hostFolder);
    if (!joined.empty() && !gfblnIsSeparator(joined.back()))
        joined += '\\';
    joined += name;
    return joined;
}

} // namespace platform::win32

namespace platform {

using namespace win32;

std::string gfstrHostPath(std::string_view windowsPath, PathUse use)
{
    const std::wstring wide = gfstrWidePath(windowsPath);
    // A path to create is left to the call that creates it, which tells a missing folder on
    // the way (76) by itself.
    if (use == PathUse::Existing && ::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
        gsRaiseLastError(PathPart::Last);
    return windowsPath.empty() ? std::string(".") : std::string(windowsPath);
}

std::string gfstrWindowsPath(std::string_view hostPath)
{
    const auto wide = gfstrWide(hostPath.empty() ? std::string_view(".") : hostPath);
    if (!wide)
        return std::string(hostPath);
    return gfstrNarrow(mfstrWithoutLongPrefix(mfstrFullPath(*wide)));
}

} // namespace platform
