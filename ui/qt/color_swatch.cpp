#include "color_swatch.h"

#include <QMouseEvent>
#include <QPainter>

#include "strip_chart.h"

namespace ts {

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::setColor(Color color) {
    if (color_ == color) return;
    color_ = color;
    update();
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(contentsRect(), ToQColor(color_));
    p.end();
    QFrame::paintEvent(event);
}

}  // namespace ts
