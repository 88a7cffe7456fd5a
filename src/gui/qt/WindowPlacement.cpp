#include "gui/qt/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

namespace gui::qt {

void gsCentreWindow(QWidget& window, const QRect& area)
{
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

void gsCentreOnScreen(QWidget& window)
{
    if (const QScreen* screen = window.screen())
        gsCentreWindow(window, screen->availableGeometry());
}

} // namespace gui::qt
