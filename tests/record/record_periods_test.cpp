#include "recording_fixture.h"

namespace ts {
namespace {

constexpr int kOneSecond = 9;   // period j of "1с"
constexpr int kHalfSecond = 8;  // period j of "0.5с"

class RecordPeriodsTest : public RecordingTest {
protected:
    const AccumulatorSet& Set(int j) { return st().measurement().RecordSums(j); }

    // One sample through the whole pipeline, channel 1 carrying `value`.
    void Feed(std::uint16_t counter, std::uint16_t value) { Take(counter, {value, 0, 0, 0, 0, 0}); }

    // Channel 1 reads `channel1` in a sample at the time of the one before.
    void CheckWith(std::uint16_t channel1) {
        SampleCodes values = st().measurement().Latest();
        values[0] = channel1;
        SetLatest(values);
    }
    // The on-change rule of channel 1, with a threshold of 1, rises from `reference`: neither a
    // step back within the dead band nor the same value again is written.
    void ExpectRisingFrom(std::uint16_t reference, const std::string& name = "result.txt") {
        const std::size_t before = Records(name).size();
        CheckWith(static_cast<std::uint16_t>(reference - 1));
        CheckWith(reference);
        EXPECT_EQ(Records(name).size(), before) << "not rising from " << reference;
    }
    // It falls to `reference`: the same value again is not written, one below is.
    void ExpectFallingTo(std::uint16_t reference) {
        const std::size_t before = Records().size();
        CheckWith(reference);
        EXPECT_EQ(Records().size(), before) << "not falling to " << reference;
        CheckWith(static_cast<std::uint16_t>(reference - 1));
        EXPECT_EQ(Records().size(), before + 1) << "not falling to " << reference;
    }
};

TEST_F(RecordPeriodsTest, AveragesInDoubleAndReseedsWithTheTruncatedMean) {
    st().form().CheckBox_FileDataAver.Checked = true;
    SetLatest({20, 3, 0, 0, 0, 0});
    StartIn(kOneSecond, {1, 2});
    // Re-seeded with 20, then 10, 20, 30 and 41 arrived, the last one a second on.
    for (std::uint16_t value : {10, 20, 30}) SetLatest({value, 1, 0, 0, 0, 0});
    Take(18001, {41, 1, 0, 0, 0, 0});
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
    // Time 123,456.
    for (std::uint16_t counter : {0, 61728, 57920}) Take(counter, {7, 8, 9, 10, 11, 12});
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
    // 30 and 0 in the half second, the second one closing it.
    Feed(0, 30);
    Feed(9001, 0);
    EXPECT_EQ(Set(kHalfSecond).Sum[0], 15u);
    EXPECT_EQ(Records().size(), 1u);  // only the one at the start
    st().B_FileSaveStopClick();
    // The whole second: its seed 0, then 30, 0 and 10.
    Feed(18001, 10);  // not recording any more
    EXPECT_EQ(Set(kOneSecond).Sum[0], 10u);
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
    ExpectRisingFrom(102);
}

TEST_F(RecordPeriodsTest, OnChangeThresholdIsReadAtEachComparison) {
    SetLatest({500, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});
    st().form().ComboBox_FileOnChangeThresh.ItemIndex = 10;  // "11"
    const std::size_t before = Records().size();
    CheckWith(490);  // a fall of 10 is not more than 10
    EXPECT_EQ(Records().size(), before);
    st().form().ComboBox_FileOnChangeThresh.ItemIndex = 9;
    CheckWith(490);
    EXPECT_EQ(Records().size(), before + 1);
    ExpectFallingTo(490);
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
    EXPECT_EQ(Records().size(), 0u);
    CheckWith(1);
    EXPECT_EQ(Records(), std::vector<std::string>{"0,0000000000 1,000"});
}

TEST_F(RecordPeriodsTest, TheOnChangeStateRestartsWithEachRecording) {
    SetLatest({600, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceOnChange, {1});
    CheckWith(590);
    CheckWith(580);
    ExpectFallingTo(580);
    CheckWith(580);
    st().B_FileSaveStopClick();
    StartIn(kRecordChoiceOnChange, {1}, "second.txt");
    ExpectRisingFrom(580, "second.txt");
    EXPECT_EQ(Records("second.txt").size(), 1u);
}

}  // namespace
}  // namespace ts
