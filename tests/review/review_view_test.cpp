// What the review chart shows: each channel on a scale of its own, fitted to what is shown and
// zoomed by the user; the cursor's readout as the span moves under the mouse; and when there
// is anything new to draw at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "review/review_model.h"
#include "review_model_rig.h"

namespace ts {
namespace {

using namespace review_rig;

struct Extremes {
    double low = 1e300, high = -1e300;
};

// The smallest and largest value of a channel over records [from, to), from the test's own list.
Extremes ExtremesOf(const ReviewRig& rig, int channel, std::size_t from, std::size_t to) {
    Extremes e;
    for (std::size_t i = from; i < to; ++i) {
        const double v = rig.records[i].value[static_cast<std::size_t>(channel - 1)];
        e.low = std::min(e.low, v);
        e.high = std::max(e.high, v);
    }
    return e;
}

// Both ends of the channel's values near the plot's bottom and top: the curve fills the plot.
void ExpectFills(const ReviewModel& model, int channel, Extremes e) {
    SCOPED_TRACE(channel);
    EXPECT_GT(model.HeightOf(channel, e.low), 0.0);
    EXPECT_LT(model.HeightOf(channel, e.low), 0.1);
    EXPECT_GT(model.HeightOf(channel, e.high), 0.9);
    EXPECT_LT(model.HeightOf(channel, e.high), 1.0);
}

// Channel 3 holds ten thousand times channel 1's values: on one scale channel 1 would be a line.
TEST(ReviewView, EachChannelFillsThePlotOnItsOwnScaleFittedToTheSpanShown) {
    ReviewRig rig;
    rig.Open();
    rig.model.Columns(300);
    for (const int channel : {1, 3})
        ExpectFills(rig.model, channel, ExtremesOf(rig, channel, 0, 3600));

    // Zoomed to records 1000 .. 1099, each channel fits what those records hold.
    rig.model.ZoomToStretch(rig.FractionOfRecord(1000) - 1e-7, rig.FractionOfRecord(1099) + 1e-7);
    rig.model.Columns(300);
    for (const int channel : {1, 3})
        ExpectFills(rig.model, channel, ExtremesOf(rig, channel, 1000, 1100));
}

TEST(ReviewView, TheAxisIsLabelledWithTheFirstChannelShown) {
    ReviewRig rig;
    rig.Open();
    rig.model.Columns(300);
    const auto ticksWithin = [&](Extremes e) {
        std::array<double, ReviewModel::kMaxValueTicks> levels;
        const int count = rig.model.ValueTicks(levels);
        EXPECT_GE(count, 3);
        for (int i = 0; i < count; ++i) {
            EXPECT_GE(levels[std::size_t(i)], e.low - (e.high - e.low) * 0.1);
            EXPECT_LE(levels[std::size_t(i)], e.high + (e.high - e.low) * 0.1);
        }
    };
    EXPECT_EQ(rig.model.AxisChannel(), 1);
    ticksWithin(ExtremesOf(rig, 1, 0, 3600));
    rig.model.form().CheckBox_ShowCH[0].Checked = false;
    EXPECT_EQ(rig.model.AxisChannel(), 3);
    ticksWithin(ExtremesOf(rig, 3, 0, 3600));
    rig.model.form().CheckBox_ShowCH[2].Checked = false;
    EXPECT_EQ(rig.model.AxisChannel(), 0);  // channel 2 was never recorded
}

TEST(ReviewView, TheVerticalZoomKeepsTheValueUnderTheMouseAndFitsAgain) {
    ReviewRig rig;
    rig.Open();
    rig.model.Columns(300);
    const ValueRange fitted = rig.model.RangeOf(3);
    const double under = fitted.low + 0.75 * (fitted.high - fitted.low);
    rig.model.ValueWheel(3, 0.75);
    EXPECT_FALSE(rig.model.ValuesFitted());
    EXPECT_NEAR(rig.model.HeightOf(3, under), 0.75, 1e-9);
    const ValueRange closer = rig.model.RangeOf(3);
    EXPECT_NEAR(closer.high - closer.low, (fitted.high - fitted.low) * 0.512, 1e-6 * fitted.high);
    // The keys zoom around the middle, for every channel alike.
    const double middle = (closer.low + closer.high) / 2;
    rig.model.Key(ReviewKey::ValuesOut);
    EXPECT_NEAR(rig.model.HeightOf(3, middle), 0.5, 1e-9);
    rig.model.Key(ReviewKey::FitValues);
    EXPECT_TRUE(rig.model.ValuesFitted());
    EXPECT_DOUBLE_EQ(rig.model.RangeOf(3).low, fitted.low);
    EXPECT_DOUBLE_EQ(rig.model.RangeOf(3).high, fitted.high);
}

// "Курсор: 17:MM:SS" of record i, one a second from 17:05:03.
std::string CursorClock(std::size_t i) {
    const int s = 5 * 60 + 3 + static_cast<int>(i);
    char t[40];
    std::snprintf(t, sizeof t, "Курсор: 17:%02d:%02d.", s / 60 % 60, s % 60);
    return t;
}

// The record under a fraction of the plot, found in the test's own list.
std::size_t RecordUnder(const ReviewRig& rig, double at) {
    const std::int64_t ns =
        rig.model.ViewFromNs() +
        static_cast<std::int64_t>(
            at * static_cast<double>(rig.model.ViewToNs() - rig.model.ViewFromNs()));
    std::size_t i = 0;
    while (i + 1 < rig.records.size() && rig.At(i + 1) <= ns) ++i;
    return i;
}

TEST(ReviewView, TheCursorReadoutFollowsKeyboardMovesAtOnce) {
    ReviewRig rig;
    rig.Open();
    rig.model.SpanClick(9);  // "10мин"
    rig.model.MoveCursor(0.3);
    const ReviewKey keys[] = {ReviewKey::ZoomIn,   ReviewKey::Right, ReviewKey::ZoomOut,
                              ReviewKey::PageBack, ReviewKey::Home,  ReviewKey::End};
    for (const ReviewKey key : keys) {
        SCOPED_TRACE(static_cast<int>(key));
        rig.model.Key(key);
        EXPECT_EQ(
            rig.model.form().Label_Cursor.Caption.rfind(CursorClock(RecordUnder(rig, 0.3)), 0), 0u)
            << rig.model.form().Label_Cursor.Caption;
    }
}

TEST(ReviewView, TheCursorSaysWhenItStandsInAGap) {
    ReviewRig rig(1000);
    rig.OpenCutAndCarriedOn();
    ASSERT_EQ(rig.model.Gaps().size(), 1u);
    const review::Gap gap = rig.model.Gaps()[0];
    // Halfway between 17:21:42 (the last record before the cut) and 18:00:00.
    rig.model.MoveCursor(rig.model.FractionOf((gap.fromNs + gap.toNs) / 2));
    const std::string& text = rig.model.form().Label_Cursor.Caption;
    EXPECT_EQ(text.rfind("Курсор: 17:40:", 0), 0u) << text;
    EXPECT_NE(text.find("перерыв в записи: 17:21:42."), std::string::npos) << text;
    EXPECT_NE(text.find(" – 18:00:00.000"), std::string::npos) << text;
    EXPECT_EQ(text.find("CH1"), std::string::npos) << text;
}

// A window ticks four times a second: a finished file asks for no drawing, a growing one does.
TEST(ReviewView, OnlyWhatIsNewIsDrawnAgain) {
    ReviewRig rig;
    rig.shape.ending = Ending::None;
    const std::string all = ResultFileBytes(rig.shape, rig.records);
    const std::string head =
        ResultFileBytes(rig.shape, {rig.records.begin(), rig.records.begin() + 600});
    rig.Open(head);
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(rig.model.Tick());
    }
    {
        std::ofstream out(rig.Path(), std::ios::binary | std::ios::app);
        const std::size_t size =
            ResultFileBytes(rig.shape, {rig.records.begin(), rig.records.begin() + 700}).size();
        out << all.substr(head.size(), size - head.size());
    }
    bool drawn = false;
    for (int i = 0; i < 60 && !drawn; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        drawn = rig.model.Tick();
    }
    EXPECT_TRUE(drawn);
    EXPECT_GT(rig.model.Index().EndNs(), rig.At(599));
}

// The windows show the model's reasons: the program's Russian, with the file's name.
TEST(ReviewView, WhyARecordingDoesNotOpenIsSaidInRussian) {
    const struct {
        const char* name;
        const char* bytes;  // null: no such file
        const char* said;
    } cases[] = {
        {"missing.txt", nullptr, " — файл не найден или не читается"},
        {"notes.txt", "a shopping list\r\n",
         " — это не файл результатов (нет строки начала и заголовка)"},
    };
    for (const auto& c : cases) {
        ReviewRig rig;
        if (c.bytes != nullptr) WriteAll(rig.Path(c.name), c.bytes);
        EXPECT_EQ(rig.model.Open(rig.Path(c.name), {}, review::DateOrder::DayMonthYear),
                  rig.Path(c.name) + c.said);
    }
}

// An export is offered beside the recording under its name, not in the working folder.
TEST(ReviewView, ExportsAreOfferedBesideTheRecordingUnderItsName) {
    const struct {
        const char* recording;
        const char* csv;
        const char* png;
    } cases[] = {
        {"r.txt", "r.csv", "r.png"},
        {"run 7.12.txt", "run 7.12.csv", "run 7.12.png"},
        {"plain", "plain.csv", "plain.png"},
    };
    for (const auto& c : cases) {
        ReviewRig rig;
        WriteAll(rig.Path(c.recording), ResultFileBytes(rig.shape, rig.records));
        ASSERT_EQ(rig.model.Open(rig.Path(c.recording), {}, review::DateOrder::DayMonthYear), "");
        rig.ui.exportPath.reset();  // cancelled
        rig.model.ExportCsvClick();
        rig.model.ExportPngClick();
        EXPECT_EQ(rig.ui.suggested, (std::vector<std::string>{rig.Path(c.csv), rig.Path(c.png)}));
    }
}

}  // namespace
}  // namespace ts
