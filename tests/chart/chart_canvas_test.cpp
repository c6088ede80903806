#include "chart/chart_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chart/chart_settings.h"

namespace ts {
namespace {

// A canvas over images of its own, fixed parts uniform but for one dotted row, so that what it
// plans can be seen without a toolkit.
struct CanvasRig {
    // The window's chart at a screen's dots per inch.
    explicit CanvasRig(int dpi = 96)
        : width(665 * dpi / 96),
          height(534 * dpi / 96),
          area(ChartPlot::AreaOf(width, height, dpi)) {
        for (int x = 0; x < width; x += 3) fixed[std::size_t(40 * width + x)] = 0x808080;
        canvas.Reset(area, {fixed.data(), width}, {ring.data(), area.width});
        Feed(0);
    }
    const int width, height;
    PlotArea area;
    std::vector<std::uint32_t> fixed =
        std::vector<std::uint32_t>(std::size_t(width * height), 0x202020);
    std::vector<std::uint32_t> ring = std::vector<std::uint32_t>(area.width * area.height);
    ChartCanvas canvas{0};
    ChartPlot plot;
    int first = 0;

    // Six curves from point `first` on, the axis travelling as the window's does.
    void Feed(int moved) {
        first += moved;
        std::vector<float> y(600);
        for (int c = 0; c < kChannels; ++c) {
            for (int i = 0; i < 600; ++i)
                y[std::size_t(i)] = float(std::sin((first + i) / 9.0 + c));
            plot.SetSeries(c, first % 50, y, kDefaultCurveColors[std::size_t(c)]);
        }
        plot.SetBottomMinimum(first % 50);
        plot.SetBottomMaximum(first % 50 + 600);
    }
    // What a paint would draw: nothing, only some columns, or the whole picture.
    enum Drawn { kNothing, kColumns, kWhole };
    Drawn Paint() {
        if (!canvas.Plan(plot)) return kNothing;
        const Drawn drawn = canvas.Whole() ? kWhole : kColumns;
        canvas.Prepare();
        canvas.Take(plot);
        return drawn;
    }
};

TEST(ChartCanvasTest, DrawsOnlyWhatChanged) {
    CanvasRig rig;
    EXPECT_EQ(rig.Paint(), CanvasRig::kWhole);  // nothing shown yet
    EXPECT_EQ(rig.Paint(), CanvasRig::kNothing);
    rig.Feed(2);
    EXPECT_EQ(rig.Paint(), CanvasRig::kColumns);
    rig.Feed(200);  // too far for a move to save anything
    EXPECT_EQ(rig.Paint(), CanvasRig::kWhole);
    // The data moved, but its time lines would not have moved with it.
    rig.plot.SetBottomMinimum(rig.plot.BottomMinimum() + 1);
    rig.plot.SetBottomMaximum(rig.plot.BottomMaximum() + 1);
    EXPECT_EQ(rig.Paint(), CanvasRig::kWhole);
    rig.plot.SetGridColor(0x00A0A0);
    EXPECT_EQ(rig.Paint(), CanvasRig::kWhole);
    rig.plot.EmptySeries(3);
    EXPECT_EQ(rig.Paint(), CanvasRig::kWhole);
    rig.canvas.Forget();
    EXPECT_EQ(rig.Paint(), CanvasRig::kWhole);
}

// A tick moves the picture at the screen scales laptops run at too, where a point takes 1.24
// pixels (125 %), 1.49 (150 %) or 1.99 (200 %); only the axis's return to its start every 50
// points may take a whole picture where 50 points are not a whole number of pixels.
TEST(ChartCanvasTest, ATickMovesThePictureAtEveryScreenScale) {
    struct Case {
        int dpi, mostWhole;
    };
    for (const Case& c : {Case{96, 0}, Case{120, 0}, Case{144, 2}, Case{192, 0}}) {
        CanvasRig rig(c.dpi);
        rig.Paint();
        int whole = 0;
        for (int tick = 0; tick < 60; ++tick) {  // 90 points: the axis returns to its start twice
            rig.Feed(1 + tick % 2);
            const CanvasRig::Drawn drawn = rig.Paint();
            EXPECT_NE(drawn, CanvasRig::kNothing) << c.dpi << " dpi, tick " << tick;
            whole += drawn == CanvasRig::kWhole;
        }
        EXPECT_LE(whole, c.mostWhole) << c.dpi << " dpi";
    }
}

}  // namespace
}  // namespace ts
