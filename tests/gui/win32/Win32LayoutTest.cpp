// The three Win32 windows: captions, client sizes, control places in pixels, what can be seen,
// tab order, captions that must wrap, where the windows open; and the text between UTF-8 and
// the wide calls.

#include "Win32WindowTestSupport.h"

#include "gui/win32/DisplayText.h"
#include "gui/win32/frmErrorDialog.h"
#include "gui/win32/frmFindHacks.h"
#include "gui/win32/frmHackMain.h"

#include <map>
#include <set>

namespace {

using gui::win32::gfstrUtf8;
using gui::win32::gfstrWindowText;
using gui::win32::gfwsDisplayText;
using gui::win32::gfwsWide;
using win32test::Box;
using win32test::ControlBox;
using win32test::Win32WindowTest;

TEST(DisplayText, AccentsAndSymbolsSurviveTheWideCalls)
{
    const std::string text = "Caf\xC3\xA9\xE2\x84\xA2 \xF0\x9F\x8E\xAE \xC3\x89" "dition"; // Café™ 🎮 Édition
    const std::wstring wide = gfwsWide(text);
    EXPECT_EQ(wide, std::wstring(L"Caf\u00E9\u2122 \xD83C\xDFAE \u00C9" L"dition"));
    EXPECT_EQ(gfstrUtf8(wide), text);
    // A byte that starts no valid sequence is replaced, not the end of the text.
    EXPECT_EQ(gfwsWide("a\xFF" "b"), std::wstring(L"a\uFFFD" L"b"));
}

TEST(DisplayText, EveryLineEndBecomesCrLf)
{
    EXPECT_EQ(gfwsDisplayText("one\r\ntwo\nthree\rfour\r\n"), std::wstring(L"one\r\ntwo\r\nthree\r\nfour\r\n"));
    EXPECT_EQ(gfwsDisplayText("\n\n"), std::wstring(L"\r\n\r\n"));
}

void ExpectPlaces(const std::map<std::string, std::pair<HWND, Box>>& places)
{
    for (const auto& [name, place] : places) {
        SCOPED_TRACE(name);
        ASSERT_NE(place.first, nullptr);
        EXPECT_EQ(ControlBox(place.first), place.second);
    }
}

// The controls that lie, at least in part, inside the client area.
std::set<std::string> VisibleControls(HWND form, const std::map<std::string, std::pair<HWND, Box>>& places)
{
    const Box client = win32test::ClientBox(form);
    std::set<std::string> names;
    for (const auto& [name, place] : places) {
        const Box box = ControlBox(place.first);
        if (box.Left < client.Width && box.Top < client.Height && box.Left + box.Width > 0 && box.Top + box.Height > 0)
            names.insert(name);
    }
    return names;
}

// The names of the controls that Tab reaches, `presses` times from `start`.
std::vector<std::string> TabWalk(HWND start, int presses, const std::map<HWND, std::string>& names)
{
    SetFocus(start);
    std::vector<std::string> reached;
    for (int i = 0; i < presses; ++i) {
        win32test::PressTab();
        const auto found = names.find(GetFocus());
        reached.push_back(found == names.end() ? "" : found->second);
    }
    return reached;
}

void ExpectCentredOnTheWorkArea(HWND window)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& area = monitor.rcWork;
    EXPECT_LE(std::abs((frame.left + frame.right) - (area.left + area.right)), 2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (area.top + area.bottom)), 2);
}

bool HasStyle(HWND control, LONG style)
{
    return (GetWindowLongW(control, GWL_STYLE) & style) == style;
}

TEST_F(Win32WindowTest, MainWindowLayout)
{
    frmHackMain window;
    EXPECT_EQ(win32test::ClientBox(window.Handle()), (Box{0, 0, 673, 445}));
    const std::map<std::string, std::pair<HWND, Box>> places = {
        {"cmdFocus", {window.cmdFocus, {404, 500, 49, 17}}},
        {"cmdScan", {window.cmdScan, {304, 416, 65, 25}}},
        {"txtHackReport", {window.txtHackReport, {8, 12, 657, 397}}},
    };
    ExpectPlaces(places);
    EXPECT_EQ(gfstrWindowText(window.cmdFocus), "Focus");
    EXPECT_EQ(gfstrWindowText(window.cmdScan), "Scan");
    EXPECT_EQ(gfstrWindowText(window.txtHackReport), "");
    EXPECT_TRUE(HasStyle(window.txtHackReport, ES_MULTILINE | ES_READONLY | WS_VSCROLL));
    // Long lines wrap: no sideways scrolling.
    EXPECT_FALSE(HasStyle(window.txtHackReport, WS_HSCROLL));
    EXPECT_FALSE(HasStyle(window.txtHackReport, ES_AUTOHSCROLL));
    EXPECT_EQ(VisibleControls(window.Handle(), places), (std::set<std::string>{"cmdScan", "txtHackReport"}));

    window.Show();
    win32test::Pump();
    ExpectCentredOnTheWorkArea(window.Handle());
    const std::map<HWND, std::string> names = {
        {window.cmdFocus, "cmdFocus"}, {window.cmdScan, "cmdScan"}, {window.txtHackReport, "txtHackReport"}};
    // Tab leaves the multi-line report box as it leaves a button.
    EXPECT_EQ(TabWalk(window.cmdFocus, 3, names), (std::vector<std::string>{"cmdScan", "txtHackReport", "cmdFocus"}));
    SetFocus(window.txtHackReport);
    win32test::PressTab(true);
    EXPECT_EQ(GetFocus(), window.cmdScan);
}

TEST_F(Win32WindowTest, ScanWindowLayout)
{
    frmHackMain owner;
    frmFindHacks form(owner.Handle());
    EXPECT_EQ(gfstrWindowText(form.Handle()), "Searching For Hacks");
    EXPECT_EQ(win32test::ClientBox(form.Handle()), (Box{0, 0, 686, 89}));
    ExpectPlaces({{"picStatus", {form.picStatus.Handle(), {16, 28, 653, 29}}}});
    EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), owner.Handle());
}

TEST_F(Win32WindowTest, ErrorDialogLayout)
{
    frmErrorDialog dialog;
    EXPECT_EQ(gfstrWindowText(dialog.Handle()), "Unrecoverable Error - Program Execution Halted");
    EXPECT_EQ(win32test::ClientBox(dialog.Handle()), (Box{0, 0, 501, 310}));
    const std::map<std::string, std::pair<HWND, Box>> places = {
        {"Label1", {dialog.Label1, {8, 8, 485, 29}}},
        {"cmdMailTo", {dialog.cmdMailTo, {256, 340, 237, 29}}},
        {"cmdWebPage", {dialog.cmdWebPage, {8, 336, 237, 29}}},
        {"cmdCopy", {dialog.cmdCopy, {8, 272, 237, 29}}},
        {"cmdEnd", {dialog.cmdEnd, {256, 272, 237, 29}}},
        {"txtMessage", {dialog.txtMessage, {8, 48, 485, 213}}},
        {"cmdFocus", {dialog.cmdFocus, {232, 416, 41, 29}}},
    };
    ExpectPlaces(places);
    const std::vector<std::pair<HWND, std::string>> captions = {
        {dialog.Label1, "The program has encountered an unexpected error and has halted operation. The error "
                        "encountered is listed in the text box below."},
        {dialog.cmdMailTo, "Send mail to " + gfstrSupportEmail() + "."},
        {dialog.cmdWebPage, "Open web page " + gfstrSupportHost() + "."},
        {dialog.cmdCopy, "Copy error message to the Windows clipboard."},
        {dialog.cmdEnd, "Close the error dialog and end the program."},
        {dialog.cmdFocus, "Command1"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(gfstrWindowText(control), caption);
    EXPECT_TRUE(HasStyle(dialog.txtMessage, ES_MULTILINE | ES_READONLY | WS_VSCROLL));
    EXPECT_FALSE(HasStyle(dialog.txtMessage, WS_HSCROLL));
    EXPECT_EQ(VisibleControls(dialog.Handle(), places),
              (std::set<std::string>{"Label1", "txtMessage", "cmdCopy", "cmdEnd"}));
    EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), nullptr);
}

// The height of a caption drawn as `control` draws it, wrapped at `width`, and the height of
// one line of its font; the width it needs on one line.
struct Measure {
    int Height;
    int LineHeight;
    int OneLineWidth;
};

Measure MeasureCaption(HWND control, int width)
{
    const std::wstring caption = gfwsWide(gfstrWindowText(control));
    HDC dc = GetDC(control);
    HGDIOBJ original = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT wrapped{0, 0, width, 0};
    DrawTextW(dc, caption.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    RECT single{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), -1, &single, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, original);
    ReleaseDC(control, dc);
    return {wrapped.bottom - wrapped.top, metrics.tmHeight, single.right - single.left};
}

TEST_F(Win32WindowTest, ErrorDialogCaptionsAreShownWhole)
{
    // Inside a button's 2-pixel frame and its focus rectangle, text has the rest.
    constexpr int kButtonMargin = 4;
    frmErrorDialog dialog;
    for (HWND button : {dialog.cmdCopy, dialog.cmdEnd}) {
        SCOPED_TRACE(gfstrWindowText(button));
        const Box box = ControlBox(button);
        const Measure caption = MeasureCaption(button, box.Width - 2 * kButtonMargin);
        // Too long for one line, so the button must wrap it, onto two lines that it has room for.
        EXPECT_GT(caption.OneLineWidth, box.Width - 2 * kButtonMargin);
        EXPECT_TRUE(HasStyle(button, BS_MULTILINE));
        EXPECT_EQ(caption.Height, 2 * caption.LineHeight);
        EXPECT_LE(caption.Height, box.Height - 2);
    }
    // The label wraps onto the two lines of its box.
    const Box label = ControlBox(dialog.Label1);
    const Measure text = MeasureCaption(dialog.Label1, label.Width);
    EXPECT_LE(text.Height, label.Height);
}

TEST_F(Win32WindowTest, ErrorDialogOpensCentredAndTabsThroughTheHiddenButtons)
{
    frmErrorDialog dialog;
    dialog.Form_Load();
    std::vector<std::string> walk;
    bool centred = false;
    const win32test::ModalAnswer answer(L"Unrecoverable Error - Program Execution Halted", [&](HWND) {
        ExpectCentredOnTheWorkArea(dialog.Handle());
        centred = true;
        const std::map<HWND, std::string> names = {
            {dialog.cmdMailTo, "cmdMailTo"}, {dialog.cmdWebPage, "cmdWebPage"}, {dialog.cmdCopy, "cmdCopy"},
            {dialog.cmdEnd, "cmdEnd"},       {dialog.txtMessage, "txtMessage"}, {dialog.cmdFocus, "cmdFocus"}};
        walk = TabWalk(dialog.cmdFocus, 6, names);
    });
    dialog.Show();
    EXPECT_TRUE(answer.Found());
    EXPECT_TRUE(centred);
    EXPECT_EQ(walk, (std::vector<std::string>{"cmdMailTo", "cmdWebPage", "cmdCopy", "cmdEnd", "txtMessage",
                                              "cmdFocus"}));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
}

} // namespace
