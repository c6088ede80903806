#include "strip_chart.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include "base/texts.h"
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
    if (plot_.SetBottomMinimum(value)) update(plotUpdateRect());
}

void StripChart::setBottomMaximum(double value) {
    if (plot_.SetBottomMaximum(value)) update(plotUpdateRect());
}

void StripChart::emptySeries(int channel) {
    if (plot_.EmptySeries(channel)) update(plotUpdateRect());
}

void StripChart::setSeries(int channel, double firstX, std::span<const float> y, Color color) {
    plot_.SetSeries(channel, firstX, y, color);
    update(plotUpdateRect());  // several redraws within one tick are painted once
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

PlotArea StripChart::AreaAt(QSize size, qreal ratio) {
    const QSize pixels = size * ratio;
    return ChartPlot::AreaOf(pixels.width(), pixels.height(), qRound(96 * ratio));
}

PlotArea StripChart::screenArea() const { return AreaAt(size(), ratio_); }

QRect StripChart::plotUpdateRect() const {
    const qreal r = devicePixelRatioF();
    const PlotArea a = AreaAt(size(), r);
    return QRectF(a.left / r, a.top / r, a.width / r, a.height / r).toAlignedRect();
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

qreal RatioOf(const QPainter& painter) {
    const qreal ratio = painter.device()->devicePixelRatio();
    return ratio > 0 ? ratio : 1;
}

// Draws in the painter's device pixels, whatever its ratio, until the painter is restored.
void ToDevicePixels(QPainter& painter) {
    const qreal ratio = RatioOf(painter);
    painter.save();
    if (ratio != 1) painter.scale(1 / ratio, 1 / ratio);
}

}  // namespace

void StripChart::buildStaticLayer() {
    ratio_ = devicePixelRatioF();
    const QSize pixels = size() * ratio_;
    const PlotArea a = screenArea();
    const QSize ringSize(std::max(a.width, 1), std::max(a.height, 1));
    if (staticLayer_.size() != pixels) staticLayer_ = QImage(pixels, QImage::Format_RGB32);
    if (ring_.size() != ringSize) ring_ = QImage(ringSize, QImage::Format_RGB32);
    staticLayer_.setDevicePixelRatio(ratio_);
    {
        QPainter p(&staticLayer_);
        paintFixedParts(p);
    }
    if (a.width > 0 && a.height > 0) canvas_.Reset(a, RowsOf(staticLayer_), RowsOf(ring_));
    staticLayerValid_ = true;
}

bool StripChart::bringUpToDate() {
    if (!staticLayerValid_ || ratio_ != devicePixelRatioF() ||
        staticLayer_.size() != size() * ratio_) {
        buildStaticLayer();
    }
    const PlotArea a = screenArea();
    if (a.width <= 0 || a.height <= 0) return true;
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
    // The plot's background and grid lines in the screen's pixels, as the curves over them.
    const qreal ratio = RatioOf(p);
    const PlotArea screen = AreaAt(size(), ratio);
    const std::array<PercentLine, ChartPlot::kPercentLines> lines = plot_.PercentLines(screen);
    // Minor lines as dots.
    const QPen majorPen(ToQColor(plot_.GridColor()), 0, Qt::SolidLine);
    const QPen minorPen(ToQColor(plot_.GridColor()), 0, Qt::DotLine);
    ToDevicePixels(p);
    p.fillRect(QRect(screen.left, screen.top, screen.width, screen.height),
               ToQColor(plot_.BackgroundColor()));
    for (const PercentLine& line : lines) {
        p.setPen(line.major ? majorPen : minorPen);
        p.drawLine(screen.left, line.y, screen.Right() - 1, line.y);
    }
    p.restore();

    const QPen textPen(palette().windowText().color());
    const QFontMetrics fm(font());
    p.setFont(font());
    for (const PercentLine& line : lines) {
        if (!line.major) continue;
        const int y = qRound(line.y / ratio);
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
    const PlotArea a = screenArea();
    const QPen majorPen(ToQColor(plot_.GridColor()), 0, Qt::SolidLine);
    const QPen minorPen(ToQColor(plot_.GridColor()), 0, Qt::DotLine);
    plot_.ForEachTimeLine(a, [&](int px, bool solid) {
        p.setPen(solid ? majorPen : minorPen);
        p.drawLine(px, a.top, px, a.Bottom() - 1);
    });
}

void StripChart::paintCurves(QPainter& p, ColumnRange range) {
    // 1 px and not anti-aliased: wide or smoothed polylines are slow to stroke.
    const PlotArea a = screenArea();
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
    if (!staticLayerValid_ || ratio_ != devicePixelRatioF() ||
        staticLayer_.size() != size() * ratio_) {
        buildStaticLayer();
    }
    canvas_.Forget();
    canvas_.Plan(plot_);
    p.drawImage(0, 0, staticLayer_);
    const PlotArea a = screenArea();
    ToDevicePixels(p);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(QRect(a.left, a.top, a.width, a.height));
    paintVerticalGrid(p);
    paintCurves(p, ColumnRange{0, a.width});
    p.restore();
}

void StripChart::paintEvent(QPaintEvent* event) {
    bringUpToDate();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The frame only where the paint reaches beyond the plot; the plot from the ring, whose
    // start moves with the data, in two pieces, pixel for pixel on the screen.
    if (!plotUpdateRect().contains(event->rect())) p.drawImage(0, 0, staticLayer_);
    const PlotArea a = screenArea();
    if (a.width <= 0 || a.height <= 0) return;
    ToDevicePixels(p);
    const int start = canvas_.Start();
    p.drawImage(QPoint(a.left, a.top), ring_, QRect(start, 0, a.width - start, a.height));
    if (start > 0) {
        p.drawImage(QPoint(a.Right() - start, a.top), ring_, QRect(0, 0, start, a.height));
    }
    p.restore();
}

}  // namespace ts
