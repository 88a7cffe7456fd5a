#include "gui/win32/frmErrorDialog.h"

#include "app/ErrorReport.h"
#include "app/SupportContact.h"
#include "gui/win32/Clipboard.h"
#include "gui/win32/DisplayText.h"
#include "platform/WindowServices.h"

using gui::win32::TwipsRect;
using gui::win32::TwipsSize;

namespace {

enum : int { idLabel = 101, idMailTo, idWebPage, idCopy, idEnd, idMessage, idFocus };

// The button procedures have no handler of their own: a failure in one ends the program after
// a message of its number and description, as start-up does with a failure nobody handles.
template <class Body>
void msRunUnhandled(Body&& body)
{
    try {
        body();
    } catch (...) {
        gui::win32::gsEndOnUnhandledFailure();
    }
}

// A caption too long for one line of its button wraps onto a second.
constexpr DWORD kWrapped = BS_MULTILINE;

} // namespace

std::string gfstrSupportEmail() { return CLASHWICK_SUPPORT_EMAIL; }
std::string gfstrSupportUrl() { return CLASHWICK_SUPPORT_URL; }
std::string gfstrSupportHost() { return CLASHWICK_SUPPORT_HOST; }

frmErrorDialog::frmErrorDialog()
    : Form(Kind::Dialog, L"Unrecoverable Error - Program Execution Halted", TwipsSize(7515, 4650), nullptr)
{
    using gui::win32::gfwsWide;
    // Made in tab order; the label cannot take the focus. cmdMailTo, cmdWebPage and cmdFocus
    // lie below the visible client area: the user sees only Copy and End, but Tab reaches them.
    Label1 = mfhwndControl(L"STATIC", idLabel, SS_LEFT | SS_NOPREFIX, 0, TwipsRect(120, 120, 7275, 435),
                           L"The program has encountered an unexpected error and has halted operation. "
                           L"The error encountered is listed in the text box below.");
    cmdMailTo = mfhwndButton(idMailTo, gfwsWide("Send mail to " + gfstrSupportEmail() + "."),
                             TwipsRect(3840, 5100, 3555, 435), kWrapped);
    cmdWebPage = mfhwndButton(idWebPage, gfwsWide("Open web page " + gfstrSupportHost() + "."),
                              TwipsRect(120, 5040, 3555, 435), kWrapped);
    cmdCopy = mfhwndButton(idCopy, L"Copy error message to the Windows clipboard.", TwipsRect(120, 4080, 3555, 435),
                           kWrapped);
    cmdEnd = mfhwndButton(idEnd, L"Close the error dialog and end the program.", TwipsRect(3840, 4080, 3555, 435),
                          kWrapped);
    // Read-only, so the box is drawn on the dialog's face colour.
    txtMessage = mfhwndControl(L"EDIT", idMessage,
                               ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                               WS_EX_CLIENTEDGE, TwipsRect(120, 720, 7275, 3195));
    cmdFocus = mfhwndButton(idFocus, L"Command1", TwipsRect(3480, 6240, 615, 435));
}

void frmErrorDialog::Form_Load()
{
    // A log that cannot be written is said in the text; the dialog shows all the same.
    std::string text = gfstrErrorReportKept();
    gui::win32::gsSetWindowText(txtMessage, text);
    message_ = std::move(text);
}

void frmErrorDialog::Show()
{
    // Every showing opens centred on the screen.
    gui::win32::gsCentreOnScreen(hwnd_);
    ShowModal();
}

void frmErrorDialog::OnClick(int id)
{
    switch (id) {
    case idCopy:
        msRunUnhandled([this] { cmdCopy_Click(); });
        break;
    case idEnd:
        cmdEnd_Click();
        break;
    case idMailTo:
        msRunUnhandled([this] { cmdMailTo_Click(); });
        break;
    case idWebPage:
        msRunUnhandled([this] { cmdWebPage_Click(); });
        break;
    default:
        break;
    }
}

void frmErrorDialog::Form_Activate()
{
    // The arrow, whatever pointer the failing procedure left.
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SetFocus(cmdFocus);
}

void frmErrorDialog::cmdCopy_Click()
{
    SetFocus(cmdFocus);
    gui::win32::gfblnCopyToClipboard(hwnd_, message_);
}

void frmErrorDialog::cmdEnd_Click()
{
    platform::gudtWindowServices().EndProgram(2);
}

void frmErrorDialog::cmdMailTo_Click()
{
    SetFocus(cmdFocus);
    gsMailToSupport(gfstrSupportEmail());
}

void frmErrorDialog::cmdWebPage_Click()
{
    SetFocus(cmdFocus);
    gsOpenSupportWebPage(gfstrSupportUrl());
}

void gsShowErrorDialog()
{
    // Made on first use and kept for the rest of the program, whose end takes the window with
    // it (the program ends through ExitProcess, so no destructor would run anyway). Each
    // showing loads it again, so the report always reflects the error record as it stands.
    static frmErrorDialog* dialog = nullptr;
    if (!dialog)
        dialog = new frmErrorDialog();
    dialog->Form_Load();
    dialog->Show();
}
