#include "strip_chart.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include "app/texts.h"
#include "qt_text.h"

namespace ts {

QColor ToQColor(Color color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    mapped_.reserve(ChartPlot::kMaxPoints);
    curvePens_.fill(QPen(QColor(), 0));  // no colour: each is made at its first use
}

// Data and axis changes repaint the plot area only: the frame around it stays.
void StripChart::setBottomMinimum(double value) {
    if (plot_.SetBottomMinimum(value)) update(plotRect());
}

void StripChart::setBottomMaximum(double value) {
    if (plot_.SetBottomMaximum(value)) update(plotRect());
}

void StripChart::emptySeries(int channel) {
    if (plot_.EmptySeries(channel)) update(plotRect());
}

void StripChart::setSeries(int channel, double firstX, std::span<const float> y, Color color) {
    plot_.SetSeries(channel, firstX, y, color);
    update(plotRect());  // several redraws within one tick are painted once
}

int StripChart::seriesPointCount(int channel) const { return plot_.SeriesOf(channel).count; }

void StripChart::setBackgroundColor(Color color) {
    if (plot_.SetBackgroundColor(color)) dropStaticLayer();
}

void StripChart::setGridColor(Color color) {
    if (plot_.SetGridColor(color)) dropStaticLayer();
}

QRect StripChart::plotRect() const {
    const PlotArea a = area();
    return QRect(a.left, a.top, a.width, a.height);
}

QPoint StripChart::toPixel(double x, double percent) const {
    const PlotPoint p = plot_.ToPixel(area(), x, percent);
    return QPoint(p.x, p.y);
}

void StripChart::resizeEvent(QResizeEvent* event) {
    dropStaticLayer();
    QWidget::resizeEvent(event);
}

void StripChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::StyleChange) {
        dropStaticLayer();
    }
    QWidget::changeEvent(event);
}

void StripChart::dropStaticLayer() {
    staticLayerValid_ = false;
    update();
}

namespace {

PixelRows RowsOf(QImage& image) {
    return PixelRows{reinterpret_cast<std::uint32_t*>(image.bits()),
                     static_cast<int>(image.bytesPerLine() / 4)};
}

}  // namespace

void StripChart::buildStaticLayer() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (staticLayer_.size() != pixels) {
        staticLayer_ = QImage(pixels, QImage::Format_RGB32);
        const PlotArea a = area();
        ring_ = QImage(std::max(a.width, 1), std::max(a.height, 1), QImage::Format_RGB32);
    }
    staticLayer_.setDevicePixelRatio(ratio);
    {
        QPainter p(&staticLayer_);
        paintFixedParts(p);
    }
    const PlotArea a = area();
    if (a.width > 0 && a.height > 0) canvas_.Reset(a, RowsOf(staticLayer_), RowsOf(ring_));
    staticLayerValid_ = true;
}

bool StripChart::bringUpToDate() {
    if (!staticLayerValid_ || staticLayer_.size() != size() * devicePixelRatioF()) {
        buildStaticLayer();
    }
    const PlotArea a = area();
    if (a.width <= 0 || a.height <= 0 || devicePixelRatioF() != 1.0) return true;
    if (!canvas_.Plan(plot_)) return false;
    canvas_.Prepare();
    {
        // Straight into the ring: each piece clipped, and shifted to where its columns are kept.
        QPainter p(&ring_);
        p.setRenderHint(QPainter::Antialiasing, false);
        canvas_.DrawTimeLines(plot_, ToQColor(plot_.GridColor()).rgb());
        for (const RingPiece& piece : canvas_.Pieces()) {
            p.resetTransform();
            p.setClipRect(QRect(piece.first, 0, piece.last - piece.first, a.height));
            p.translate(piece.dx, piece.dy);
            paintCurves(p, piece.range);
        }
    }
    canvas_.Take(plot_);
    return true;
}

void StripChart::paintFixedParts(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect(), palette().window());
    const QRect r = plotRect();
    p.fillRect(r, ToQColor(plot_.BackgroundColor()));

    // Minor lines as dots.
    const QPen majorPen(ToQColor(plot_.GridColor()), 0, Qt::SolidLine);
    const QPen minorPen(ToQColor(plot_.GridColor()), 0, Qt::DotLine);
    const QPen textPen(palette().windowText().color());
    const QFontMetrics fm(font());
    p.setFont(font());
    for (const PercentLine& line : plot_.PercentLines(area())) {
        const int y = line.y;
        p.setPen(line.major ? majorPen : minorPen);
        p.drawLine(r.left(), y, r.right(), y);
        if (!line.major) continue;
        const QString label = Q(ChartPlot::PercentLabel(line.percent));
        p.setPen(textPen);
        p.drawText(QRect(0, y - fm.height() / 2, ChartPlot::kLeftAxisWidth - 3, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, label);
        p.drawText(
            QRect(r.right() + 4, y - fm.height() / 2, ChartPlot::kRightAxisWidth - 4, fm.height()),
            Qt::AlignLeft | Qt::AlignVCenter, label);
    }

    // The axis title's trailing blanks push it to the left, so they must be
    // laid out rather than trimmed.
    p.setPen(textPen);
    QTextOption option(Qt::AlignHCenter | Qt::AlignVCenter);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    const QRect titleRect(r.left(), r.bottom() + 6, r.width(), ChartPlot::kBottomAxisHeight - 6);
    p.drawText(titleRect, Q(text::kBottomAxisTitle), option);
}

void StripChart::paintVerticalGrid(QPainter& p) const {
    const QRect r = plotRect();
    const QPen majorPen(ToQColor(plot_.GridColor()), 0, Qt::SolidLine);
    const QPen minorPen(ToQColor(plot_.GridColor()), 0, Qt::DotLine);
    plot_.ForEachTimeLine(area(), [&](int px, bool solid) {
        p.setPen(solid ? majorPen : minorPen);
        p.drawLine(px, r.top(), px, r.bottom());
    });
}

void StripChart::paintCurves(QPainter& p, ColumnRange range) {
    // 1 px and not anti-aliased: wide or smoothed polylines are slow to stroke.
    const PlotArea a = area();
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& s = plot_.SeriesOf(c);
        if (s.count < 1) continue;
        QPen& pen = curvePens_[std::size_t(c)];
        if (pen.color() != ToQColor(s.color)) pen = QPen(ToQColor(s.color), 0);
        p.setPen(pen);
        if (s.count == 1) {
            plot_.MapSeries(a, c, mapped_);
            p.drawPoint(mapped_[0]);
            continue;
        }
        const auto [first, last] = canvas_.PointsFor(plot_, c, range);
        if (last - first < 2) continue;
        plot_.MapSeries(a, c, mapped_, first, last);
        p.drawPolyline(mapped_.data(), last - first);
    }
}

void StripChart::paintWhole(QPainter& p) {
    if (!staticLayerValid_ || staticLayer_.size() != size() * devicePixelRatioF()) {
        buildStaticLayer();
    }
    canvas_.Forget();
    canvas_.Plan(plot_);
    p.drawImage(0, 0, staticLayer_);
    p.setClipRect(plotRect());
    paintVerticalGrid(p);
    paintCurves(p, ColumnRange{0, area().width});
}

void StripChart::paintEvent(QPaintEvent* event) {
    bringUpToDate();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r = plotRect();
    if (r.width() <= 0 || r.height() <= 0 || devicePixelRatioF() != 1.0) {
        paintWhole(p);
        return;
    }
    // The frame only where the paint reaches beyond the plot; the plot from the ring, whose
    // start moves with the data, in two pieces.
    if (!r.contains(event->rect())) p.drawImage(event->rect(), staticLayer_, event->rect());
    const int start = canvas_.Start();
    p.drawImage(r.topLeft(), ring_, QRect(start, 0, r.width() - start, r.height()));
    if (start > 0) {
        p.drawImage(QPoint(r.left() + r.width() - start, r.top()), ring_,
                    QRect(0, 0, start, r.height()));
    }
}

}  // namespace ts
