#include "review_chart.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>

#include "review/review_model.h"
#include "strip_chart.h"

namespace ts {

namespace {

// One paint's plot: where in the widget a moment and a value of the model fall.
struct Plot {
    QRect area;
    const ReviewModel& model;
    int axis;  // the channel whose values the value lines give

    double X(double fraction) const { return area.left() + fraction * area.width(); }
    double Y(int channel, double value) const {
        // A zoomed axis puts values far off the plot: they stay far off, within what the
        // painter's fixed-point coordinates hold.
        const double height = std::clamp(model.HeightOf(channel, value), -1e3, 1e3);
        return area.bottom() + 1 - height * area.height();
    }
    // The stretch of the plot between two moments, cut to the plot; none when nothing is left.
    std::optional<QRectF> Across(std::int64_t fromNs, std::int64_t toNs) const {
        const double a = std::max(X(model.FractionOf(fromNs)), double(area.left()));
        const double b = std::min(X(model.FractionOf(toNs)), double(area.right() + 1));
        if (b <= a) return std::nullopt;
        return QRectF(a, area.top(), b - a, area.height());
    }
};

// The axis labels are digits and signs only: one string, refilled, for all of them.
const QString& Latin(QString& label, const char* ascii, std::size_t n) {
    label.resize(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i) label[qsizetype(i)] = QLatin1Char(ascii[i]);
    return label;
}

// The gaps of a cut recording, hatched, and the selection shaded.
void MarkStretches(QPainter& p, const Plot& plot, const QColor& grid) {
    for (const review::Gap& gap : plot.model.Gaps()) {
        if (const auto r = plot.Across(gap.fromNs, gap.toNs))
            p.fillRect(*r, QBrush(grid, Qt::BDiagPattern));
    }
    if (!plot.model.HasSelection()) return;
    if (const auto r = plot.Across(plot.model.SelectionFromNs(), plot.model.SelectionToNs()))
        p.fillRect(*r, QColor(128, 128, 255, 70));
}

// The dotted time and value lines.
void DrawGridLines(QPainter& p, const Plot& plot, const QColor& grid,
                   std::span<const TimeTick> ticks, std::span<const double> levels) {
    const QRect& area = plot.area;
    p.setPen(QPen(grid, 0, Qt::DotLine));
    for (const TimeTick& tick : ticks) {
        const double x = plot.X(tick.at);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (const double level : levels) {
        const double y = plot.Y(plot.axis, level);
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
}

// One channel's curve: per column, the stretch from its minimum to its maximum, joined at the
// means. `line` is the points' room, kept from paint to paint.
void DrawCurve(QPainter& p, const Plot& plot, std::span<const review::ColumnValue> values, int c,
               std::vector<QPointF>& line) {
    p.setPen(QPen(ToQColor(plot.model.form().PanelColor_CurveCH[std::size_t(c)]), 0));
    line.clear();
    const auto flush = [&] {
        if (line.size() == 1) p.drawPoint(line.front());
        if (line.size() > 1) p.drawPolyline(line.data(), static_cast<int>(line.size()));
        line.clear();
    };
    const int columns = std::max(plot.area.width(), 1);
    int last = -1;
    for (int x = 0; x < columns; ++x) {
        const review::ColumnValue& v = values[std::size_t(x) * kChannels + std::size_t(c)];
        if (v.count == 0 || !std::isfinite(v.mean)) continue;
        // Not across the gap where a cut recording was carried on.
        if (last >= 0 && plot.model.GapBetween(last, x, columns)) flush();
        last = x;
        const double px = plot.area.left() + x + 0.5;
        if (v.max > v.min)
            p.drawLine(QPointF(px, plot.Y(c + 1, v.min)), QPointF(px, plot.Y(c + 1, v.max)));
        line.emplace_back(px, plot.Y(c + 1, v.mean));
    }
    flush();
}

// Whose values the axis gives, in its colour in the plot's corner: every other channel has a
// scale of its own.
void DrawAxisName(QPainter& p, const Plot& plot, int line, QString& label) {
    if (plot.axis <= 0) return;
    const char name[] = {'C', 'H', char('0' + plot.axis)};
    p.setPen(ToQColor(plot.model.form().PanelColor_CurveCH[std::size_t(plot.axis - 1)]));
    p.drawText(QRectF(plot.area.left() + 4, plot.area.top() + 2, 60, line),
               Qt::AlignLeft | Qt::AlignTop, Latin(label, name, 3));
}

void DrawCursor(QPainter& p, const Plot& plot) {
    const auto at = plot.model.CursorAt();
    if (!at || *at < 0 || *at > 1) return;
    p.setPen(QPen(QColor(255, 255, 255), 0, Qt::DashLine));
    const double x = plot.X(*at);
    p.drawLine(QPointF(x, plot.area.top()), QPointF(x, plot.area.bottom()));
}

// The values of the value lines left of the plot; under each time line, its clock time and
// the time since the start.
void DrawLabels(QPainter& p, const Plot& plot, std::span<const TimeTick> ticks,
                std::span<const double> levels, int line, QString& label) {
    char number[32];
    for (const double level : levels) {
        const std::size_t n = ReviewModel::FormatAxisValue(level, number);
        p.drawText(QRectF(0, plot.Y(plot.axis, level) - line, plot.area.left() - 4, 2 * line),
                   Qt::AlignRight | Qt::AlignVCenter, Latin(label, number, n));
    }
    const int below = plot.area.bottom() + 3;
    for (const TimeTick& tick : ticks) {
        const double x = plot.X(tick.at);
        p.drawText(QRectF(x - 60, below, 120, line), Qt::AlignHCenter | Qt::AlignTop,
                   Latin(label, tick.clock.data(), std::strlen(tick.clock.data())));
        p.drawText(QRectF(x - 60, below + line, 120, line), Qt::AlignHCenter | Qt::AlignTop,
                   Latin(label, tick.elapsed.data(), std::strlen(tick.elapsed.data())));
    }
}

}  // namespace

void ReviewChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect area = plotRect();
    p.fillRect(area, ToQColor(background_));
    if (model_ == nullptr) return;
    const QColor grid = ToQColor(grid_);
    const int line = fontMetrics().height();

    // Columns first: they set the vertical range the lines and labels follow.
    const auto values = model_->Columns(std::max(area.width(), 1));
    const Plot plot{area, *model_, model_->AxisChannel()};
    MarkStretches(p, plot, grid);
    std::array<TimeTick, ReviewModel::kMaxTicks> tickRoom;
    const auto ticks = std::span<const TimeTick>(tickRoom).first(
        static_cast<std::size_t>(model_->TimeTicks(tickRoom)));
    std::array<double, ReviewModel::kMaxValueTicks> levelRoom;
    const auto levels = std::span<const double>(levelRoom).first(
        static_cast<std::size_t>(model_->ValueTicks(levelRoom)));
    DrawGridLines(p, plot, grid, ticks, levels);

    // Inside the plot: a zoomed vertical axis leaves parts of the curves outside it.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(area);
    for (int c = 0; c < kChannels; ++c) {
        if (model_->ChannelShown(c + 1)) DrawCurve(p, plot, values, c, line_);
    }
    DrawAxisName(p, plot, line, label_);
    DrawCursor(p, plot);

    // Labels outside the plot.
    p.setPen(palette().color(QPalette::WindowText));
    p.setClipRect(rect());
    DrawLabels(p, plot, ticks, levels, line, label_);
    p.setPen(grid);
    p.drawRect(area.adjusted(0, 0, -1, -1));
}

}  // namespace ts
