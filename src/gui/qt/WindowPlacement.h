#pragma once
// Where windows open: centred on the screen or on their owner, whole window (frame included)
// over whole area.

#include <QRect>

class QWidget;

namespace gui::qt {

// Moves a window so that its frame is centred on `area` (screen coordinates).
void gsCentreWindow(QWidget& window, const QRect& area);

// Centres a window on the screen it is on.
void gsCentreOnScreen(QWidget& window);

} // namespace gui::qt
