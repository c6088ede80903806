#pragma once

#include <QWidget>
#include <array>
#include <span>
#include <vector>

#include "app/color.h"
#include "measure/sample.h"

namespace ts {

// The six-channel strip chart: fixed vertical range -0.3 .. 100.3 % on both
// sides, a bottom axis whose range the core sets, grid lines every 50 x units
// and every 10 %, dotted minor grid, and six polylines. Painted directly: the
// chart is the program's hot path and its design never changes at run time.
class StripChart final : public QWidget {
    Q_OBJECT
public:
    explicit StripChart(QWidget* parent = nullptr);

    void setBottomMinimum(double value);
    void setBottomMaximum(double value);
    double bottomMinimum() const { return bottomMin_; }
    double bottomMaximum() const { return bottomMax_; }
    void emptySeries(int channel);
    void setSeries(int channel, double firstX, std::span<const float> y, Color color);
    int seriesPointCount(int channel) const;
    void setBackgroundColor(Color color);
    void setGridColor(Color color);
    Color backgroundColor() const { return background_; }
    Color gridColor() const { return grid_; }
    // The plotting area inside the widget, in widget pixels.
    QRect plotRect() const;
    // Widget pixel of a value, for tests and overlays.
    QPointF toPixel(double x, double percent) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Series {
        double firstX = 0;
        std::vector<QPointF> points;  // reused storage, never shrinks
        int count = 0;
        Color color = 0;
    };
    std::array<Series, kChannels> series_;
    double bottomMin_ = 0, bottomMax_ = 600;
    Color background_ = kColorBlack;
    Color grid_ = 0x808080;
};

QColor ToQColor(Color color);

}  // namespace ts
