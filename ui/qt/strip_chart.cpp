#include "strip_chart.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/texts.h"
#include "qt_text.h"

namespace ts {

namespace {

constexpr double kAxisLow = -0.3;
constexpr double kAxisHigh = 100.3;
constexpr int kLeftAxisWidth = 34;
constexpr int kRightAxisWidth = 34;
constexpr int kTopMargin = 24;
constexpr int kBottomAxisHeight = 26;
constexpr int kMaxSeriesPoints = 600;

}  // namespace

QColor ToQColor(Color color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (Series& s : series_) s.y.reserve(kMaxSeriesPoints);
    mapped_.reserve(kMaxSeriesPoints);
}

void StripChart::setBottomMinimum(double value) {
    if (bottomMin_ == value) return;
    bottomMin_ = value;
    update();
}

void StripChart::setBottomMaximum(double value) {
    if (bottomMax_ == value) return;
    bottomMax_ = value;
    update();
}

void StripChart::emptySeries(int channel) {
    Series& s = series_[static_cast<std::size_t>(channel)];
    if (s.count == 0) return;
    s.count = 0;
    update();
}

void StripChart::setSeries(int channel, double firstX, std::span<const float> y, Color color) {
    Series& s = series_[static_cast<std::size_t>(channel)];
    s.firstX = firstX;
    s.color = color;
    if (s.y.size() < y.size()) s.y.resize(y.size());
    std::copy(y.begin(), y.end(), s.y.begin());
    s.count = static_cast<int>(y.size());
    update();  // several redraws within one tick are painted once
}

int StripChart::seriesPointCount(int channel) const {
    return series_[static_cast<std::size_t>(channel)].count;
}

void StripChart::setBackgroundColor(Color color) {
    if (background_ == color) return;
    background_ = color;
    dropStaticLayer();
}

void StripChart::setGridColor(Color color) {
    if (grid_ == color) return;
    grid_ = color;
    dropStaticLayer();
}

QRect StripChart::plotRect() const {
    return QRect(kLeftAxisWidth, kTopMargin, width() - kLeftAxisWidth - kRightAxisWidth,
                 height() - kTopMargin - kBottomAxisHeight);
}

QPoint StripChart::toPixel(double x, double percent) const {
    const QRect r = plotRect();
    const double span = bottomMax_ - bottomMin_;
    const double px = r.left() + (span > 0 ? (x - bottomMin_) / span : 0) * (r.width() - 1);
    const double py = r.bottom() - (percent - kAxisLow) / (kAxisHigh - kAxisLow) * (r.height() - 1);
    // Far off-scale values stay far off-scale without overflowing an int.
    return QPoint(static_cast<int>(std::lround(std::clamp(px, -1e6, 1e6))),
                  static_cast<int>(std::lround(std::clamp(py, -1e6, 1e6))));
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
    p.fillRect(r, ToQColor(background_));

    // Horizontal grid: major every 10 %, four minor ticks between, as dots.
    const QPen majorPen(ToQColor(grid_), 0, Qt::SolidLine);
    const QPen minorPen(ToQColor(grid_), 0, Qt::DotLine);
    const QPen textPen(palette().windowText().color());
    const QFontMetrics fm(font());
    p.setFont(font());
    for (int step = 0; step <= 50; ++step) {
        const int percent = step * 2;
        const int y = toPixel(bottomMin_, percent).y();
        const bool major = step % 5 == 0;
        p.setPen(major ? majorPen : minorPen);
        p.drawLine(r.left(), y, r.right(), y);
        if (!major) continue;
        const QString label = QString::number(percent) + QLatin1Char('%');
        p.setPen(textPen);
        p.drawText(QRect(0, y - fm.height() / 2, kLeftAxisWidth - 3, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, label);
        p.drawText(QRect(r.right() + 4, y - fm.height() / 2, kRightAxisWidth - 4, fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, label);
    }

    // The axis title's trailing blanks push it to the left, so they must be
    // laid out rather than trimmed.
    p.setPen(textPen);
    QTextOption option(Qt::AlignHCenter | Qt::AlignVCenter);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    const QRect titleRect(r.left(), r.bottom() + 6, r.width(), kBottomAxisHeight - 6);
    p.drawText(titleRect, Q(text::kBottomAxisTitle), option);
}

void StripChart::paintVerticalGrid(QPainter& p) const {
    // Attached to the data: lines at multiples of 10 x units, solid at
    // multiples of 50, so they travel left with every new point.
    if (!(bottomMax_ > bottomMin_)) return;
    const QRect r = plotRect();
    const QPen majorPen(ToQColor(grid_), 0, Qt::SolidLine);
    const QPen minorPen(ToQColor(grid_), 0, Qt::DotLine);
    const double first = std::ceil(bottomMin_ / 10.0) * 10.0;
    for (double x = first; x <= bottomMax_; x += 10.0) {
        p.setPen(std::fmod(x, 50.0) == 0.0 ? majorPen : minorPen);
        const int px = toPixel(x, 0).x();
        p.drawLine(px, r.top(), px, r.bottom());
    }
}

void StripChart::paintCurves(QPainter& p) {
    // 1 px and not anti-aliased: wide or smoothed polylines are slow to stroke.
    for (const Series& s : series_) {
        if (s.count < 1) continue;
        mapped_.resize(static_cast<std::size_t>(s.count));
        for (int i = 0; i < s.count; ++i) {
            mapped_[static_cast<std::size_t>(i)] =
                toPixel(s.firstX + i, static_cast<double>(s.y[static_cast<std::size_t>(i)]));
        }
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
