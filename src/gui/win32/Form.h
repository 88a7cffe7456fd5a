#pragma once
// The window kit of the Win32 windows: the object behind each window of the program's own
// classes, the fixed-size top-level window ("form") with its controls, modal showing, the
// keyboard of a dialog (Tab, Space, Enter, Esc) in every form, where forms open, and the
// message loop that serves them all.

#include "gui/win32/Twips.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace gui::win32 {

inline constexpr wchar_t kFormClass[] = L"ClashwickForm";
inline constexpr wchar_t kPictureBoxClass[] = L"ClashwickPictureBox";

// A window of one of the program's own classes and the object that handles its messages. The
// object owns the window: destroying the one destroys the other.
class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

protected:
    Window() = default;

    // Creates the window (frame in the parent's client coordinates, or on the screen); its
    // messages reach WindowProc from WM_NCCREATE on.
    void msCreate(DWORD exStyle, const wchar_t* className, std::wstring_view text, DWORD style, const RECT& frame,
                  HWND parent, int id);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK msRoute(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// A top-level window whose controls are laid out in pixels: of fixed client size, or one the
// player may resize (the form then lays its controls out again on WM_SIZE). It keeps the focus
// of its controls across deactivation, moves it with Tab and Shift+Tab in creation order,
// clicks the focused button with Enter, and closes a modal form with Esc.
class Form : public Window {
public:
    // The form a window of the form class belongs to; null for any other window.
    static Form* FromHandle(HWND window);

    // A key pressed in the form (WM_KEYDOWN or WM_SYSKEYDOWN), before the dialog keyboard sees
    // it: true when the form used it. By default it uses none.
    virtual bool OnKey(const MSG& /*key*/) { return false; }

    // Shows the form and runs the message loop until EndModal, or until the form is closed;
    // meanwhile every other window of the program is disabled. Hides the form before it
    // returns. A WM_QUIT met on the way ends the loop and is posted again for the loop below.
    void ShowModal();
    bool Modal() const { return modal_; }

protected:
    enum class Kind {
        Main,   // a main window: minimise box, shown in the taskbar
        Dialog, // a dialog frame with only the close box; owned when it has an owner
        Sizable, // a resizable frame with minimise and maximise boxes; owned when it has an owner
    };

    // Creates the form hidden, its client area `client` exactly.
    Form(Kind kind, std::wstring_view caption, Extent client, HWND owner);

    // A child control at `place`, in the dialog font. Controls made in tab order get it.
    HWND mfhwndControl(const wchar_t* className, int id, DWORD style, DWORD exStyle, const Place& place,
                       std::wstring_view text = {});
    HWND mfhwndButton(int id, std::wstring_view caption, const Place& place, DWORD extraStyle = 0);

    // Ends ShowModal's loop.
    void EndModal() { modalEnded_ = true; }

    // Each activation, after the focus went back to the control that had it.
    virtual void OnActivate() {}
    // A click of the button `id`.
    virtual void OnClick(int /*id*/) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND focus_ = nullptr;
    bool modal_ = false;
    bool modalEnded_ = false;
};

// The dialog font (MS Shell Dlg 2, 8 points) that the fixed layouts are made for: two lines of
// it fit a button 29 pixels high.
HFONT gfhfontDialog();

// UTF-8 text into a window or control (line ends made CR LF), and back out as UTF-8.
void gsSetWindowText(HWND window, std::string_view utf8);
std::string gfstrWindowText(HWND window);

// Moves a window so that its frame is centred on `area` (screen coordinates).
void gsCentreWindow(HWND window, const RECT& area);
// Centres a window on the work area of the monitor it is on.
void gsCentreOnScreen(HWND window);

// True for a top-level window of the form class.
bool gfblnIsForm(HWND window);

// Hands one message on: a key first to its form's OnKey, then the keys of a form's dialog
// keyboard to the dialog manager, everything else to its window.
void gsDispatchMessage(MSG& message);

// The message loop of the program; returns the code of WM_QUIT.
int gfintRunMessageLoop();

// A failure escaped an event procedure that has no handler: its number and description in a
// critical message, then the program ends with exit code 1. Call inside a catch block.
void gsEndOnUnhandledFailure();

} // namespace gui::win32
