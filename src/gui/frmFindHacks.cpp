#include "gui/frmFindHacks.h"

#include "app/FindHacks.h"
#include "gui/qt/PictureBox.h"
#include "gui/qt/Twips.h"
#include "gui/qt/WindowPlacement.h"

#include <QShowEvent>
#include <QTimer>

#include <cmath>

using gui::qt::TwipsRect;
using gui::qt::TwipsSize;

frmFindHacks::frmFindHacks(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmFindHacks"));
    setWindowTitle(QStringLiteral("Searching For Hacks"));
    setFixedSize(TwipsSize(10290, 1335));
    setModal(true);

    picStatus = new gui::qt::PictureBox(this);
    picStatus->setObjectName(QStringLiteral("picStatus"));
    picStatus->setGeometry(TwipsRect(240, 420, 9795, 435));
}

void frmFindHacks::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Each show loads the window afresh: centred on its owner, with an empty status box.
    if (const QWidget* owner = parentWidget())
        gui::qt::gsCentreWindow(*this, owner->frameGeometry());
    picStatus->Clear();
    // The scan starts once the window is up, after the events that show it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            Form_Activate();
    });
}

void frmFindHacks::Form_Activate()
{
    repaint();
    drawn_.clear();
    const bool finished = gfblnFindHacks(
        meshPath_, [this](std::int32_t done, std::int32_t count) { msDrawProgress(done, count); });
    // After a trapped failure the window stays, as the error handler leaves without unloading.
    if (finished)
        accept();
}

void frmFindHacks::msDrawProgress(std::int32_t done, std::int32_t count)
{
    const double fraction = static_cast<double>(done) / count;
    const int right = static_cast<int>(std::lround(picStatus->width() * fraction));
    picStatus->FillBox(QRect(0, 0, right, picStatus->height()), QColor(255, 0, 0));
    picStatus->repaint();
    drawn_.emplace_back(done, count);
}
