#pragma once
// The main window: a report box and the Scan button. Loading it runs the program's start-up
// (app/StartUp.h); Scan runs the Scan command (app/ScanCommand.h) and shows the report.

#include "gui/win32/Form.h"

#include <memory>
#include <string>

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

    HWND cmdFocus;
    HWND cmdScan;
    HWND txtHackReport;

protected:
    void OnClick(int id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void cmdScan_Click();
    void msShowScanForm(const std::string& meshPath);

    std::unique_ptr<frmFindHacks> findHacks_;
    std::string report_;
    bool placed_ = false;
};
