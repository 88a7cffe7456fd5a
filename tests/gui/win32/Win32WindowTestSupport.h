#pragma once
// Shared by the Win32 window tests: a scratch program folder, stand-ins for ending the program
// and for message boxes, the places of controls, and a way to answer a modal form from inside
// its message loop.

#include "support/TestSupport.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace win32test {

class Win32WindowTest : public testsupport::TrapTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program folder: Scratch()/"app", in Windows form.
    std::filesystem::path AppFolder() const { return Scratch() / "app"; }

    std::optional<int> exitCode;               // what EndProgram was asked for
    std::vector<std::string> criticalMessages; // "title: message" of each message box
};

// A control's place in its parent's client area: left, top, width, height.
struct Box {
    int Left, Top, Width, Height;
    bool operator==(const Box&) const = default;
};
Box ControlBox(HWND control);
std::ostream& operator<<(std::ostream& out, const Box& box);

// The size of a window's client area.
Box ClientBox(HWND window);

// Hands on every waiting message as the program's message loop does.
void Pump();

// Presses Tab (Shift+Tab when `back`) in the focused control, as the keyboard would.
void PressTab(bool back = false);

// The clipboard's Unicode text, or "(clipboard not open)"; with `formats`, every format the
// clipboard holds is added to it.
std::wstring ClipboardText(std::set<UINT>* formats = nullptr);

// While it lives, answers the first visible form captioned `caption` once its message loop
// runs: hands it to `inspect`, then closes it with its close box.
class ModalAnswer {
public:
    ModalAnswer(std::wstring caption, std::function<void(HWND form)> inspect);
    ~ModalAnswer();
    bool Found() const { return found_; }

private:
    static void CALLBACK msTick(HWND, UINT, UINT_PTR, DWORD);
    std::wstring caption_;
    std::function<void(HWND)> inspect_;
    UINT_PTR timer_ = 0;
    bool found_ = false;
};

} // namespace win32test
