// The three windows: captions, client sizes, control places in pixels, what can be seen, tab
// order and where the windows open.

#include "WindowTestSupport.h"

#include "gui/frmFindHacks.h"
#include "gui/frmHackMain.h"
#include "gui/frmErrorDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <set>

namespace {

using windowtest::WindowTest;

struct Place {
    const char* Name;
    QRect Pixels; // left, top, width, height at 15 twips per pixel
};

void ExpectPlaces(const QWidget& window, const std::vector<Place>& places)
{
    for (const Place& place : places) {
        SCOPED_TRACE(place.Name);
        const auto* control = window.findChild<QWidget*>(QLatin1String(place.Name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget(), &window);
        EXPECT_EQ(control->geometry(), place.Pixels);
    }
}

// The controls that lie, at least in part, inside the client area.
std::set<std::string> VisibleControls(const QWidget& window)
{
    std::set<std::string> names;
    for (const QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!control->isHidden() && control->geometry().intersects(window.rect()))
            names.insert(control->objectName().toStdString());
    return names;
}

// The names of the controls that Tab reaches, `presses` times from `start`.
std::vector<std::string> TabWalk(QWidget& start, int presses)
{
    start.setFocus();
    std::vector<std::string> names;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        names.push_back(QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "");
    }
    return names;
}

void ExpectCentredOn(const QRect& window, const QRect& area)
{
    EXPECT_LE(std::abs(window.center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(window.center().y() - area.center().y()), 1);
}

std::string Caption(const QWidget& control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label->text().toStdString();
    return {};
}

TEST_F(WindowTest, MainWindowLayout)
{
    frmHackMain window;
    EXPECT_EQ(window.size(), QSize(673, 445));
    ExpectPlaces(window, {
                             {"cmdFocus", {404, 500, 49, 17}},
                             {"cmdScan", {304, 416, 65, 25}},
                             {"cmdDetails", {377, 416, 81, 25}},
                             {"txtHackReport", {8, 12, 657, 397}},
                         });
    EXPECT_EQ(Caption(*window.cmdFocus), "Focus");
    EXPECT_EQ(Caption(*window.cmdDetails), "Details...");
    EXPECT_TRUE(window.cmdDetails->isHidden());  // until a scan has ended
    EXPECT_EQ(Caption(*window.cmdScan), "Scan");
    EXPECT_TRUE(window.txtHackReport->toPlainText().isEmpty());
    EXPECT_EQ(window.txtHackReport->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(VisibleControls(window), (std::set<std::string>{"cmdScan", "txtHackReport"}));

    ASSERT_TRUE(ShowActive(window));
    ExpectCentredOn(window.frameGeometry(), window.screen()->availableGeometry());
    EXPECT_EQ(TabWalk(*window.cmdFocus, 3), (std::vector<std::string>{"cmdScan", "txtHackReport", "cmdFocus"}));
}

TEST_F(WindowTest, ScanWindowLayout)
{
    frmFindHacks form;
    EXPECT_EQ(form.windowTitle(), "Searching For Hacks");
    EXPECT_EQ(form.size(), QSize(686, 89));
    ExpectPlaces(form, {{"picStatus", {16, 28, 653, 29}}});
}

TEST_F(WindowTest, ErrorDialogLayout)
{
    frmErrorDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Unrecoverable Error - Program Execution Halted");
    EXPECT_EQ(dialog.size(), QSize(501, 310));
    ExpectPlaces(dialog, {
                             {"Label1", {8, 8, 485, 29}},
                             {"cmdMailTo", {256, 340, 237, 29}},
                             {"cmdWebPage", {8, 336, 237, 29}},
                             {"cmdCopy", {8, 272, 237, 29}},
                             {"cmdEnd", {256, 272, 237, 29}},
                             {"txtMessage", {8, 48, 485, 213}},
                             {"cmdFocus", {232, 416, 41, 29}},
                         });
    const std::vector<std::pair<QWidget*, std::string>> captions = {
        {dialog.Label1, "The program has encountered an unexpected error and has halted operation. The error "
                        "encountered is listed in the text box below."},
        {dialog.cmdMailTo, "Send mail to " + gfstrSupportEmail() + "."},
        {dialog.cmdWebPage, "Open web page " + gfstrSupportHost() + "."},
        {dialog.cmdCopy, "Copy error message to the Windows clipboard."},
        {dialog.cmdEnd, "Close the error dialog and end the program."},
        {dialog.cmdFocus, "Command1"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(Caption(*control), caption) << control->objectName().toStdString();
    EXPECT_TRUE(dialog.txtMessage->isReadOnly());
    EXPECT_EQ(dialog.txtMessage->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(dialog.txtMessage->palette().color(QPalette::Base), dialog.palette().color(QPalette::Button));
    EXPECT_EQ(VisibleControls(dialog), (std::set<std::string>{"Label1", "txtMessage", "cmdCopy", "cmdEnd"}));

    ASSERT_TRUE(ShowActive(dialog));
    ExpectCentredOn(dialog.frameGeometry(), dialog.screen()->availableGeometry());
    EXPECT_EQ(TabWalk(*dialog.cmdFocus, 6), (std::vector<std::string>{"cmdMailTo", "cmdWebPage", "cmdCopy", "cmdEnd",
                                                                       "txtMessage", "cmdFocus"}));
}

// How much darker a button is drawn with its caption than without it, summed over its pixels:
// the ink of the caption's letters as they are shown.
double CaptionInk(QAbstractButton& button)
{
    const QImage with = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString caption = button.text();
    button.setText(QString());
    const QImage without = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    button.setText(caption);
    double ink = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            ink += std::max(0, qGray(without.pixel(x, y)) - qGray(with.pixel(x, y)));
    return ink;
}

TEST_F(WindowTest, ErrorDialogButtonCaptionsAreShownWhole)
{
    frmErrorDialog dialog;
    for (QPushButton* button : {dialog.cmdCopy, dialog.cmdEnd}) {
        SCOPED_TRACE(button->objectName().toStdString());
        // The same caption on a plain button wide enough for it on one line shows every letter.
        QPushButton whole(button->text());
        whole.setFont(button->font());
        whole.resize(whole.sizeHint().width() + 40, button->height());
        const double wholeInk = CaptionInk(whole);
        ASSERT_GT(wholeInk, 0);
        EXPECT_GT(whole.width(), button->width()) << "the caption fits one line: nothing to wrap";
        // Cut at its ends, the caption loses letters and so ink; wrapped, it keeps all of them.
        EXPECT_NEAR(CaptionInk(*button) / wholeInk, 1.0, 0.03);
        EXPECT_EQ(button->geometry().size(), QSize(237, 29));
    }
}

} // namespace
