#include <functional>
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
    const PipelineState& pipe = st().measurement().State();

    void Process(std::uint16_t counter, Values values = {}) {
        Sample s;
        s.TimeCounter = counter;
        s.Value = values;
        st().measurement().TakeSample(s);
    }

    // Pretends earlier samples have run: counter p seen, time `elapsed`, every
    // period begun at `periodStart`.
    // With `change`, a last touch to the state before the measurement goes on from it.
    void Resume(std::uint16_t previous, std::uint64_t elapsed, std::uint64_t periodStart,
                const std::function<void(PipelineState&)>& change = {}) {
        PipelineState state = pipe;
        state.FirstSample = false;
        state.PreviousCounter = previous;
        state.ElapsedCount = elapsed;
        for (auto& set : state.ChartSets) set.PeriodStart = periodStart;
        for (auto& set : state.RecordSets) set.PeriodStart = periodStart;
        if (change) change(state);
        st().measurement().Restore(state);
    }

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
    EXPECT_EQ(pipe.ElapsedCount, 0u);
    EXPECT_FALSE(pipe.FirstSample);
    EXPECT_EQ(pipe.PreviousCounter, 5000);
    EXPECT_EQ(pipe.LatestSample, (Values{1, 2, 3, 4, 5, 1023}));

    Process(5000, {10, 20, 30, 40, 50, 60});  // an equal counter adds nothing either
    EXPECT_EQ(pipe.ElapsedCount, 0u);
    EXPECT_EQ(pipe.LatestSample, (Values{10, 20, 30, 40, 50, 60}));
    const std::array<std::uint32_t, kChannels> sums = {11, 22, 33, 44, 55, 1083};
    for (const auto& set : pipe.ChartSets) {
        EXPECT_EQ(set.Count, 2u);
        EXPECT_EQ(set.Sum, sums);
    }
    for (const auto& set : pipe.RecordSets) {
        EXPECT_EQ(set.Count, 2u);
        EXPECT_EQ(set.Sum, sums);
    }
    EXPECT_EQ(recorder.steps, Repeat("sample", 2));
}

TEST_F(SamplePipelineTest, TimeStampsUnwrapToTheirForwardDistance) {
    Resume(65530, 100, 0);
    Process(4);
    EXPECT_EQ(pipe.ElapsedCount, 110u);
    EXPECT_EQ(pipe.PreviousCounter, 4);
    // A counter one behind the last is read as almost a whole turn ahead.
    Process(3);
    EXPECT_EQ(pipe.ElapsedCount, 110u + 65535u);
}

TEST_F(SamplePipelineTest, APeriodEndsOnlyWhenTimeIsStrictlyPastIt) {
    for (std::uint16_t t : {0, 120, 240, 360}) Process(t);
    EXPECT_EQ(recorder.StepCount("chart 1"), 0);
    EXPECT_EQ(recorder.StepCount("record 4"), 0);  // the 0.02 s recording period, also 360

    Process(361, {7, 0, 0, 0, 0, 0});
    EXPECT_EQ(recorder.StepCount("chart 1"), 1);
    EXPECT_EQ(recorder.StepCount("record 4"), 1);
    EXPECT_EQ(pipe.ChartSets[0].PeriodStart, 360u);
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
    EXPECT_EQ(pipe.RecordSets[0].PeriodStart, 972u);

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
    Resume(0, 5000, 5000);
    Process(1000, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(recorder.steps, chartEnds + recordEnds + std::vector<std::string>{"sample"});
    EXPECT_EQ(recorder.handedOn, std::vector<std::uint64_t>{6000});
}

// After some 66 hours ElapsedCount passes 2^32; periods go on as before.
TEST_F(SamplePipelineTest, PeriodsRunOnAcrossTwoToThe32TimeUnits) {
    constexpr std::uint64_t kTwo32 = std::uint64_t{1} << 32;
    Resume(0, kTwo32 - 100, kTwo32 - 100);
    Process(361);
    EXPECT_EQ(pipe.ElapsedCount, kTwo32 + 261);
    EXPECT_EQ(recorder.StepCount("chart 1"), 1);
    EXPECT_EQ(pipe.ChartSets[0].PeriodStart, kTwo32 + 260);
    EXPECT_EQ(recorder.StepCount("record 1"), 10);
    EXPECT_EQ(recorder.StepCount("chart 2"), 0);
}

// Clearing the chart sets a start one below ElapsedCount, which at 0 wraps.
TEST_F(SamplePipelineTest, APeriodStartJustBelowZeroEndsAfterOneFullPeriod) {
    Resume(0, 0, 0, [](PipelineState& state) {
        state.ChartSets[0].PeriodStart = std::numeric_limits<std::uint64_t>::max();
    });
    Process(359);
    EXPECT_EQ(recorder.StepCount("chart 1"), 0);
    Process(360);
    EXPECT_EQ(recorder.StepCount("chart 1"), 1);
    EXPECT_EQ(pipe.ChartSets[0].PeriodStart, 359u);
}

TEST_F(SamplePipelineTest, ResetClearsTheSetsAndTimeButKeepsTheLastCounter) {
    Process(100, {1, 2, 3, 4, 5, 6});
    Process(2000, {1, 2, 3, 4, 5, 6});
    ASSERT_GT(pipe.ChartSets[0].PeriodStart, 0u);

    st().measurement().Reset();
    auto allSets = std::vector<AccumulatorSet>(pipe.ChartSets.begin(), pipe.ChartSets.end());
    allSets.insert(allSets.end(), pipe.RecordSets.begin(), pipe.RecordSets.end());
    for (const auto& set : allSets) {
        EXPECT_EQ(set.Sum, (std::array<std::uint32_t, kChannels>{}));
        EXPECT_EQ(set.Count, 0u);
        EXPECT_EQ(set.PeriodStart, 0u);
    }
    EXPECT_EQ(pipe.ElapsedCount, 0u);
    EXPECT_FALSE(pipe.FirstSample);
    EXPECT_EQ(pipe.PreviousCounter, 2000);
    EXPECT_EQ(pipe.LatestSample, (Values{1, 2, 3, 4, 5, 6}));

    // The next sample counts from the last counter seen, into the new zero.
    Process(2050);
    EXPECT_EQ(pipe.ElapsedCount, 50u);
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

// Each set alone is armed at 0 with the time one unit short of its length: the sample that
// reaches the length ends nothing, the next one ends exactly that set's period.
TEST_F(SamplePipelineTest, EveryScaleAndRecordingPeriodIsAsLongAsTheWindowSays) {
    auto endsAtItsLength = [&](bool chart, int index, std::uint64_t units,
                               const std::string& step) {
        Resume(0, units - 1, units - 1, [&](PipelineState& state) {
            const auto i = static_cast<std::size_t>(index);
            (chart ? state.ChartSets[i] : state.RecordSets[i]).PeriodStart = 0;
        });
        recorder.steps.clear();
        Process(1);
        EXPECT_EQ(recorder.steps, Repeat("sample", 1)) << step << " ended early";
        recorder.steps.clear();
        Process(2);
        EXPECT_EQ(recorder.steps, (std::vector<std::string>{step, "sample"}));
    };
    for (int k = 1; k <= 25; ++k) {
        const NamedPeriod& scale = kScales[k - 1];
        SCOPED_TRACE(scale.caption);
        EXPECT_EQ(text::kScaleItems[k - 1], scale.caption);
        endsAtItsLength(true, k - 1, scale.units, "chart " + std::to_string(k));
    }
    for (int j = 1; j <= 17; ++j) {
        const NamedPeriod& period = kRecordPeriods[j - 1];
        SCOPED_TRACE(period.caption);
        EXPECT_EQ(text::kRecordChoiceCaptions[j], period.caption);
        endsAtItsLength(false, j - 1, period.units, "record " + std::to_string(j));
    }
}

}  // namespace
}  // namespace ts
