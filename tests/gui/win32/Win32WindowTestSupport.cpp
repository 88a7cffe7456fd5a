#include "Win32WindowTestSupport.h"

#include "gui/win32/Form.h"
#include "platform/AppInfo.h"
#include "platform/Shell.h"

#include <ostream>

namespace win32test {

namespace {

ModalAnswer* gAnswer = nullptr; // the one answer waiting; its timer has no other way to it

} // namespace

void Win32WindowTest::SetUp()
{
    TrapTest::SetUp();
    std::filesystem::create_directories(AppFolder());
    platform::gsSetAppPath(WinPath(AppFolder()));
    platform::WindowServices& services = platform::gudtWindowServices();
    services.EndProgram = [this](int code) { exitCode = code; };
    services.ShowCriticalMessage = [this](const std::string& message, const std::string& title) {
        criticalMessages.push_back(title + ": " + message);
    };
}

void Win32WindowTest::TearDown()
{
    platform::gsSetAppPath("");
    platform::gudtShellServices() = platform::gudtNoShellServices();
    TrapTest::TearDown();
}

Box ControlBox(HWND control)
{
    RECT frame{};
    GetWindowRect(control, &frame);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&frame), 2);
    return {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
}

Box ClientBox(HWND window)
{
    RECT inside{};
    GetClientRect(window, &inside);
    return {0, 0, inside.right, inside.bottom};
}

std::ostream& operator<<(std::ostream& out, const Box& box)
{
    return out << "{" << box.Left << ", " << box.Top << ", " << box.Width << ", " << box.Height << "}";
}

void Pump()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        gui::win32::gsDispatchMessage(message);
}

void PressTab(bool back)
{
    // The dialog manager reads Shift from the keyboard state.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = back ? 0x80 : 0;
    SetKeyboardState(keys);
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(focus, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001u));
    Pump();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

std::wstring ClipboardText(std::set<UINT>* formats)
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"(clipboard not open)";
    if (formats)
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
            formats->insert(format);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

ModalAnswer::ModalAnswer(std::wstring caption, std::function<void(HWND form)> inspect)
    : caption_(std::move(caption)), inspect_(std::move(inspect))
{
    gAnswer = this;
    timer_ = SetTimer(nullptr, 0, 20, msTick);
}

ModalAnswer::~ModalAnswer()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    gAnswer = nullptr;
}

void CALLBACK ModalAnswer::msTick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalAnswer* answer = gAnswer;
    if (!answer || answer->found_)
        return;
    HWND form = FindWindowW(gui::win32::kFormClass, answer->caption_.c_str());
    if (!form || !IsWindowVisible(form))
        return;
    answer->found_ = true;
    KillTimer(nullptr, answer->timer_);
    answer->timer_ = 0;
    answer->inspect_(form);
    PostMessageW(form, WM_CLOSE, 0, 0);
}

} // namespace win32test
