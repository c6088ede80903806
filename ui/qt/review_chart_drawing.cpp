#include "review_chart.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "review/review_model.h"
#include "strip_chart.h"

namespace ts {

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

}  // namespace ts
