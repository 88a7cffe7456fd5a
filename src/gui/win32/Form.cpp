#include "gui/win32/Form.h"

#include "app/AppIdentity.h"
#include "errors/Failure.h"
#include "gui/win32/DisplayText.h"
#include "platform/WindowServices.h"

#include <vector>

namespace gui::win32 {

namespace {

// The program's icon in clashwick.rc. A program without it (the window tests) gets the
// default icon.
constexpr int kIconResource = 1;

HINSTANCE mfhinstProgram() { return GetModuleHandleW(nullptr); }

HICON mfhiconProgram(int sizeMetric)
{
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(
        LoadImageW(mfhinstProgram(), MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The windows that take input while a modal form is shown: the enabled, visible top-level
// windows of this thread other than the form.
struct OtherWindows {
    HWND Form;
    std::vector<HWND> Found;
};

BOOL CALLBACK mfblnCollectOtherWindow(HWND window, LPARAM list)
{
    auto& others = *reinterpret_cast<OtherWindows*>(list);
    if (window != others.Form && IsWindowVisible(window) && IsWindowEnabled(window))
        others.Found.push_back(window);
    return TRUE;
}

} // namespace

// ---- Window

Window::~Window()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

void Window::msCreate(DWORD exStyle, const wchar_t* className, std::wstring_view text, DWORD style,
                      const RECT& frame, HWND parent, int id)
{
    static const bool registered = [] {
        WNDCLASSEXW form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = msRoute;
        form.hInstance = mfhinstProgram();
        form.hIcon = mfhiconProgram(SM_CXICON);
        form.hIconSm = mfhiconProgram(SM_CXSMICON);
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        form.lpszClassName = kFormClass;
        WNDCLASSEXW picture{};
        picture.cbSize = sizeof(picture);
        picture.lpfnWndProc = msRoute;
        picture.hInstance = mfhinstProgram();
        picture.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        picture.lpszClassName = kPictureBoxClass;
        return RegisterClassExW(&form) != 0 && RegisterClassExW(&picture) != 0;
    }();
    if (!registered)
        gsRaise(errOutOfMemory);
    const std::wstring caption(text);
    // A top-level window's "menu" is its menu; a child's is its control id.
    HMENU menuOrId = parent && (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    CreateWindowExW(exStyle, className, caption.c_str(), style, frame.left, frame.top, frame.right - frame.left,
                    frame.bottom - frame.top, parent, menuOrId, mfhinstProgram(), this);
    if (!hwnd_)
        gsRaise(errOutOfMemory);
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::msRoute(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        window->hwnd_ = handle;
    }
    if (!window)
        return DefWindowProcW(handle, message, wParam, lParam);
    LRESULT result = 0;
    // No exception may unwind through the system's frames that called us.
    try {
        result = window->WindowProc(message, wParam, lParam);
    } catch (...) {
        gsEndOnUnhandledFailure();
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        window->hwnd_ = nullptr;
    }
    return result;
}

// ---- Form

Form* Form::FromHandle(HWND window)
{
    // Every window of the form class is made by a Form (the picture box has a class of its own).
    if (!window || !gfblnIsForm(window))
        return nullptr;
    return static_cast<Form*>(reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
}

Form::Form(Kind kind, std::wstring_view caption, Extent client, HWND owner)
{
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    if (kind == Kind::Main)
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    else if (kind == Kind::Sizable)
        style = WS_OVERLAPPEDWINDOW;
    const DWORD exStyle = WS_EX_CONTROLPARENT | (kind == Kind::Dialog ? WS_EX_DLGMODALFRAME : 0);
    RECT frame{0, 0, client.Width, client.Height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    OffsetRect(&frame, -frame.left, -frame.top);
    msCreate(exStyle, kFormClass, caption, style, frame, owner, 0);

    // The frame's metrics can differ from what AdjustWindowRectEx said (themes, Wine): make
    // the client area the layout's size exactly.
    RECT inside{};
    GetClientRect(hwnd_, &inside);
    const int moreWidth = client.Width - (inside.right - inside.left);
    const int moreHeight = client.Height - (inside.bottom - inside.top);
    if (moreWidth != 0 || moreHeight != 0)
        SetWindowPos(hwnd_, nullptr, 0, 0, frame.right + moreWidth, frame.bottom + moreHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::mfhwndControl(const wchar_t* className, int id, DWORD style, DWORD exStyle, const Place& place,
                         std::wstring_view text)
{
    const std::wstring caption(text);
    HWND control = CreateWindowExW(exStyle, className, caption.c_str(), WS_CHILD | WS_VISIBLE | style, place.Left,
                                   place.Top, place.Width, place.Height, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), mfhinstProgram(), nullptr);
    if (!control)
        gsRaise(errOutOfMemory);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(gfhfontDialog()), FALSE);
    return control;
}

HWND Form::mfhwndButton(int id, std::wstring_view caption, const Place& place, DWORD extraStyle)
{
    return mfhwndControl(L"BUTTON", id, BS_PUSHBUTTON | WS_TABSTOP | extraStyle, 0, place, caption);
}

void Form::ShowModal()
{
    if (modal_)
        return;
    modal_ = true;
    modalEnded_ = false;
    OtherWindows others{hwnd_, {}};
    EnumThreadWindows(GetCurrentThreadId(), mfblnCollectOtherWindow, reinterpret_cast<LPARAM>(&others));
    for (HWND window : others.Found)
        EnableWindow(window, FALSE);

    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    MSG message{};
    while (!modalEnded_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        gsDispatchMessage(message);
    }

    // The others first, so that hiding the form hands the activation back to its owner.
    for (auto window = others.Found.rbegin(); window != others.Found.rend(); ++window)
        EnableWindow(*window, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    modal_ = false;
}

LRESULT Form::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus))
                focus_ = focus;
            return 0;
        }
        if (HIWORD(wParam) != 0) // minimised: the frame keeps the focus
            break;
        if (!focus_ || !IsChild(hwnd_, focus_))
            focus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (focus_)
            SetFocus(focus_);
        OnActivate();
        return 0;

    case WM_NEXTDLGCTL: {
        // Tab in a multi-line edit box asks its parent for the next control.
        HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (target)
            SetFocus(target);
        return 0;
    }

    case DM_GETDEFID: {
        // Enter clicks the button that has the focus.
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus) &&
            (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0)
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        return 0;
    }

    case WM_COMMAND:
        if (lParam == 0 && LOWORD(wParam) == IDCANCEL) { // Esc
            if (modal_)
                SendMessageW(hwnd_, WM_CLOSE, 0, 0);
            return 0;
        }
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
            OnClick(LOWORD(wParam));
            return 0;
        }
        break;

    case WM_CLOSE:
        // A modal form is hidden, not destroyed: its owner shows it again.
        if (modal_) {
            EndModal();
            return 0;
        }
        break;

    default:
        break;
    }
    return Window::WindowProc(message, wParam, lParam);
}

// ---- Services of the kit

HFONT gfhfontDialog()
{
    static const HFONT font = [] {
        HDC screen = GetDC(nullptr);
        const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        HFONT made = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
        return made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

void gsSetWindowText(HWND window, std::string_view utf8)
{
    SetWindowTextW(window, gfwsDisplayText(utf8).c_str());
}

std::string gfstrWindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return gfstrUtf8(text);
}

void gsCentreWindow(HWND window, const RECT& area)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    const int left = area.left + ((area.right - area.left) - (frame.right - frame.left)) / 2;
    const int top = area.top + ((area.bottom - area.top) - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void gsCentreOnScreen(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        gsCentreWindow(window, monitor.rcWork);
}

bool gfblnIsForm(HWND window)
{
    wchar_t name[32] = {};
    return GetClassNameW(window, name, 32) > 0 && std::wstring_view(name) == kFormClass;
}

void gsDispatchMessage(MSG& message)
{
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (Form* form = Form::FromHandle(root)) {
        if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && form->OnKey(message))
            return;
        if (IsDialogMessageW(root, &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int gfintRunMessageLoop()
{
    MSG message{};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1)
        gsDispatchMessage(message);
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void gsEndOnUnhandledFailure()
{
    const Failure failure = gudtCaughtFailure();
    platform::WindowServices& windows = platform::gudtWindowServices();
    windows.ShowCriticalMessage(
        "Run-time error '" + std::to_string(failure.Number()) + "':\n\n" + failure.Description(),
        std::string(kAppTitle));
    windows.EndProgram(1);
}

} // namespace gui::win32
