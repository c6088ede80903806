#include "review_chart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "review/review_model.h"

namespace ts {

ReviewChart::ReviewChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ReviewChart::setModel(ReviewModel* model, std::function<void()> changed) {
    model_ = model;
    changed_ = std::move(changed);
    update();
}

void ReviewChart::setBackgroundColor(Color color) {
    if (background_ == color) return;
    background_ = color;
    update();
}

void ReviewChart::setGridColor(Color color) {
    if (grid_ == color) return;
    grid_ = color;
    update();
}

QRect ReviewChart::plotRect() const {
    const PlotArea a = ReviewModel::PlotAreaOf(width(), height(), logicalDpiX());
    return {a.left, a.top, a.width, a.height};
}

double ReviewChart::fractionAt(double x) const {
    const QRect area = plotRect();
    return (x - area.left()) / static_cast<double>(area.width());
}

double ReviewChart::heightAt(double y) const {
    const QRect area = plotRect();
    return (area.bottom() + 1 - y) / static_cast<double>(area.height());
}

void ReviewChart::changed() {
    if (changed_) changed_();
    update();
}

void ReviewChart::mousePressEvent(QMouseEvent* event) {
    if (model_ == nullptr) return;
    const double at = fractionAt(event->position().x());
    dragStart_ = dragLast_ = at;
    if (event->button() == Qt::RightButton) {
        drag_ = Drag::Zoom;
    } else if (event->button() == Qt::LeftButton) {
        drag_ = (event->modifiers() & Qt::ShiftModifier) ? Drag::Select : Drag::Pan;
    }
}

void ReviewChart::mouseMoveEvent(QMouseEvent* event) {
    if (model_ == nullptr) return;
    const double at = fractionAt(event->position().x());
    switch (drag_) {
        case Drag::Pan:
            model_->Pan(at - dragLast_);
            break;
        case Drag::Select:
            model_->Select(dragStart_, at);
            break;
        case Drag::Zoom:
        case Drag::None:
            break;
    }
    dragLast_ = at;
    model_->MoveCursor(at);
    changed();
}

void ReviewChart::mouseReleaseEvent(QMouseEvent* event) {
    if (model_ == nullptr) return;
    const double at = fractionAt(event->position().x());
    // A stretch narrower than a few pixels is a click, not a stretch.
    const double few = 4.0 / std::max(plotRect().width(), 1);
    if (drag_ == Drag::Zoom && std::abs(at - dragStart_) > few) {
        model_->ZoomToStretch(dragStart_, at);
        changed();
    }
    drag_ = Drag::None;
}

void ReviewChart::leaveEvent(QEvent*) {
    if (model_ == nullptr) return;
    model_->HideCursor();
    changed();
}

void ReviewChart::wheelEvent(QWheelEvent* event) {
    if (model_ == nullptr) return;
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) return;
    if (event->modifiers() & Qt::ControlModifier) {
        model_->ValueWheel(notches, heightAt(event->position().y()));
    } else {
        model_->Wheel(notches, fractionAt(event->position().x()));
    }
    changed();
}

void ReviewChart::keyPressEvent(QKeyEvent* event) {
    if (model_ == nullptr) return;
    ReviewKey key;
    switch (event->key()) {
        case Qt::Key_Left:
            key = ReviewKey::Left;
            break;
        case Qt::Key_Right:
            key = ReviewKey::Right;
            break;
        case Qt::Key_PageUp:
            key = ReviewKey::PageBack;
            break;
        case Qt::Key_PageDown:
            key = ReviewKey::PageForward;
            break;
        case Qt::Key_Home:
            key = ReviewKey::Home;
            break;
        case Qt::Key_End:
            key = ReviewKey::End;
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            key = ReviewKey::ZoomIn;
            break;
        case Qt::Key_Minus:
            key = ReviewKey::ZoomOut;
            break;
        case Qt::Key_Escape:
            key = ReviewKey::Escape;
            break;
        case Qt::Key_Up:
            key = ReviewKey::ValuesIn;
            break;
        case Qt::Key_Down:
            key = ReviewKey::ValuesOut;
            break;
        case Qt::Key_Backspace:
        case Qt::Key_Asterisk:
            key = ReviewKey::FitValues;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    model_->Key(key);
    changed();
}

}  // namespace ts
