#pragma once
// The unrecoverable-error dialog: shows the error report, keeps it in the error log, copies it
// to the clipboard, offers support by e-mail and web page, and ends the program. The report,
// the log and the support procedures are plain functions (ErrorReport.h, SupportContact.h);
// the dialog lays out its controls and forwards its events to them.

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmErrorDialog : public QDialog {
    Q_OBJECT
public:
    explicit frmErrorDialog(QWidget* parent = nullptr);

    // Builds the report from the error record, writes the error log and fills txtMessage. A log
    // that cannot be written is said at the end of the text (gfstrErrorReportKept).
    void Form_Load();

    // The text of txtMessage exactly as it was set, CR LF line ends included.
    const std::string& MessageText() const { return message_; }

    QLabel* Label1;
    QPushButton* cmdMailTo;
    QPushButton* cmdWebPage;
    QPushButton* cmdCopy;
    QPushButton* cmdEnd;
    QPlainTextEdit* txtMessage;
    QPushButton* cmdFocus;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    void cmdCopy_Click();
    void cmdEnd_Click();
    void cmdMailTo_Click();
    void cmdWebPage_Click();

    std::string message_;
};

// The error trap of the window program: creates the dialog on first use, loads it and shows
// it modally with no owner; returns when it was closed other than by its End button.
void gsShowErrorDialog();

// The support e-mail address, web page and the web site's host name the dialog offers (set
// by the build).
std::string gfstrSupportEmail();
std::string gfstrSupportUrl();
std::string gfstrSupportHost();
