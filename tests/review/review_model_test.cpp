#include "review/review_model.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/form_binding.h"
#include "app/form_layout.h"
#include "review_model_rig.h"

namespace ts {
namespace {

using namespace review_rig;
using review::kNanosecondsPerSecond;

std::string Readout(double value) { return FormatReadout(value, '.'); }

TEST(ReviewModel, ShowsTheWholeRecordingThenZoomsAndPans) {
    ReviewRig rig;
    rig.Open();
    const std::int64_t end = rig.model.ViewToNs();
    EXPECT_EQ(rig.model.ViewFromNs(), 0);
    EXPECT_GT(end, rig.At(3599));
    EXPECT_LT(end, rig.At(3599) + kS);
    EXPECT_FALSE(rig.model.form().ScrollBar_Time.Enabled);
    EXPECT_EQ(rig.model.form().Caption, "Просмотр записи: r.txt");

    // "10мин", centred where the view was.
    rig.model.SpanClick(9);
    EXPECT_EQ(rig.Span(), 600 * kS);
    EXPECT_EQ(rig.model.form().RadioGroup_Span, 9);
    EXPECT_NEAR(static_cast<double>(rig.model.ViewFromNs()), (end - 600 * kS) / 2.0, 1e6);
    const ScrollState& bar = rig.model.form().ScrollBar_Time;
    EXPECT_TRUE(bar.Enabled);
    EXPECT_NEAR(bar.Page, ReviewModel::kScrollUnits / 6, 2);

    // The wheel keeps the time under the mouse where it is.
    const std::int64_t under = rig.model.ViewFromNs() + rig.Span() / 4;
    rig.model.Wheel(2, 0.25);
    EXPECT_LT(rig.Span(), 600 * kS);
    EXPECT_EQ(rig.model.form().RadioGroup_Span, -1);
    EXPECT_NEAR(static_cast<double>(rig.model.ViewFromNs() + rig.Span() / 4), under, 1e6);

    // A drag to the right shows what came before.
    const std::int64_t from = rig.model.ViewFromNs(), span = rig.Span();
    rig.model.Pan(0.5);
    EXPECT_EQ(rig.model.ViewFromNs(), from - span / 2);
    EXPECT_EQ(rig.Span(), span);

    rig.model.Key(ReviewKey::Home);
    EXPECT_EQ(rig.model.ViewFromNs(), 0);
    rig.model.Key(ReviewKey::Left);  // nothing before the start
    EXPECT_EQ(rig.model.ViewFromNs(), 0);
    rig.model.Key(ReviewKey::End);
    EXPECT_EQ(rig.model.ViewToNs(), end);
    EXPECT_EQ(bar.Position, bar.Maximum);

    // The scroll bar's thumb, by the user.
    TakeScroll(rig.model.form(), 0);
    RunHandler(rig.model, layout::Handler::Review_ScrollChange, 0);
    EXPECT_EQ(rig.model.ViewFromNs(), 0);
    EXPECT_EQ(rig.Span(), span);

    // A drag over a stretch shows that stretch.
    rig.model.ZoomToStretch(0.6, 0.2);
    EXPECT_NEAR(static_cast<double>(rig.model.ViewFromNs()), 0.2 * span, 1e6);
    EXPECT_NEAR(static_cast<double>(rig.Span()), 0.4 * span, 1e6);

    // Down to a few records, and out to the whole again, never further.
    rig.model.Wheel(200, 0.5);
    EXPECT_GT(rig.Span(), 0);
    EXPECT_LE(rig.Span(), kS / 100);
    rig.model.Wheel(-200, 0.5);
    EXPECT_EQ(rig.model.ViewFromNs(), 0);
    EXPECT_EQ(rig.model.ViewToNs(), end);
}

TEST(ReviewModel, TimeLinesFallOnRoundClockTimesWithTheElapsedTimeBeside) {
    ReviewRig rig;
    rig.Open();
    std::array<TimeTick, ReviewModel::kMaxTicks> ticks;
    const int count = rig.model.TimeTicks(ticks);
    // An hour from 17:05:03: a line every ten minutes.
    ASSERT_EQ(count, 6);
    EXPECT_STREQ(ticks[0].clock.data(), "17:10:00");
    EXPECT_STREQ(ticks[0].elapsed.data(), "+0:04:57");
    EXPECT_STREQ(ticks[5].clock.data(), "18:00:00");
    EXPECT_NEAR(ticks[0].at, rig.model.FractionOf(297 * kS), 1e-9);

    rig.model.ZoomToStretch(0.5, 0.5);  // the narrowest span
    ASSERT_GT(rig.model.TimeTicks(ticks), 0);
    EXPECT_EQ(std::string(ticks[0].clock.data()).size(), std::string("17:35:03.000").size());
}

TEST(ReviewModel, CursorShowsTheRecordUnderItAndSelectionSumsTheStretch) {
    ReviewRig rig;
    rig.Open();
    const TestRecord& r = rig.records[30];
    rig.model.MoveCursor(rig.FractionOfRecord(30) + 1e-6);
    EXPECT_EQ(rig.model.form().Label_Cursor.Caption, "Курсор: 17:05:33.000 (+0:00:30.000)    CH1 " +
                                                         Readout(r.value[0]) + "    CH3 " +
                                                         Readout(r.value[2]));
    rig.model.HideCursor();
    EXPECT_EQ(rig.model.form().Label_Cursor.Caption, "Курсор: наведите мышь на график");

    // Records 100 .. 199.
    rig.model.Select(rig.FractionOfRecord(199) + 1e-7, rig.FractionOfRecord(100) - 1e-7);
    std::size_t minAt = 100, maxAt = 100;
    double sum = 0;
    for (std::size_t i = 100; i < 200; ++i) {
        if (rig.records[i].value[0] < rig.records[minAt].value[0]) minAt = i;
        if (rig.records[i].value[0] > rig.records[maxAt].value[0]) maxAt = i;
        sum += rig.records[i].value[0];
    }
    const std::string& text = rig.model.form().Label_Selection.Caption;
    const auto clock = [](std::size_t i) {
        const int s = 5 * 60 + 3 + static_cast<int>(i);
        char t[40];
        std::snprintf(t, sizeof t, "17:%02d:%02d.000", s / 60 % 60, s % 60);
        return std::string(t);
    };
    EXPECT_NE(text.find("\nКанал 1: записей 100, мин " + Readout(rig.records[minAt].value[0]) +
                        " в " + clock(minAt) + ", макс " + Readout(rig.records[maxAt].value[0]) +
                        " в " + clock(maxAt) + ", среднее "),
              std::string::npos)
        << text;
    const std::size_t mean = text.find("среднее ") + std::string("среднее ").size();
    EXPECT_NEAR(std::stod(text.substr(mean, text.find('\n', mean) - mean)), sum / 100, 1e-6);
    EXPECT_NE(text.find("\nКанал 3: записей 100"), std::string::npos);
    EXPECT_EQ(text.find("Канал 2"), std::string::npos);
    rig.model.Key(ReviewKey::Escape);
    EXPECT_FALSE(rig.model.HasSelection());
    EXPECT_EQ(rig.model.form().Label_Selection.Caption,
              "Выделение: Shift + перетаскивание по графику");
}

TEST(ReviewModel, AHiddenChannelLeavesTheCurvesAndTheirRange) {
    ReviewRig rig;
    rig.Open();
    EXPECT_FALSE(rig.model.form().CheckBox_ShowCH[1].Enabled);  // not recorded
    rig.model.Columns(300);
    EXPECT_EQ(rig.model.AxisChannel(), 1);
    TakeClick(rig.model.form(), rig.Control("CheckBox_ShowCH1"), false);
    RunHandler(rig.model, layout::Handler::Review_ChannelClick, 1);
    EXPECT_FALSE(rig.model.ChannelShown(1));
    // The axis gives channel 3's values now.
    rig.model.Columns(300);
    EXPECT_EQ(rig.model.AxisChannel(), 3);
    EXPECT_GT(rig.model.RangeOf(3).high, 1e6);
}

TEST(ReviewModel, GapsOfAResumedChainAndDamagedLinesShow) {
    ReviewRig rig(1000);
    // Clean: no damage shown.
    rig.OpenCutAndCarriedOn();
    EXPECT_FALSE(rig.model.form().Label_Damage.Visible);
    ASSERT_EQ(rig.model.Gaps().size(), 1u);
    const review::Gap gap = rig.model.Gaps()[0];
    EXPECT_EQ(gap.toNs, (54 * 60 + 57) * kS);
    // Curves are not joined across it, and are elsewhere.
    const auto column = [&](std::int64_t ns) {
        return static_cast<int>(rig.model.FractionOf(ns) * 500);
    };
    EXPECT_TRUE(rig.model.GapBetween(column(gap.fromNs), column(gap.toNs), 500));
    EXPECT_FALSE(rig.model.GapBetween(column(gap.fromNs) - 20, column(gap.fromNs) - 5, 500));
    EXPECT_FALSE(rig.model.form().CheckBox_Follow.Checked);  // the chain ends with a stop

    ReviewRig damaged(1000);
    damaged.Open(ResultFileBytes(damaged.shape, damaged.records, {{400, "12,5 x"}, {600, "?"}}));
    EXPECT_TRUE(damaged.model.form().Label_Damage.Visible);
    EXPECT_EQ(damaged.model.form().Label_Damage.Caption,
              "Нечитаемых строк: 2, первая — строка 403 файла r.txt");
}

// A cut recording whose next part is not there, or is no part of it, says so where the damage
// is said; the parts before it show.
TEST(ReviewModel, AMissingPartOfAChainShows) {
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "Не найдена часть 2 записи: нет файла r (2).txt"},
        {"my notes\r\n", "Не найдена часть 2 записи: файл не является её частью: r (2).txt"},
    };
    for (const auto& [beside, said] : cases) {
        ReviewRig rig(1000);
        rig.shape.ending = Ending::Interrupted;
        if (beside != nullptr) WriteAll(rig.Path("r (2).txt"), beside);
        rig.Open();
        EXPECT_TRUE(rig.model.form().Label_Damage.Visible);
        EXPECT_EQ(rig.model.form().Label_Damage.Caption, said);
    }
}

TEST(ReviewModel, FollowsARecordingBeingWrittenWithinASecond) {
    ReviewRig rig;
    rig.shape.ending = Ending::None;
    const std::string all = ResultFileBytes(rig.shape, rig.records);
    const std::string head =
        ResultFileBytes(rig.shape, {rig.records.begin(), rig.records.begin() + 600});
    rig.Open(head);
    EXPECT_TRUE(rig.model.form().CheckBox_Follow.Checked);
    rig.model.SpanClick(4);  // "80сек"
    rig.model.Key(ReviewKey::End);
    // Without an ending, the file of the first n records is the start of the whole one.
    std::ofstream out(rig.Path(), std::ios::binary | std::ios::app);
    std::size_t written = head.size();
    const auto grow = [&](std::size_t records) {
        const std::size_t size =
            ResultFileBytes(rig.shape, {rig.records.begin(),
                                        rig.records.begin() + static_cast<std::ptrdiff_t>(records)})
                .size();
        out << all.substr(written, size - written) << std::flush;
        written = size;
    };
    grow(1200);
    const auto grown = std::chrono::steady_clock::now();
    while (rig.model.ViewToNs() <= rig.At(1199) &&
           std::chrono::steady_clock::now() - grown < std::chrono::seconds(3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        rig.model.Tick();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - grown, std::chrono::seconds(1));
    EXPECT_GT(rig.model.ViewToNs(), rig.At(1199));
    EXPECT_EQ(rig.Span(), 80 * kS);

    // Not following: the view stays where the user left it.
    TakeClick(rig.model.form(), rig.Control("CheckBox_Follow"), false);
    RunHandler(rig.model, layout::Handler::Review_FollowClick, 0);
    const std::int64_t from = rig.model.ViewFromNs();
    grow(1800);
    for (int i = 0; i < 40 && rig.model.Index().EndNs() < rig.At(1799); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        rig.model.Tick();
    }
    rig.model.Tick();
    EXPECT_EQ(rig.model.Index().EndNs(), rig.At(1799));
    EXPECT_EQ(rig.model.ViewFromNs(), from);
}

// The stop line ends the recording: the following ends with it, and says so.
TEST(ReviewModel, FollowingEndsAtTheStopLine) {
    ReviewRig rig(600);
    rig.shape.ending = Ending::None;
    rig.Open();
    ASSERT_TRUE(rig.model.form().CheckBox_Follow.Checked);
    EXPECT_NE(rig.model.form().Label_Progress.Caption.find(" (слежение)"), std::string::npos);
    Cp1251Encoder encoder;
    std::ofstream(rig.Path(), std::ios::binary | std::ios::app) << encoder.Encode(
        Stamp(rig.shape, {2026, 12, 6, 17, 15, 3}, text::kResultStopped) + "\r\n");
    for (int i = 0; i < 100 && rig.model.form().CheckBox_Follow.Checked; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        rig.model.Tick();
    }
    EXPECT_FALSE(rig.model.form().CheckBox_Follow.Checked);
    EXPECT_EQ(rig.model.form().Label_Progress.Caption.find(" (слежение)"), std::string::npos)
        << rig.model.form().Label_Progress.Caption;
}

TEST(ReviewModel, ExportsTheSelectionAsCsvButNeverOverTheRecording) {
    ReviewRig rig;
    rig.Open();
    const std::string recording = ReadAll(rig.Path());
    rig.model.Select(rig.FractionOfRecord(100) - 1e-7, rig.FractionOfRecord(399) + 1e-7);

    rig.ui.exportPath = rig.Path("all.csv");
    RunHandler(rig.model, layout::Handler::Review_ExportCsvClick, 0);
    EXPECT_EQ(Lines(ReadAll(rig.Path("all.csv"))).size(), 1u + 300u);

    // One row a minute, holding the means.
    TakeItemIndex(rig.model.form(), rig.Control("ComboBox_Every"), 3);
    rig.ui.exportPath = rig.Path("minutes.csv");
    RunHandler(rig.model, layout::Handler::Review_ExportCsvClick, 0);
    EXPECT_EQ(Lines(ReadAll(rig.Path("minutes.csv"))).size(), 1u + 5u);
    EXPECT_TRUE(rig.ui.messages.empty());

    // The recording itself chosen as the export's file: refused, the recording untouched.
    rig.ui.exportPath = rig.folder.path() + "/./r.txt";
    RunHandler(rig.model, layout::Handler::Review_ExportCsvClick, 0);
    RunHandler(rig.model, layout::Handler::Review_ExportPngClick, 0);
    EXPECT_EQ(ReadAll(rig.Path()), recording);
    ASSERT_EQ(rig.ui.messages.size(), 2u);
    EXPECT_EQ(rig.ui.messages[0], "  Файл записи нельзя заменить экспортом: выберите другое имя!");
    EXPECT_TRUE(rig.ui.pictures.empty());

    // A picture the window could not write is told, not passed over.
    rig.ui.exportPath = rig.Path("chart.png");
    rig.ui.pictureWritten = false;
    RunHandler(rig.model, layout::Handler::Review_ExportPngClick, 0);
    ASSERT_EQ(rig.ui.pictures.size(), 1u);
    EXPECT_EQ(rig.ui.messages.back(), "  Не удалось записать файл: " + rig.Path("chart.png"));
}

}  // namespace
}  // namespace ts
