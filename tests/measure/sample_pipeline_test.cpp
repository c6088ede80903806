#include <limits>
#include <string>
#include <vector>

#include "base/texts.h"
#include "measure/pipeline_recorder.h"
#include "station_fixture.h"

namespace ts {
namespace {

using Values = std::array<std::uint16_t, kChannels>;

class SamplePipelineTest : public StationTest {
protected:
    PipelineRecorder recorder{st()};
    Measurement& pipe = st().measurement();
    std::uint16_t counter = 0;

    // The chart shows no scale: long runs of time draw nothing.
    SamplePipelineTest() { st().form().RadioGroup_X = -1; }

    void Process(std::uint16_t stamp, Values values = {}) {
        counter = stamp;
        pipe.TakeSample(Sample{stamp, values});
    }
    // Time runs on by `units` in samples as far apart as the stamps allow, unseen by the recorder.
    void Advance(std::uint64_t units) {
        pipe.Attach(nullptr);
        counter = RunOn(counter, units);
        pipe.Attach(&recorder);
    }
    // Samples have run up to time `elapsed`, the last stamped `stamp`, and every period begins
    // now, as after a recording's start and the chart's clearing; the recorder starts afresh.
    void RunTo(std::uint16_t stamp, std::uint64_t elapsed) {
        Process(static_cast<std::uint16_t>(stamp - elapsed % 65536));
        Advance(elapsed);
        pipe.RestartRecordPeriods();
        for (int k = 1; k <= kChartScales; ++k) pipe.RestartChartPeriod(k);
        recorder.Forget();
    }
    // The time the next sample stamped `stamp` would carry: tells the last stamp seen.
    std::uint64_t TimeOf(std::uint16_t stamp) const { return pipe.ElapsedAt(Sample{stamp, {}}); }

    std::vector<std::string> Repeat(const std::string& step, int times) {
        return std::vector<std::string>(static_cast<std::size_t>(times), step);
    }
};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(SamplePipelineTest, FirstSampleAddsNoTimeButIsAccumulatedInAll42Sets) {
    Process(5000, {1, 2, 3, 4, 5, 1023});
    EXPECT_EQ(pipe.Elapsed(), 0u);
    EXPECT_TRUE(pipe.Streaming());
    EXPECT_EQ(TimeOf(5001), 1u);
    EXPECT_EQ(pipe.Latest(), (Values{1, 2, 3, 4, 5, 1023}));

    Process(5000, {10, 20, 30, 40, 50, 60});  // an equal counter adds nothing either
    EXPECT_EQ(pipe.Elapsed(), 0u);
    EXPECT_EQ(pipe.Latest(), (Values{10, 20, 30, 40, 50, 60}));
    const std::array<std::uint32_t, kChannels> sums = {11, 22, 33, 44, 55, 1083};
    for (int k = 1; k <= kChartScales; ++k) {
        EXPECT_EQ(pipe.ChartSums(k).Count, 2u);
        EXPECT_EQ(pipe.ChartSums(k).Sum, sums);
    }
    for (int j = 1; j <= kRecordPeriods; ++j) {
        EXPECT_EQ(pipe.RecordSums(j).Count, 2u);
        EXPECT_EQ(pipe.RecordSums(j).Sum, sums);
    }
    EXPECT_EQ(recorder.steps, Repeat("sample", 2));
}

TEST_F(SamplePipelineTest, TimeStampsUnwrapToTheirForwardDistance) {
    RunTo(65530, 100);
    Process(4);
    EXPECT_EQ(pipe.Elapsed(), 110u);
    EXPECT_EQ(TimeOf(5), 111u);
    // A counter one behind the last is read as almost a whole turn ahead.
    Process(3);
    EXPECT_EQ(pipe.Elapsed(), 110u + 65535u);
}

TEST_F(SamplePipelineTest, APeriodEndsOnlyWhenTimeIsStrictlyPastIt) {
    for (std::uint16_t t : {0, 120, 240, 360}) Process(t);
    EXPECT_EQ(recorder.StepCount("chart 1"), 0);
    EXPECT_EQ(recorder.StepCount("record 4"), 0);  // the 0.02 s recording period, also 360

    Process(361, {7, 0, 0, 0, 0, 0});
    EXPECT_EQ(recorder.StepCount("chart 1"), 1);
    EXPECT_EQ(recorder.StepCount("record 4"), 1);
    EXPECT_EQ(pipe.ChartSums(1).PeriodStart, 360u);
    // The sample that closed the period is already in it when the end step runs.
    ASSERT_EQ(recorder.chartSetsSeen.size(), 1u);
    EXPECT_EQ(recorder.chartSetsSeen[0].Count, 5u);
    EXPECT_EQ(recorder.chartSetsSeen[0].Sum[0], 7u);
    EXPECT_EQ(recorder.chartSetsSeen[0].PeriodStart, 360u);
}

TEST_F(SamplePipelineTest, ASampleSpanningManyPeriodsEndsEachOnceInTurn) {
    Process(0, {1, 1, 1, 1, 1, 1});
    Process(1000, {2, 2, 2, 2, 2, 2});
    EXPECT_EQ(recorder.StepCount("record 1"), 27);  // 0.002 s: 1000 - 972 = 28 is not past 36
    EXPECT_EQ(recorder.StepCount("record 2"), 11);
    EXPECT_EQ(recorder.StepCount("record 3"), 5);
    EXPECT_EQ(pipe.RecordSums(1).PeriodStart, 972u);

    // Each run sees the start already moved on by one period; the first run
    // sees both samples in the sums.
    std::vector<std::uint64_t> starts;
    for (std::size_t i = 0; i < 27; ++i) starts.push_back(recorder.recordSetsSeen[i].PeriodStart);
    std::vector<std::uint64_t> expected;
    for (std::uint64_t s = 36; s <= 972; s += 36) expected.push_back(s);
    EXPECT_EQ(starts, expected);
    EXPECT_EQ(recorder.recordSetsSeen[0].Count, 2u);
    EXPECT_EQ(recorder.recordSetsSeen[0].Sum[5], 3u);
}

// The fixed order: all chart ends, all recording ends, then the sample goes to the recording
// (which writes it or checks it for a change); each scale's runs back to back.
TEST_F(SamplePipelineTest, StepsAreHandedOnInTheirFixedOrder) {
    const auto chartEnds = std::vector<std::string>{"chart 1", "chart 1", "chart 2", "chart 3"};
    const auto recordEnds = Repeat("record 1", 27) + Repeat("record 2", 11) +
                            Repeat("record 3", 5) + Repeat("record 4", 2) + Repeat("record 5", 1);
    RunTo(0, 5000);
    Process(1000, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(recorder.steps, chartEnds + recordEnds + std::vector<std::string>{"sample"});
    EXPECT_EQ(recorder.handedOn, std::vector<std::uint64_t>{6000});
}

// After some 66 hours ElapsedCount passes 2^32; periods go on as before.
TEST_F(SamplePipelineTest, PeriodsRunOnAcrossTwoToThe32TimeUnits) {
    constexpr std::uint64_t kTwo32 = std::uint64_t{1} << 32;
    RunTo(0, kTwo32 - 100);  // the chart's periods restarted one unit back
    Process(361);
    EXPECT_EQ(pipe.Elapsed(), kTwo32 + 261);
    EXPECT_EQ(recorder.StepCount("chart 1"), 1);
    EXPECT_EQ(pipe.ChartSums(1).PeriodStart, kTwo32 + 259);
    EXPECT_EQ(recorder.StepCount("record 1"), 10);
    EXPECT_EQ(recorder.StepCount("chart 2"), 0);
}

// Clearing the chart sets a start one below ElapsedCount, which at 0 wraps.
TEST_F(SamplePipelineTest, APeriodStartJustBelowZeroEndsAfterOneFullPeriod) {
    Process(0);
    pipe.RestartChartPeriod(1);
    ASSERT_EQ(pipe.ChartSums(1).PeriodStart, std::numeric_limits<std::uint64_t>::max());
    Process(359);
    EXPECT_EQ(recorder.StepCount("chart 1"), 0);
    Process(360);
    EXPECT_EQ(recorder.StepCount("chart 1"), 1);
    EXPECT_EQ(pipe.ChartSums(1).PeriodStart, 359u);
}

TEST_F(SamplePipelineTest, ResetClearsTheSetsAndTimeButKeepsTheLastCounter) {
    Process(100, {1, 2, 3, 4, 5, 6});
    Process(2000, {1, 2, 3, 4, 5, 6});
    ASSERT_GT(pipe.ChartSums(1).PeriodStart, 0u);

    st().measurement().Reset();
    std::vector<AccumulatorSet> allSets;
    for (int k = 1; k <= kChartScales; ++k) allSets.push_back(pipe.ChartSums(k));
    for (int j = 1; j <= kRecordPeriods; ++j) allSets.push_back(pipe.RecordSums(j));
    for (const auto& set : allSets) {
        EXPECT_EQ(set.Sum, (std::array<std::uint32_t, kChannels>{}));
        EXPECT_EQ(set.Count, 0u);
        EXPECT_EQ(set.PeriodStart, 0u);
    }
    EXPECT_EQ(pipe.Elapsed(), 0u);
    EXPECT_TRUE(pipe.Streaming());
    EXPECT_EQ(TimeOf(2001), 1u);
    EXPECT_EQ(pipe.Latest(), (Values{1, 2, 3, 4, 5, 6}));

    // The next sample counts from the last counter seen, into the new zero.
    Process(2050);
    EXPECT_EQ(pipe.Elapsed(), 50u);
}

// The 25 chart scales and the 17 recording periods as the window lists them, each with its
// length in time units of 1/18000 s.
struct NamedPeriod {
    const char* caption;
    std::uint64_t units;
};
constexpr NamedPeriod kScales[] = {
    {"12сек", 360},       {"20сек", 600},       {"30сек", 900},      {"50сек", 1500},
    {"80сек", 2400},      {"2мин", 3600},       {"3мин", 5400},      {"5мин", 9000},
    {"7мин", 12600},      {"10мин", 18000},     {"15мин", 27000},    {"20мин", 36000},
    {"30мин", 54000},     {"40мин", 72000},     {"60мин", 108000},   {"90мин", 162000},
    {"2часа", 216000},    {"3часа", 324000},    {"5часов", 540000},  {"7часов", 756000},
    {"10часов", 1080000}, {"15часов", 1620000}, {"24часа", 2592000}, {"40часов", 4320000},
    {"70часов", 7560000}};
constexpr NamedPeriod kRecordPeriods[] = {
    {"0.002с", 36},    {"0.005с", 90},   {"0.01c", 180},  {"0.02с", 360},  {"0.05с", 900},
    {"0.1с", 1800},    {"0.2с", 3600},   {"0.5с", 9000},  {"1с", 18000},   {"2с", 36000},
    {"5с", 90000},     {"10с", 180000},  {"20с", 360000}, {"50с", 900000}, {"100с", 1800000},
    {"200с", 3600000}, {"500с", 9000000}};

// From a reset, where every set begins at 0: the sample that brings the time to a set's length
// ends nothing of it, the next one, a unit later, ends its period.
TEST_F(SamplePipelineTest, EveryScaleAndRecordingPeriodIsAsLongAsTheWindowSays) {
    Process(0);
    auto endsAtItsLength = [&](std::uint64_t units, const std::string& step) {
        pipe.Reset();
        Advance(units - 1);
        Process(static_cast<std::uint16_t>(counter + 1));
        EXPECT_EQ(recorder.StepCount(step), 0) << step << " ended early";
        Process(static_cast<std::uint16_t>(counter + 1));
        EXPECT_EQ(recorder.StepCount(step), 1);
        recorder.Forget();
    };
    for (int k = 1; k <= 25; ++k) {
        const NamedPeriod& scale = kScales[k - 1];
        SCOPED_TRACE(scale.caption);
        EXPECT_EQ(text::kScaleItems[k - 1], scale.caption);
        endsAtItsLength(scale.units, "chart " + std::to_string(k));
    }
    for (int j = 1; j <= 17; ++j) {
        const NamedPeriod& period = kRecordPeriods[j - 1];
        SCOPED_TRACE(period.caption);
        EXPECT_EQ(text::kRecordChoiceCaptions[j], period.caption);
        endsAtItsLength(period.units, "record " + std::to_string(j));
    }
}

}  // namespace
}  // namespace ts
