#include "gui/win32/Screenshot.h"

#include <gdiplus.h>

namespace gui::win32 {

namespace {

// GDI+'s PNG encoder.
constexpr CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

bool mfblnSavePng(HBITMAP picture, const std::wstring& pngPath)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    bool saved = false;
    {
        Gdiplus::Bitmap image(picture, nullptr);
        saved = image.GetLastStatus() == Gdiplus::Ok &&
                image.Save(pngPath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

} // namespace

bool gfblnSaveClientPicture(HWND window, const std::wstring& pngPath)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
    bool saved = false;
    if (memory && picture) {
        HGDIOBJ original = SelectObject(memory, picture);
        const bool copied = BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY) != FALSE;
        SelectObject(memory, original);
        saved = copied && mfblnSavePng(picture, pngPath);
    }
    if (picture)
        DeleteObject(picture);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(window, screen);
    return saved;
}

} // namespace gui::win32
