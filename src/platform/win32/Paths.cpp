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

// The names a path given without the long form cannot hold as they are: Windows takes a
// device's name (CON, NUL, COM1, ... with or without an extension, spaces before the dot
// aside) for the device, and cuts the dots and spaces off the end of a name. Such a name on
// disk (a zip, another system, a tool may make one) is reached only through the long form.
bool mfblnDeviceName(std::wstring_view name)
{
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ')
        name.remove_suffix(1);
    // Every device name is of three, four, six or seven characters: most names go no further.
    if (name.size() != 3 && name.size() != 4 && name.size() != 6 && name.size() != 7)
        return false;
    std::wstring upper(name);
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL" || upper == L"CONIN$" ||
        upper == L"CONOUT$")
        return true;
    // COM0-COM9 and LPT0-LPT9, the superscript digits one, two and three included.
    if (upper.size() != 4 || (!upper.starts_with(L"COM") && !upper.starts_with(L"LPT")))
        return false;
    const wchar_t digit = upper[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

bool mfblnLiteralName(std::wstring_view name)
{
    if (name.empty() || name == L"." || name == L"..")
        return false;
    return name.back() == L'.' || name.back() == L' ' || mfblnDeviceName(name);
}

// Where the first component that must be taken literally starts, or npos.
std::size_t mflngFirstLiteralName(std::wstring_view path)
{
    std::size_t start = path.size() >= 2 && path[1] == L':' ? 2 : 0;
    while (start < path.size()) {
        std::size_t end = start;
        while (end < path.size() && !mfblnWideSeparator(path[end]))
            ++end;
        if (mfblnLiteralName(path.substr(start, end - start)))
            return start;
        start = end + 1;
    }
    return std::wstring_view::npos;
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

// The full form of a path. A path with a name that must be taken literally gets the full form
// of the part before that name from the system, and the rest joined as written: the system
// would turn the rest into a device or cut its names short.
std::wstring mfstrFullForm(const std::wstring& path)
{
    const std::size_t literal = mflngFirstLiteralName(path);
    if (literal == std::wstring::npos)
        return mfstrFullPath(path);
    std::wstring full = mfstrFullPath(literal == 0 ? std::wstring(L".") : path.substr(0, literal));
    // The root stays: "C:\" or "\\server\share\" (up to the separator after the share's name).
    std::size_t root = 0;
    if (full.size() >= 3 && full[1] == L':')
        root = 3;
    else if (full.size() >= 2 && mfblnWideSeparator(full[0]) && mfblnWideSeparator(full[1])) {
        const std::size_t share = full.find_first_of(L"\\/", 2);
        const std::size_t end = share == std::wstring::npos ? share : full.find_first_of(L"\\/", share + 1);
        root = end == std::wstring::npos ? full.size() : end + 1;
    }
    std::size_t start = literal;
    while (start < path.size()) {
        std::size_t end = start;
        while (end < path.size() && !mfblnWideSeparator(path[end]))
            ++end;
        const std::wstring_view name = std::wstring_view(path).substr(start, end - start);
        if (name == L"..") {
            const std::size_t separator = full.find_last_of(L"\\/");
            full.resize(std::max(root, separator == std::wstring::npos ? root : separator));
        } else if (!name.empty() && name != L".") {
            if (!full.empty() && !mfblnWideSeparator(full.back()))
                full += L'\\';
            full += name;
        }
        start = end + 1;
    }
    return full;
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
    if (wide->size() < kLongPath && mflngFirstLiteralName(*wide) == std::wstring::npos)
        return std::move(*wide);
    // The long form takes the path as written, unchecked: it must be full and its separators
    // backslashes first, which mfstrFullForm sees to.
    const std::wstring full = mfstrFullForm(*wide);
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
    return gfstrNarrow(mfstrWithoutLongPrefix(mfstrFullForm(*wide)));
}

} // namespace platform
