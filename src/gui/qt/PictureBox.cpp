#include "gui/qt/PictureBox.h"

#include <QPainter>

namespace gui::qt {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    Clear();
}

void PictureBox::FillBox(const QRect& box, const QColor& color)
{
    if (image_.isNull())
        return;
    QPainter painter(&image_);
    painter.fillRect(box, color);
}

void PictureBox::Clear()
{
    image_ = QImage(contentsRect().size(), QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    // The layout is fixed, so this only happens while the window is being built: keep what is
    // drawn, on an inside of the new size.
    QImage resized(contentsRect().size(), QImage::Format_ARGB32_Premultiplied);
    resized.fill(Qt::transparent);
    if (!resized.isNull() && !image_.isNull())
        QPainter(&resized).drawImage(0, 0, image_);
    image_ = resized;
    QFrame::resizeEvent(event);
}

} // namespace gui::qt
