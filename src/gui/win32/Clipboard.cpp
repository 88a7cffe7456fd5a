#include "gui/win32/Clipboard.h"

#include "gui/win32/DisplayText.h"

#include <cstring>

namespace gui::win32 {

bool gfblnCopyToClipboard(HWND owner, std::string_view utf8)
{
    // Another program may hold the clipboard open for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
        opened = OpenClipboard(owner) != FALSE;
        if (!opened)
            Sleep(20);
    }
    if (!opened)
        return false;
    EmptyClipboard();
    const std::wstring text = gfwsDisplayText(utf8);
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    bool copied = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        void* target = GlobalLock(memory);
        if (target) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
        }
        // Once set, the clipboard owns the memory.
        copied = target && SetClipboardData(CF_UNICODETEXT, memory);
        if (!copied)
            GlobalFree(memory);
    }
    CloseClipboard();
    return copied;
}

} // namespace gui::win32
