#include "platform/modWINAPI.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {

using namespace win32;

namespace {

// The caller's buffer: 260 characters, the terminator among them.
constexpr DWORD kLongPathBuffer = MAX_PATH;

} // namespace

std::string gfstrGetLongPathName(const std::string& path)
{
    const auto wide = gfstrWide(path);
    if (path.empty() || !wide)
        return {};
    wchar_t longPath[kLongPathBuffer];
    // The length without the terminator when it fits; the size it needs, terminator included,
    // when it does not (so 260 or more); 0 when the call fails.
    const DWORD length = ::GetLongPathNameW(wide->c_str(), longPath, kLongPathBuffer);
    if (length == 0 || length >= kLongPathBuffer)
        return {};
    return gfstrNarrow(std::wstring_view(longPath, length));
}

} // namespace platform
