#include "platform/KnownFolders.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace platform {

std::string gfstrSystemDocumentsFolder()
{
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path);
    std::string folder;
    // A redirection to a folder that is gone (a cloud drive signed out of) says nothing: the
    // registry's value is tried instead. Not every system checks this itself.
    if (SUCCEEDED(result) && path != nullptr) {
        const DWORD attributes = ::GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            folder = win32::gfstrNarrow(path);
    }
    // Freed whether the call succeeded or not, as the call asks.
    ::CoTaskMemFree(path);
    return folder;
}

} // namespace platform
