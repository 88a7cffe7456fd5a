#include "gui/frmErrorDialog.h"

#include "app/AppIdentity.h"
#include "app/ErrorReport.h"
#include "errors/Failure.h"
#include "app/SupportContact.h"
#include "platform/WindowServices.h"
#include "gui/qt/QtWindowServices.h"
#include "gui/qt/Twips.h"
#include "gui/qt/WindowPlacement.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <memory>

using gui::qt::TwipsRect;
using gui::qt::TwipsSize;

namespace {

// The button procedures have no handler of their own: a failure in one ends the program after
// a message of its number and description, as start-up does with a failure nobody handles.
template <class Body>
void msRunUnhandled(Body&& body)
{
    try {
        body();
    } catch (...) {
        const Failure failure = gudtCaughtFailure();
        platform::WindowServices& windows = platform::gudtWindowServices();
        windows.ShowCriticalMessage(
            "Run-time error '" + std::to_string(failure.Number()) + "':\n\n" + failure.Description(),
            std::string(kAppTitle));
        windows.EndProgram(1);
    }
}

// A push button whose caption wraps onto a second line when one line is too short for it,
// centred both ways. The caption stays the button's text (the keyboard's mnemonic, screen
// readers and the tests read it there); only the drawing differs from QPushButton's, which
// keeps the caption on one line and cuts it at both ends.
class WrappingButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        // Across, the room the style gives a caption; down, all of the inside of the frame: two
        // lines need nearly the whole height of the layout's buttons.
        QRect room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        room.setTop(rect().top() + 1);
        room.setBottom(rect().bottom() - 1);
        painter.drawItemText(room, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(), isEnabled(),
                             caption, QPalette::ButtonText);
    }
};

QPushButton* mfcmdButton(QWidget* parent, const char* name, const QString& caption, const QRect& place)
{
    auto* button = new WrappingButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    return button;
}

} // namespace

std::string gfstrSupportEmail() { return CLASHWICK_SUPPORT_EMAIL; }
std::string gfstrSupportUrl() { return CLASHWICK_SUPPORT_URL; }
std::string gfstrSupportHost() { return CLASHWICK_SUPPORT_HOST; }

frmErrorDialog::frmErrorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmErrorDialog"));
    setWindowTitle(QStringLiteral("Unrecoverable Error - Program Execution Halted"));
    setFixedSize(TwipsSize(7515, 4650));
    setModal(true);

    // Made in tab order; the label cannot take the focus. cmdMailTo, cmdWebPage and cmdFocus
    // lie below the visible client area: the user sees only Copy and End, but Tab reaches them.
    Label1 = new QLabel(QStringLiteral("The program has encountered an unexpected error and has halted operation. "
                                       "The error encountered is listed in the text box below."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsRect(120, 120, 7275, 435));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdMailTo = mfcmdButton(this, "cmdMailTo", QString::fromStdString("Send mail to " + gfstrSupportEmail() + "."),
                            TwipsRect(3840, 5100, 3555, 435));
    cmdWebPage = mfcmdButton(this, "cmdWebPage",
                             QString::fromStdString("Open web page " + gfstrSupportHost() + "."),
                             TwipsRect(120, 5040, 3555, 435));
    cmdCopy = mfcmdButton(this, "cmdCopy", QStringLiteral("Copy error message to the Windows clipboard."),
                          TwipsRect(120, 4080, 3555, 435));
    cmdEnd = mfcmdButton(this, "cmdEnd", QStringLiteral("Close the error dialog and end the program."),
                         TwipsRect(3840, 4080, 3555, 435));

    txtMessage = new QPlainTextEdit(this);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setGeometry(TwipsRect(120, 720, 7275, 3195));
    txtMessage->setReadOnly(true);
    txtMessage->setTabChangesFocus(true);
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette buttonFace = txtMessage->palette();
    buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
    txtMessage->setPalette(buttonFace);

    cmdFocus = mfcmdButton(this, "cmdFocus", QStringLiteral("Command1"), TwipsRect(3480, 6240, 615, 435));

    QWidget::setTabOrder(cmdMailTo, cmdWebPage);
    QWidget::setTabOrder(cmdWebPage, cmdCopy);
    QWidget::setTabOrder(cmdCopy, cmdEnd);
    QWidget::setTabOrder(cmdEnd, txtMessage);
    QWidget::setTabOrder(txtMessage, cmdFocus);

    connect(cmdCopy, &QPushButton::clicked, this, [this] { msRunUnhandled([this] { cmdCopy_Click(); }); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    connect(cmdMailTo, &QPushButton::clicked, this, [this] { msRunUnhandled([this] { cmdMailTo_Click(); }); });
    connect(cmdWebPage, &QPushButton::clicked, this, [this] { msRunUnhandled([this] { cmdWebPage_Click(); }); });
}

void frmErrorDialog::Form_Load()
{
    // A log that cannot be written is said in the text; the dialog shows all the same.
    std::string text = gfstrErrorReportKept();
    txtMessage->setPlainText(gui::qt::gfqsDisplayText(text));
    message_ = std::move(text);
}

bool frmErrorDialog::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

void frmErrorDialog::showEvent(QShowEvent* event)
{
    // Every showing opens centred on the screen.
    if (!event->spontaneous())
        gui::qt::gsCentreOnScreen(*this);
    QDialog::showEvent(event);
}

void frmErrorDialog::Form_Activate()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    cmdFocus->setFocus();
}

void frmErrorDialog::cmdCopy_Click()
{
    cmdFocus->setFocus();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(message_));
}

void frmErrorDialog::cmdEnd_Click()
{
    platform::gudtWindowServices().EndProgram(2);
}

void frmErrorDialog::cmdMailTo_Click()
{
    cmdFocus->setFocus();
    gsMailToSupport(gfstrSupportEmail());
}

void frmErrorDialog::cmdWebPage_Click()
{
    cmdFocus->setFocus();
    gsOpenSupportWebPage(gfstrSupportUrl());
}

void gsShowErrorDialog()
{
    // Made on first use and kept until the program ends; each showing loads it again, so the
    // report always reflects the error record as it stands. A window must go before the
    // application object does, so it is dropped when the event loop ends.
    static std::unique_ptr<frmErrorDialog> dialog;
    if (!dialog) {
        dialog = std::make_unique<frmErrorDialog>();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { dialog.reset(); });
    }
    dialog->Form_Load();
    dialog->exec();
}
