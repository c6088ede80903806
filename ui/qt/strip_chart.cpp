#include "strip_chart.h"

#include <QEvent>
#include <QPainter>
#include "app/texts.h"
#include "qt_text.h"

namespace ts {

QColor ToQColor(Color color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    mapped_.reserve(ChartPlot::kMaxPoints);
}

void StripChart::setBottomMinimum(double value) {
    if (plot_.SetBottomMinimum(value)) update();
}

void StripChart::setBottomMaximum(double value) {
    if (plot_.SetBottomMaximum(value)) update();
}

void StripChart::emptySeries(int channel) {
    if (plot_.EmptySeries(channel)) update();
}

void StripChart::setSeries(int channel, double firstX, std::span<const float> y, Color color) {
    plot_.SetSeries(channel, firstX, y, color);
    update();  // several redraws within one tick are painted once
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

void StripChart::buildStaticLayer() {
    const qreal ratio = devicePixelRatioF();
    staticLayer_ = QPixmap(size() * ratio);
    staticLayer_.setDevicePixelRatio(ratio);
    QPainter p(&staticLayer_);
    paintFixedParts(p);
    staticLayerValid_ = true;
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

void StripChart::paintCurves(QPainter& p) {
    // 1 px and not anti-aliased: wide or smoothed polylines are slow to stroke.
    const PlotArea a = area();
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& s = plot_.SeriesOf(c);
        if (s.count < 1) continue;
        plot_.MapSeries(a, c, mapped_);
        p.setPen(QPen(ToQColor(s.color), 0));
        if (s.count == 1) {
            p.drawPoint(mapped_[0]);
        } else {
            p.drawPolyline(mapped_.data(), s.count);
        }
    }
}

void StripChart::paintEvent(QPaintEvent*) {
    if (!staticLayerValid_ || staticLayer_.size() != size() * devicePixelRatioF()) {
        buildStaticLayer();
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawPixmap(0, 0, staticLayer_);
    p.setClipRect(plotRect());
    paintVerticalGrid(p);
    paintCurves(p);
}

}  // namespace ts
