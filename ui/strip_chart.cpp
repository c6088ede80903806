#include "strip_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/texts.h"

namespace ts {

namespace {

constexpr double kAxisLow = -0.3;
constexpr double kAxisHigh = 100.3;
constexpr int kLeftAxisWidth = 34;
constexpr int kRightAxisWidth = 34;
constexpr int kTopMargin = 24;
constexpr int kBottomAxisHeight = 26;

}  // namespace

QColor ToQColor(Color color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (Series& s : series_) s.points.reserve(600);
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
    if (s.points.size() < y.size()) s.points.resize(y.size());
    for (std::size_t i = 0; i < y.size(); ++i) {
        s.points[i] = QPointF(firstX + static_cast<double>(i), static_cast<double>(y[i]));
    }
    s.count = static_cast<int>(y.size());
    update();  // several redraws within one tick are painted once
}

int StripChart::seriesPointCount(int channel) const {
    return series_[static_cast<std::size_t>(channel)].count;
}

void StripChart::setBackgroundColor(Color color) {
    if (background_ == color) return;
    background_ = color;
    update();
}

void StripChart::setGridColor(Color color) {
    if (grid_ == color) return;
    grid_ = color;
    update();
}

QRect StripChart::plotRect() const {
    return QRect(kLeftAxisWidth, kTopMargin, width() - kLeftAxisWidth - kRightAxisWidth,
                 height() - kTopMargin - kBottomAxisHeight);
}

QPointF StripChart::toPixel(double x, double percent) const {
    const QRect r = plotRect();
    const double span = bottomMax_ - bottomMin_;
    const double px = r.left() + (span > 0 ? (x - bottomMin_) / span : 0) * (r.width() - 1);
    const double py =
        r.bottom() - (percent - kAxisLow) / (kAxisHigh - kAxisLow) * (r.height() - 1);
    return QPointF(px, py);
}

void StripChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect(), palette().window());
    const QRect r = plotRect();
    p.fillRect(r, ToQColor(background_));

    const QColor gridColor = ToQColor(grid_);
    QPen majorPen(gridColor, 0, Qt::SolidLine);
    QPen minorPen(gridColor, 0, Qt::DotLine);

    // Horizontal grid: major every 10 %, four minor ticks between.
    p.setFont(font());
    const QFontMetrics fm(font());
    for (int step = 0; step <= 50; ++step) {
        const double percent = step * 2.0;
        const int y = qRound(toPixel(bottomMin_, percent).y());
        const bool major = step % 5 == 0;
        p.setPen(major ? majorPen : minorPen);
        p.drawLine(r.left(), y, r.right(), y);
        if (major) {
            const QString label = QString::number(static_cast<int>(percent)) + "%";
            p.setPen(palette().windowText().color());
            p.drawText(QRect(0, y - fm.height() / 2, kLeftAxisWidth - 3, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, label);
            p.drawText(QRect(r.right() + 4, y - fm.height() / 2, kRightAxisWidth - 4, fm.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
        }
    }

    // Vertical grid: attached to the data, major every 50 x units, minor every 10.
    if (bottomMax_ > bottomMin_) {
        const double first = std::ceil(bottomMin_ / 10.0) * 10.0;
        for (double x = first; x <= bottomMax_; x += 10.0) {
            const bool major = std::fmod(x, 50.0) == 0.0;
            p.setPen(major ? majorPen : minorPen);
            const int px = qRound(toPixel(x, 0).x());
            p.drawLine(px, r.top(), px, r.bottom());
        }
    }

    // Curves: clipped to the plotting area, 1 px, not anti-aliased.
    p.setClipRect(r);
    for (const Series& s : series_) {
        if (s.count < 1) continue;
        p.setPen(QPen(ToQColor(s.color), 0));
        QPointF mapped[600];
        int done = 0;
        while (done < s.count) {
            const int n = std::min(s.count - done, 600);
            for (int i = 0; i < n; ++i) {
                mapped[i] = toPixel(s.points[static_cast<std::size_t>(done + i)].x(),
                                    s.points[static_cast<std::size_t>(done + i)].y());
            }
            p.drawPolyline(mapped, n);
            done += n - 1;
            if (n == 1) break;
        }
    }
    p.setClipping(false);

    // The bottom axis title: its trailing blanks push it to the left, so they
    // must be laid out rather than trimmed.
    p.setPen(palette().windowText().color());
    QTextOption option(Qt::AlignHCenter | Qt::AlignVCenter);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    const QRect titleRect(r.left(), r.bottom() + 6, r.width(), kBottomAxisHeight - 6);
    p.drawText(titleRect, QString::fromUtf8(text::kBottomAxisTitle.data(),
                                            static_cast<int>(text::kBottomAxisTitle.size())),
               option);
}

}  // namespace ts
