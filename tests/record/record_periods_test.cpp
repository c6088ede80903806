#include "recording_fixture.h"

namespace ts {
namespace {

constexpr int kOneSecond = 9;   // period j of "1с"
constexpr int kHalfSecond = 8;  // period j of "0.5с"

class RecordPeriodsTest : public RecordingTest {
protected:
    const AccumulatorSet& Set(int j) {
        return st().measurement().State().RecordSets[static_cast<std::size_t>(j - 1)];
    }
    // Set j with the sums `sum` of `count` samples.
    void Gathered(int j, std::array<std::uint32_t, kChannels> sum, std::uint32_t count) {
        Edit(st().measurement(), [&](PipelineState& s) {
            s.RecordSets[static_cast<std::size_t>(j - 1)].Sum = sum;
            s.RecordSets[static_cast<std::size_t>(j - 1)].Count = count;
        });
    }

    // What the measurement does when set j's period ends: advance, then close it.
    void EndPeriod(int j) {
        Edit(st().measurement(), [&](PipelineState& s) {
            s.RecordSets[static_cast<std::size_t>(j - 1)].PeriodStart +=
                kRecordPeriodUnits[static_cast<std::size_t>(j - 1)];
        });
        st().measurement().CloseRecordPeriod(j);
    }

    // One sample through the whole pipeline, channel 1 carrying `value`.
    void Feed(std::uint16_t counter, std::uint16_t value) {
        st().measurement().TakeSample(Sample{counter, {value, 0, 0, 0, 0, 0}});
    }

    void CheckWith(std::uint16_t channel1) {
        Edit(st().measurement(), [&](PipelineState& s) { s.LatestSample[0] = channel1; });
        st().recording().CheckChange();
    }
};

TEST_F(RecordPeriodsTest, AveragesInDoubleAndReseedsWithTheTruncatedMean) {
    st().form().CheckBox_FileDataAver.Checked = true;
    StartIn(kOneSecond, {1, 2});
    // Re-seeded with 20, then 10, 20, 30 and 41 arrived.
    Gathered(kOneSecond, {121, 7, 0, 0, 0, 0}, 5);
    EndPeriod(kOneSecond);
    EXPECT_EQ(Records().back(), "0,0000115741 24,200 1,400");
    EXPECT_EQ(Set(kOneSecond).Sum[0], 24u);
    EXPECT_EQ(Set(kOneSecond).Sum[1], 1u);
    EXPECT_EQ(Set(kOneSecond).Count, 1u);
}

TEST_F(RecordPeriodsTest, OneSampleAfterAGapEndsThreePeriodsEachWithItsOwnTime) {
    for (bool averaging : {true, false}) {
        const std::string name = averaging ? "on.txt" : "off.txt";
        st().form().CheckBox_FileDataAver.Checked = averaging;
        Feed(1000, 40);
        StartIn(kOneSecond, {1}, name);  // the period starts here, at S
        Feed(1000 + 100, 50);
        Feed(1000 + 100 + 63000, 57);  // 3.5 s later
        const std::vector<std::string> expected =
            averaging ? std::vector<std::string>{"0,0000115741 49,000", "0,0000231481 49,000",
                                                 "0,0000347222 49,000"}
                      : std::vector<std::string>{"0,0000115741 57,000", "0,0000231481 57,000",
                                                 "0,0000347222 57,000"};
        std::vector<std::string> records = Records(name);
        ASSERT_EQ(records.size(), 4u);
        records.erase(records.begin());  // the record at the start
        EXPECT_EQ(records, expected) << name;
        st().B_FileSaveStopClick();
    }
}

TEST_F(RecordPeriodsTest, AfterAStartTheNextPeriodRecordComesOnePeriodLater) {
    st().form().CheckBox_FileDataAver.Checked = true;
    for (int i = 0; i < 10; ++i) Feed(static_cast<std::uint16_t>(i * 500), 100);
    StartIn(kHalfSecond, {1});
    std::uint16_t counter = 9 * 500;  // the last one fed
    for (int i = 0; i < 9; ++i) Feed(counter += 1000, 200);
    EXPECT_EQ(Records().size(), 1u);  // 9000 time units: not past the boundary yet
    Feed(counter += 1000, 200);
    const std::vector<std::string> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], "0,0000000000 100,000");
    // 9000 units later; ten samples of 200 and the seed 100 counted as one.
    EXPECT_EQ(records[1], "0,0000057870 190,909");
}

// Recording every sample: each one, as the measurement hands it on, is written once, at its time
// counted from the start; the periods that end meanwhile write nothing.
TEST_F(RecordPeriodsTest, EverySampleIsWrittenOnceAtItsTimeFromTheStart) {
    Feed(0, 5);
    Feed(1800, 6);
    StartIn(kRecordChoiceAll, {1});
    Feed(1803, 7);
    Feed(19800, 8);
    EXPECT_EQ(Records(), (std::vector<std::string>{"0,0000000000 6,000", "0,0000000019 7,000",
                                                   "0,0000115741 8,000"}));
}

TEST_F(RecordPeriodsTest, EveryKindOfChoiceWritesARecordAtTimeZeroOnStart) {
    Edit(st().measurement(), [](PipelineState& s) { s.ElapsedCount = 123456; });
    SetLatest({7, 8, 9, 10, 11, 12});
    for (int choice = 0; choice < kRecordChoices; ++choice) {
        const std::string name = "choice" + std::to_string(choice) + ".txt";
        StartIn(choice, {1, 6}, name);
        EXPECT_EQ(Records(name), std::vector<std::string>{"0,0000000000 7,000 12,000"})
            << "choice " << choice;
        st().B_FileSaveStopClick();
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordPeriodsTest, StartBeforeAnySampleWithAveragingRecordsZeros) {
    st().form().CheckBox_FileDataAver.Checked = true;
    SetTable(2, {0, 1}, {5, 6});  // raw 0 converts to 5
    StartIn(kHalfSecond, {1, 2});
    EXPECT_EQ(Records(), std::vector<std::string>{"0,0000000000 0,000 5,000"});
    EXPECT_EQ(Set(kHalfSecond).Sum[0], 0u);
    EXPECT_EQ(Set(kHalfSecond).Count, 1u);
}

TEST_F(RecordPeriodsTest, StepsRunForEverySetButRecordOnlyForTheSelectedOne) {
    StartIn(kOneSecond, {1});
    Gathered(kHalfSecond, {30, 0, 0, 0, 0, 0}, 2);
    EndPeriod(kHalfSecond);
    EXPECT_EQ(Set(kHalfSecond).Sum[0], 15u);
    EXPECT_EQ(Records().size(), 1u);  // only the one at the start
    st().B_FileSaveStopClick();
    Gathered(kOneSecond, {8, 0, 0, 0, 0, 0}, 4);
    EndPeriod(kOneSecond);  // not recording any more
    EXPECT_EQ(Set(kOneSecond).Sum[0], 2u);
}

TEST_F(RecordPeriodsTest, OnChangeWritesNewExtremesAndTurnsPastTheDeadBand) {
    SetLatest({100, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});  // threshold item "2": t = 1
    const std::size_t before = Records().size();
    std::vector<std::size_t> written;
    for (std::uint16_t v : {101, 100, 99, 100, 101, 102}) {
        CheckWith(v);
        written.push_back(Records().size() - before);
    }
    EXPECT_EQ(written, (std::vector<std::size_t>{1, 1, 2, 2, 3, 4}));
    EXPECT_TRUE(st().recording().State().ChangeRising[0]);
    EXPECT_EQ(st().recording().State().ChangeReference[0], 102);
}

TEST_F(RecordPeriodsTest, OnChangeThresholdIsReadAtEachComparison) {
    SetLatest({500, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});
    st().form().ComboBox_FileOnChangeThresh.ItemIndex = 10;  // "11"
    CheckWith(490);                                          // a fall of 10 is not more than 10
    EXPECT_TRUE(st().recording().State().ChangeRising[0]);
    st().form().ComboBox_FileOnChangeThresh.ItemIndex = 9;
    CheckWith(490);
    EXPECT_FALSE(st().recording().State().ChangeRising[0]);
    EXPECT_EQ(st().recording().State().ChangeReference[0], 490);
}

TEST_F(RecordPeriodsTest, WithNoThresholdSelectedASteadyValueIsWrittenEverySample) {
    st().form().ComboBox_FileOnChangeThresh.ItemIndex = -1;
    SetLatest({300, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});
    for (int i = 0; i < 4; ++i) CheckWith(300);
    EXPECT_EQ(Records().size(), 5u);
}

TEST_F(RecordPeriodsTest, OnlyTickedChannelsAreWatchedAndTheOthersKeepTheirState) {
    SetLatest({0, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});
    EXPECT_EQ(Records().size(), 0u);  // every watched channel reads 0
    SetLatest({0, 0, 0, 900, 0, 0});
    st().recording().CheckChange();
    EXPECT_EQ(Records().size(), 0u);
    EXPECT_EQ(st().recording().State().ChangeReference[3], 0);
    CheckWith(1);
    EXPECT_EQ(Records(), std::vector<std::string>{"0,0000000000 1,000"});
}

TEST_F(RecordPeriodsTest, TheOnChangeStateRestartsWithEachRecording) {
    SetLatest({600, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});
    CheckWith(590);
    CheckWith(580);
    EXPECT_FALSE(st().recording().State().ChangeRising[0]);
    st().B_FileSaveStopClick();
    StartIn(kRecordChoiceOnChange, {1}, "second.txt");
    EXPECT_TRUE(st().recording().State().ChangeRising[0]);
    EXPECT_EQ(st().recording().State().ChangeReference[0], 580);
    EXPECT_EQ(Records("second.txt").size(), 1u);
}

}  // namespace
}  // namespace ts
