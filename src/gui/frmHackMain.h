#pragma once
// The main window: a report box, the Scan button and, once a scan has ended, the Details...
// button. Loading it runs the program's start-up (app/StartUp.h); Scan runs the Scan command
// (app/ScanCommand.h) and shows the report; the details of the scan are prepared once the
// report is shown (app/LastScanDetails.h) and Details... opens them (gui/frmDetails.h).

#include "app/LastScanDetails.h"

#include <QWidget>

#include <memory>
#include <string>

class QPlainTextEdit;
class QPushButton;
class frmDetails;
class frmFindHacks;

class frmHackMain : public QWidget {
    Q_OBJECT
public:
    explicit frmHackMain(QWidget* parent = nullptr);
    ~frmHackMain() override;

    // Runs start-up and sets the caption. False when start-up ended the program (seen only
    // when a stand-in for ending it returned); the window must then not be shown.
    bool Form_Load();

    // The text of txtHackReport exactly as the last scan set it, CR LF line ends included.
    const std::string& ReportText() const { return report_; }

    // The scan window, once the first scan has made it.
    frmFindHacks* FindHacksForm() const { return findHacks_.get(); }

    // The details window, once Details... has made it.
    frmDetails* DetailsForm() const { return details_form_.get(); }
    // The details of the last scan, once prepared.
    const ScanDetails* Details() const { return lastScan_.Details(); }

    QPushButton* cmdFocus;
    QPushButton* cmdScan;
    QPushButton* cmdDetails;
    QPlainTextEdit* txtHackReport;

protected:
    // Opens centred on the screen.
    void showEvent(QShowEvent* event) override;

private:
    void cmdScan_Click();
    void cmdDetails_Click();
    void msShowScanForm(const std::string& meshPath);
    void msPrepareDetails();

    std::unique_ptr<frmFindHacks> findHacks_;
    LastScanDetails lastScan_;
    std::unique_ptr<frmDetails> details_form_;  // drawing lastScan_'s details: goes before them
    std::string report_;
    bool placed_ = false;
};
