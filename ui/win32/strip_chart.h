#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "chart/chart_plot.h"
#include "controls.h"
#include "window_base.h"

namespace ts::win32 {

// The six-channel strip chart, drawn as the Qt window's: fixed vertical range -0.3 .. 100.3 %
// on both sides, a bottom axis whose range the core sets, grid lines every 50 x units and
// every 10 %, dotted minor grid, six polylines. Drawn with GDI into a bitmap off the screen
// and copied to it whole, so that it never flickers; whatever does not move with the data is
// kept in a second bitmap of its own. Any number of changes between two paints is drawn once.
class StripChart final : public WindowBase {
public:
    StripChart();
    ~StripChart() override;

    void Create(HWND parent, Place place, UINT dpi, HFONT font);
    // Places the chart and sizes its text for another DPI.
    void SetDpi(UINT dpi, HFONT font);

    void SetBottomMinimum(double value);
    void SetBottomMaximum(double value);
    double BottomMinimum() const { return plot_.BottomMinimum(); }
    double BottomMaximum() const { return plot_.BottomMaximum(); }
    void EmptySeries(int channel);
    // Point i of the series lies at x = firstX + i.
    void SetSeries(int channel, double firstX, std::span<const float> y, Color color);
    void SetBackgroundColor(Color color);
    void SetGridColor(Color color);
    Color BackgroundColor() const { return plot_.BackgroundColor(); }
    Color GridColor() const { return plot_.GridColor(); }

    // The plotting area, in the chart's pixels.
    RECT PlotRect() const;
    // Draws the whole chart into the bitmap off the screen (what one redraw costs) and copies
    // it to the screen.
    void Redraw();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    PlotArea Area() const { return ChartPlot::AreaOf(width_, height_, static_cast<int>(dpi_)); }
    void Render();
    void MakeBitmaps();
    void FreeBitmaps();
    void MakeGridPens();
    void DrawFixedParts(HDC dc) const;
    void DrawVerticalGrid(HDC dc) const;
    void DrawCurves(HDC dc);
    void Changed();

    // A series' pen, made again only when its colour changes.
    struct SeriesPen {
        HPEN pen = nullptr;
        Color color = 0;
    };
    ChartPlot plot_;
    std::array<SeriesPen, kChannels> pens_;
    std::vector<POINT> mapped_;  // reused storage for one polyline

    Place place_;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    int width_ = 0, height_ = 0;
    HDC fixedDc_ = nullptr, backDc_ = nullptr;
    HBITMAP fixedBitmap_ = nullptr, backBitmap_ = nullptr;
    HGDIOBJ fixedOld_ = nullptr, backOld_ = nullptr;
    std::uint32_t* backBits_ = nullptr;
    HPEN majorPen_ = nullptr, minorPen_ = nullptr;
    HBRUSH backgroundBrush_ = nullptr;
    bool fixedValid_ = false;
    bool backValid_ = false;
    bool invalidated_ = false;
};

}  // namespace ts::win32
