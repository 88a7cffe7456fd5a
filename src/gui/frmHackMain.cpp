#include "gui/frmHackMain.h"

#include "app/AppIdentity.h"
#include "app/ScanCommand.h"
#include "app/StartUp.h"
#include "gui/frmDetails.h"
#include "gui/frmFindHacks.h"
#include "platform/DateText.h"
#include "gui/qt/QtWindowServices.h"
#include "gui/qt/Twips.h"
#include "gui/qt/WindowPlacement.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QApplication>
#include <QShowEvent>
#include <QTimer>

using gui::qt::TwipsRect;
using gui::qt::TwipsSize;

frmHackMain::frmHackMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHackMain"));
    // Until start-up puts the version in, the caption is the product and its copyright.
    setWindowTitle(QString::fromUtf8(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())) +
                   QStringLiteral(" - ") +
                   QString::fromUtf8(kAppCopyright.data(), static_cast<qsizetype>(kAppCopyright.size())));
    setFixedSize(TwipsSize(10095, 6675));

    // Made in tab order. cmdFocus lies below the visible client area.
    cmdFocus = new QPushButton(QStringLiteral("Focus"), this);
    cmdFocus->setObjectName(QStringLiteral("cmdFocus"));
    cmdFocus->setGeometry(TwipsRect(6060, 7500, 735, 255));

    cmdScan = new QPushButton(QStringLiteral("Scan"), this);
    cmdScan->setObjectName(QStringLiteral("cmdScan"));
    cmdScan->setGeometry(TwipsRect(4560, 6240, 975, 375));

    // Hidden until a scan has ended: the window at start-up has only Scan.
    cmdDetails = new QPushButton(QStringLiteral("Details..."), this);
    cmdDetails->setObjectName(QStringLiteral("cmdDetails"));
    cmdDetails->setGeometry(TwipsRect(5655, 6240, 1215, 375));
    cmdDetails->hide();

    txtHackReport = new QPlainTextEdit(this);
    txtHackReport->setObjectName(QStringLiteral("txtHackReport"));
    txtHackReport->setGeometry(TwipsRect(120, 180, 9855, 5955));
    txtHackReport->setTabChangesFocus(true);
    txtHackReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHackReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QWidget::setTabOrder(cmdFocus, cmdScan);
    QWidget::setTabOrder(cmdScan, cmdDetails);
    QWidget::setTabOrder(cmdDetails, txtHackReport);

    connect(cmdScan, &QPushButton::clicked, this, [this] { cmdScan_Click(); });
    connect(cmdDetails, &QPushButton::clicked, this, [this] { cmdDetails_Click(); });
}

frmHackMain::~frmHackMain() = default;

void frmHackMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous() && !placed_) {
        gui::qt::gsCentreOnScreen(*this);
        placed_ = true;
    }
}

bool frmHackMain::Form_Load()
{
    std::string caption;
    if (!gfblnStartUp(caption))
        return false;
    setWindowTitle(QString::fromStdString(caption));
    return true;
}

void frmHackMain::cmdScan_Click()
{
    // The tables of the last scan are about to go: its details are read first if they are not yet.
    msPrepareDetails();
    ScanCommandHooks hooks;
    hooks.MoveFocusToSink = [this] { cmdFocus->setFocus(); };
    hooks.ShowScanForm = [this](const std::string& meshPath) { msShowScanForm(meshPath); };
    hooks.DateText = platform::gfstrGeneralDateNow;
    std::string displayText;
    if (!lastScan_.RunScan(hooks, displayText))
        return;
    txtHackReport->setPlainText(gui::qt::gfqsDisplayText(displayText));
    report_ = std::move(displayText);
    // The details need the packages of the conflicts read again: the report is drawn first.
    QTimer::singleShot(0, this, [this] { msPrepareDetails(); });
}

void frmHackMain::msPrepareDetails()
{
    if (!lastScan_.Pending())
        return;
    // The window lets go of the old details before they are replaced.
    if (details_form_)
        details_form_->SetDetails(nullptr);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool ready = lastScan_.Prepare();
    QApplication::restoreOverrideCursor();
    if (!ready)
        return;
    cmdDetails->show();
    cmdDetails->setEnabled(true);
    if (details_form_)
        details_form_->SetDetails(lastScan_.Details());
}

void frmHackMain::cmdDetails_Click()
{
    msPrepareDetails();
    if (!lastScan_.Details())
        return;
    if (!details_form_) {
        details_form_ = std::make_unique<frmDetails>(this);
        details_form_->SetDetails(lastScan_.Details());
    }
    details_form_->show();
    details_form_->raise();
    details_form_->activateWindow();
}

void frmHackMain::msShowScanForm(const std::string& meshPath)
{
    // One scan window, made on first use and shown again by every later scan.
    if (!findHacks_)
        findHacks_ = std::make_unique<frmFindHacks>(this);
    findHacks_->SetMeshPath(meshPath);
    findHacks_->exec();
}
