#pragma once

#include <QPixmap>
#include <QWidget>
#include <span>
#include <vector>

#include "chart/chart_plot.h"

namespace ts {

// The six-channel strip chart: fixed vertical range -0.3 .. 100.3 % on both
// sides, a bottom axis whose range the core sets, grid lines every 50 x units
// and every 10 %, dotted minor grid, and six polylines. Painted directly: the
// chart is the program's hot path and its design never changes at run time.
// Any number of changes between two event-loop passes is painted once.
class StripChart final : public QWidget {
    Q_OBJECT
public:
    explicit StripChart(QWidget* parent = nullptr);

    void setBottomMinimum(double value);
    void setBottomMaximum(double value);
    double bottomMinimum() const { return plot_.BottomMinimum(); }
    double bottomMaximum() const { return plot_.BottomMaximum(); }
    void emptySeries(int channel);
    // Point i of the series lies at x = firstX + i.
    void setSeries(int channel, double firstX, std::span<const float> y, Color color);
    int seriesPointCount(int channel) const;
    void setBackgroundColor(Color color);
    void setGridColor(Color color);
    Color backgroundColor() const { return plot_.BackgroundColor(); }
    Color gridColor() const { return plot_.GridColor(); }
    // The plotting area inside the widget, in widget pixels.
    QRect plotRect() const;
    // The widget pixel a value is drawn on.
    QPoint toPixel(double x, double percent) const;
    // Paints everything that does not move with the data: backgrounds, horizontal grid,
    // percent labels and the axis title. The widget keeps it in a layer of its own, painted
    // again only when the size, a colour, the font or the palette changes.
    void paintFixedParts(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The layer of paintFixedParts.
    void buildStaticLayer();
    void dropStaticLayer();
    void paintVerticalGrid(QPainter& painter) const;
    void paintCurves(QPainter& painter);

    PlotArea area() const { return ChartPlot::AreaOf(width(), height()); }

    ChartPlot plot_;
    std::vector<QPoint> mapped_;  // reused storage for one polyline
    QPixmap staticLayer_;
    bool staticLayerValid_ = false;
};

QColor ToQColor(Color color);

}  // namespace ts
