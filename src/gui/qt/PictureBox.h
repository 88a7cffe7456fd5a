#pragma once
// A picture box: a sunken panel that keeps what is drawn on it. Drawings go into an image the
// size of the panel's inside, so a repaint shows them again and a new drawing only covers the
// ones before it.

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QRect>

namespace gui::qt {

class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Fills `box` (in the box's own coordinates, origin at the top left of its inside) with
    // `color`; the parts outside the inside are cut off. Shown at the next paint.
    void FillBox(const QRect& box, const QColor& color);

    // Erases every drawing.
    void Clear();

    // What has been drawn, the size of the inside; transparent where nothing was drawn.
    const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage image_;
};

} // namespace gui::qt
