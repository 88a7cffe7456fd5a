#include "gui/win32/DetailsServices.h"

#include "gui/win32/DisplayText.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

namespace gui::win32 {

namespace {

// The shell opens the folder with the file selected; where it cannot (no such item, an old
// shell), Explorer is asked to do the same from its command line.
void msShowInFolder(const std::string& windowsPath)
{
    const std::wstring path = gfwsWide(windowsPath);
    PIDLIST_ABSOLUTE item = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr)) && item) {
        const HRESULT shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        CoTaskMemFree(item);
        if (SUCCEEDED(shown))
            return;
    }
    const std::wstring arguments = L"/select,\"" + path + L"\"";
    ShellExecuteW(nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

// The filters in the order of SaveKind; the dialog numbers them from 1.
constexpr wchar_t kSaveFilters[] = L"Explanation (*.txt)\0*.txt\0"
                                   L"JSON document (*.json)\0*.json\0"
                                   L"CSV (*.csv)\0*.csv\0";

std::optional<SavePlace> mudtAskSavePlace(HWND owner)
{
    // Room for a long path: the dialog writes the chosen name into this buffer.
    std::wstring file(32768, L'\0');
    const std::wstring suggested = L"clashwick-details.txt";
    file.replace(0, suggested.size(), suggested);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kSaveFilters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    // With a default extension the dialog adds the chosen filter's extension to a bare name.
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    SavePlace place;
    place.Path = gfstrUtf8(file.c_str());
    place.Kind = dialog.nFilterIndex == 2   ? SaveKind::Json
                 : dialog.nFilterIndex == 3 ? SaveKind::Csv
                                            : SaveKind::Explained;
    return place;
}

} // namespace

DetailsServices gudtDefaultDetailsServices() { return {msShowInFolder, mudtAskSavePlace}; }

DetailsServices& gudtDetailsServices()
{
    static DetailsServices services = gudtDefaultDetailsServices();
    return services;
}

} // namespace gui::win32
