#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "chart/chart_canvas.h"
#include "chart/chart_plot.h"
#include "controls.h"
#include "pixel_bitmap.h"
#include "window_base.h"

namespace ts::win32 {

// The six-channel strip chart, drawn as the Qt window's: fixed vertical range -0.3 .. 100.3 %
// on both sides, a bottom axis whose range the core sets, grid lines every 50 x units and
// every 10 %, dotted minor grid, six polylines. Drawn with GDI into bitmaps off the screen and
// copied to it, so that it never flickers; whatever does not move with the data is kept in a
// bitmap of its own. Any number of changes between two paints is drawn once, and a paint draws
// only what changed since the last one: as time goes on the picture moves and gets its new
// columns.
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
    // Brings the picture off the screen up to date (only what changed) and copies it to the
    // screen: what a paint costs.
    void Redraw();
    // Brings the picture off the screen up to date, drawing only what changed.
    void BringUpToDate() { Render(); }
    // Brings the picture up to date and copies all of the chart to `dc`.
    void PaintTo(HDC dc);
    // The next paint draws the whole picture, as after a change of colour.
    void ForgetPicture() { canvas_.Forget(); }
    const ChartCanvas& canvas() const { return canvas_; }
    const ChartPlot& plot() const { return plot_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    PlotArea Area() const { return ChartPlot::AreaOf(width_, height_, static_cast<int>(dpi_)); }
    void Render();
    // Copies the picture to a device context of the chart's window.
    void Show(HDC dc, const RECT& area);
    void MakeBitmaps();
    void MakeGridPens();
    void DrawFixedParts(HDC dc) const;
    // The dotted rows of the horizontal grid, into the fixed parts' pixels.
    void DrawMinorRows(PixelRows fixed) const;
    // The curves near the ranges of `pieces`, with `dc` already shifted and clipped to where
    // they go.
    void DrawCurves(HDC dc, std::span<const RingPiece> pieces);
    // Something moved in the plot (the data, the axis), or anything (the colours, the size).
    void Changed(bool whole = false);

    // A series' pen, made again only when its colour changes.
    struct SeriesPen {
        HPEN pen = nullptr;
        Color color = 0;
    };
    ChartPlot plot_;
    std::array<SeriesPen, kChannels> pens_;
    std::vector<POINT> mapped_;  // reused storage for one curve's polylines
    std::vector<DWORD> counts_;  // and their lengths
    HRGN clip_, pieceClip_;      // made once, set for each side of the ring's wrap

    Place place_;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    int width_ = 0, height_ = 0;
    // The fixed parts, of the chart's size; the ring of the plot area's size, as the canvas
    // keeps it.
    PixelBitmap fixed_, ring_;
    // GDI leaves the top byte of every pixel it draws at zero.
    ChartCanvas canvas_{0xFF000000u};
    HPEN majorPen_ = nullptr;
    HBRUSH backgroundBrush_ = nullptr;
    bool fixedValid_ = false;
    bool invalidated_ = false;
    bool frameOwed_ = true;  // the frame around the plot is to be shown again
};

}  // namespace ts::win32
