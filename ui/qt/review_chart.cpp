#include "review_chart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "review/review_model.h"
#include "strip_chart.h"

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

void ReviewChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect area = plotRect();
    p.fillRect(area, ToQColor(background_));
    if (model_ == nullptr) return;
    const QColor grid = ToQColor(grid_);
    const QColor text = palette().color(QPalette::WindowText);
    const int line = fontMetrics().height();
    // The axis labels are digits and signs only: one string, refilled, for all of them.
    const auto label = [this](const char* ascii, std::size_t n) -> const QString& {
        label_.resize(qsizetype(n));
        for (std::size_t i = 0; i < n; ++i) label_[qsizetype(i)] = QLatin1Char(ascii[i]);
        return label_;
    };
    const auto xOf = [&area](double fraction) { return area.left() + fraction * area.width(); };

    // Columns first: they set the vertical range the lines and labels follow.
    const int columns = std::max(area.width(), 1);
    const auto values = model_->Columns(columns);
    const auto yOf = [&](int channel, double value) {
        // A zoomed axis puts values far off the plot: they stay far off, within what the
        // painter's fixed-point coordinates hold.
        const double height = std::clamp(model_->HeightOf(channel, value), -1e3, 1e3);
        return area.bottom() + 1 - height * area.height();
    };
    const int axis = model_->AxisChannel();

    // Gaps of a cut recording, hatched.
    for (const review::Gap& gap : model_->Gaps()) {
        const double a = std::max(xOf(model_->FractionOf(gap.fromNs)), double(area.left()));
        const double b = std::min(xOf(model_->FractionOf(gap.toNs)), double(area.right() + 1));
        if (b > a)
            p.fillRect(QRectF(a, area.top(), b - a, area.height()), QBrush(grid, Qt::BDiagPattern));
    }
    if (model_->HasSelection()) {
        const double a =
            std::max(xOf(model_->FractionOf(model_->SelectionFromNs())), double(area.left()));
        const double b =
            std::min(xOf(model_->FractionOf(model_->SelectionToNs())), double(area.right() + 1));
        if (b > a)
            p.fillRect(QRectF(a, area.top(), b - a, area.height()), QColor(128, 128, 255, 70));
    }

    std::array<TimeTick, ReviewModel::kMaxTicks> ticks;
    const int tickCount = model_->TimeTicks(ticks);
    p.setPen(QPen(grid, 0, Qt::DotLine));
    for (int i = 0; i < tickCount; ++i) {
        const double x = xOf(ticks[std::size_t(i)].at);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    std::array<double, ReviewModel::kMaxValueTicks> levels;
    const int levelCount = model_->ValueTicks(levels);
    for (int i = 0; i < levelCount; ++i) {
        const double y = yOf(axis, levels[std::size_t(i)]);
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }

    // The curves: per column, the stretch from its minimum to its maximum, joined at the means;
    // a zoomed vertical axis leaves parts of them outside the plot.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(area);
    for (int c = 0; c < kChannels; ++c) {
        if (!model_->ChannelShown(c + 1)) continue;
        p.setPen(QPen(ToQColor(model_->form.PanelColor_CurveCH[std::size_t(c)]), 0));
        line_.clear();
        const auto flush = [&] {
            if (line_.size() == 1) p.drawPoint(line_.front());
            if (line_.size() > 1) p.drawPolyline(line_.data(), static_cast<int>(line_.size()));
            line_.clear();
        };
        int last = -1;
        for (int x = 0; x < columns; ++x) {
            const review::ColumnValue& v = values[std::size_t(x) * kChannels + std::size_t(c)];
            if (v.count == 0 || !std::isfinite(v.mean)) continue;
            // Not across the gap where a cut recording was carried on.
            if (last >= 0 && model_->GapBetween(last, x, columns)) flush();
            last = x;
            const double px = area.left() + x + 0.5;
            if (v.max > v.min)
                p.drawLine(QPointF(px, yOf(c + 1, v.min)), QPointF(px, yOf(c + 1, v.max)));
            line_.emplace_back(px, yOf(c + 1, v.mean));
        }
        flush();
    }

    if (axis > 0) {
        // Whose values the axis gives, in its colour in the plot's corner: every other channel
        // has a scale of its own.
        const char name[] = {'C', 'H', char('0' + axis)};
        p.setPen(ToQColor(model_->form.PanelColor_CurveCH[std::size_t(axis - 1)]));
        p.drawText(QRectF(area.left() + 4, area.top() + 2, 60, fontMetrics().height()),
                   Qt::AlignLeft | Qt::AlignTop, label(name, 3));
    }

    if (const auto at = model_->CursorAt(); at && *at >= 0 && *at <= 1) {
        p.setPen(QPen(QColor(255, 255, 255), 0, Qt::DashLine));
        const double x = xOf(*at);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }

    // Labels outside the plot.
    p.setPen(text);
    p.setClipRect(rect());
    char number[32];
    for (int i = 0; i < levelCount; ++i) {
        const std::size_t n = ReviewModel::FormatAxisValue(levels[std::size_t(i)], number);
        p.drawText(QRectF(0, yOf(axis, levels[std::size_t(i)]) - line, area.left() - 4, 2 * line),
                   Qt::AlignRight | Qt::AlignVCenter, label(number, n));
    }
    for (int i = 0; i < tickCount; ++i) {
        const TimeTick& tick = ticks[std::size_t(i)];
        const double x = xOf(tick.at);
        p.drawText(QRectF(x - 60, area.bottom() + 3, 120, line), Qt::AlignHCenter | Qt::AlignTop,
                   label(tick.clock.data(), std::strlen(tick.clock.data())));
        p.drawText(QRectF(x - 60, area.bottom() + 3 + line, 120, line),
                   Qt::AlignHCenter | Qt::AlignTop,
                   label(tick.elapsed.data(), std::strlen(tick.elapsed.data())));
    }
    p.setPen(grid);
    p.drawRect(area.adjusted(0, 0, -1, -1));
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
