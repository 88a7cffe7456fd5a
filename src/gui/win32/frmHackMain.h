#pragma once
// The main window: a report box, the Scan button and the Details... button. Loading it runs
// the program's start-up (app/StartUp.h); Scan runs the Scan command (app/ScanCommand.h) and
// shows the report. Once the report is shown, the window reads the details of the scan
// (app/LastScanDetails.h) and shows Details..., which opens them in the details window beside it.

#include "app/LastScanDetails.h"
#include "gui/win32/Form.h"

#include <memory>
#include <string>

class frmDetails;
class frmFindHacks;

class frmHackMain : public gui::win32::Form {
public:
    frmHackMain();
    ~frmHackMain() override;

    // Runs start-up and sets the caption. False when start-up ended the program (seen only
    // when a stand-in for ending it returned); the window must then not be shown.
    bool Form_Load();

    // Shows the window; the first showing opens it centred on the screen.
    void Show(int showCommand = SW_SHOWNORMAL);

    // The text of txtHackReport exactly as the last scan set it, CR LF line ends included.
    const std::string& ReportText() const { return report_; }

    // The scan window, once the first scan has made it.
    frmFindHacks* FindHacksForm() const { return findHacks_.get(); }
    // The details window, once Details... has made it.
    frmDetails* DetailsForm() const { return detailsForm_.get(); }

    HWND cmdFocus;
    HWND cmdScan;
    HWND cmdDetails;  // hidden until a scan has details to show
    HWND txtHackReport;

protected:
    void OnClick(int id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void cmdScan_Click();
    void cmdDetails_Click();
    void msShowScanForm(const std::string& meshPath);
    // Reads the details of the scan whose report is shown, when that is still to be done, and
    // hands them to the details window.
    void msPrepareDetails();

    std::unique_ptr<frmFindHacks> findHacks_;
    std::string report_;
    bool placed_ = false;

    // Declared before the window that shows the details, which therefore goes first.
    LastScanDetails lastScan_;
    std::unique_ptr<frmDetails> detailsForm_;
};
