#pragma once

#include <QImage>
#include <QPen>
#include <QWidget>
#include <array>
#include <span>
#include <vector>

#include "chart/chart_canvas.h"
#include "chart/chart_plot.h"

namespace ts {

// The six-channel strip chart: fixed vertical range -0.3 .. 100.3 % on both
// sides, a bottom axis whose range the core sets, grid lines every 50 x units
// and every 10 %, dotted minor grid, and six polylines. Painted directly: the
// chart is the program's hot path and its design never changes at run time.
// Any number of changes between two event-loop passes is painted once, and a paint draws only
// what changed since the last one: as time goes on the picture moves and gets its new columns.
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
    // The plotting area in the pixels of the screen, where the picture is drawn and kept: on a
    // screen of more than one pixel per widget pixel the curves and time lines are drawn in its
    // own pixels, so that the kept picture moves by whole ones at every scale.
    PlotArea screenArea() const;
    // The screen's pixels per widget pixel the picture is kept for.
    qreal pictureRatio() const { return ratio_; }
    // The widget pixel a value is drawn on.
    QPoint toPixel(double x, double percent) const;
    // Paints everything that does not move with the data: backgrounds, horizontal grid,
    // percent labels and the axis title. The widget keeps it in a layer of its own, painted
    // again only when the size, a colour, the font or the palette changes.
    void paintFixedParts(QPainter& painter) const;
    const ChartPlot& plot() const { return plot_; }
    const ChartCanvas& canvas() const { return canvas_; }
    // The next paint draws the whole picture, as after a change of colour.
    void forgetPicture() { canvas_.Forget(); }
    // Brings the kept picture up to what the next paint shows; false when it already was.
    bool bringUpToDate();
    // Paints the whole chart with the painter's pens alone, without the kept picture: what the
    // kept one equals. The painter's device has the widget's pixel ratio.
    void paintWhole(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The layer of paintFixedParts, and the images of the picture.
    void buildStaticLayer();
    void dropStaticLayer();
    // All the time lines, for a whole picture drawn without the ring, in the screen's pixels.
    void paintVerticalGrid(QPainter& painter) const;
    // What the widget repaints when only the plot changed: the widget pixels that the screen's
    // plot area touches.
    QRect plotUpdateRect() const;
    // The curves near `range`, with `painter` already shifted and clipped to where they go.
    void paintCurves(QPainter& painter, ColumnRange range);

    PlotArea area() const { return ChartPlot::AreaOf(width(), height()); }
    static PlotArea AreaAt(QSize size, qreal ratio);

    ChartPlot plot_;
    std::vector<QPoint> mapped_;             // reused storage for one polyline
    std::array<QPen, kChannels> curvePens_;  // made again only when a colour changes
    QImage staticLayer_;
    QImage ring_;  // of the plot area's size: the picture, as the canvas keeps it
    ChartCanvas canvas_{0};
    qreal ratio_ = 1;  // of the images
    bool staticLayerValid_ = false;
};

QColor ToQColor(Color color);

}  // namespace ts
