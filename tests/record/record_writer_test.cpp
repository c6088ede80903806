#include "base/texts.h"
#include "recording_fixture.h"

namespace ts {
namespace {

class RecordWriterTest : public RecordingTest {
protected:
    // The first field of the record line written for `elapsed`.
    std::string TimeField(std::uint64_t elapsed) {
        st().recording().WriteRecord(elapsed, {});
        const std::string line = Records().back();
        return line.substr(0, line.find(' '));
    }
};

TEST_F(RecordWriterTest, TimeIsInDaysWithTheInstrumentsSecondsFactor) {
    StartIn(kRecordChoiceOnChange, {1});
    EXPECT_EQ(TimeField(0), "0,0000000000");
    EXPECT_EQ(TimeField(36), "0,0000000231");
    EXPECT_EQ(TimeField(18000), "0,0000115741");
    // One hour is not 0,0416666667: the factor is a little more than 1/18000.
    EXPECT_EQ(TimeField(64'800'000), "0,0416666670");
    EXPECT_EQ(TimeField(1'555'200'000), "1,0000000080");
}

TEST_F(RecordWriterTest, ValuesAreCalibratedWithThreeDecimalsAndTheRegionalSeparator) {
    StartIn(kRecordChoiceOnChange, {1, 2, 3, 4});
    st().measurement().Tables().Use(4, CalibrationTable{});  // channel 4 has no table
    st().recording().WriteRecord(18000, {-3.25, 0, 12345678.9876, 500});
    platform.regional.DecimalSeparator = '.';
    st().recording().WriteRecord(36000, {24.2, 1023, -0.0004, 7});
    EXPECT_EQ(Records(), (std::vector<std::string>{"0,0000115741 -3,250 0,000 12345678,990 0,000",
                                                   "0.0000231481 24.200 1023.000 0.000 0.000"}));
}

TEST_F(RecordWriterTest, OnlyTickedChannelsHaveAHeaderAndAField) {
    SetLatest({1, 2, 3, 4, 5, 6});
    StartIn(kRecordChoiceAll, {2, 5});
    st().recording().WriteRecord(3, {10, 20, 30, 40, 50, 60});
    const std::vector<std::string> lines = FileLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], Cp1251Of("ВРЕМЯ CH2 CH5"));
    EXPECT_EQ(lines[2], "0,0000000000 2,000 5,000");
    EXPECT_EQ(lines[3], "0,0000000019 20,000 50,000");
}

TEST_F(RecordWriterTest, TheWholeFileByteForByte) {
    // Channel 1 reads 12.5 at raw 0 and falls 0.002 per count; channel 3
    // reads -3.25 at raw 200 and rises 0.009 per count.
    SetTable(1, {0, 1000}, {12.5, 10.5});
    SetTable(3, {200, 1200}, {-3.25, 5.75});
    SetLatest({0, 0, 200, 0, 0, 0});
    StartIn(kRecordChoiceAll, {1, 3});
    st().recording().WriteRecord(18000, {1, 0, 201, 0, 0, 0});
    platform.now.Second = 4;
    st().B_FileSaveStopClick();

    const std::string expected = Cp1251Of(
        "06.12.2026 17:05:03 ЗАПИСЬ НАЧАТА\r\n"
        "ВРЕМЯ CH1 CH3\r\n"
        "0,0000000000 12,500 -3,250\r\n"
        "0,0000115741 12,498 -3,241\r\n"
        "06.12.2026 17:05:04 ЗАПИСЬ ОСТАНОВЛЕНА\r\n");
    EXPECT_EQ(ReadAll(PathOf("result.txt")), expected);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordWriterTest, StampsFollowTheRegionalFormats) {
    platform.regional.ShortDateFormat = "%m/%d/%y";
    platform.regional.LongTimeFormat = "%r";
    platform.now = {2026, 3, 6, 17, 5, 3};
    StartIn(kRecordChoiceOnChange, {1});
    EXPECT_EQ(FileLines()[0], Cp1251Of("03/06/26 05:05:03 PM ЗАПИСЬ НАЧАТА"));
}

TEST_F(RecordWriterTest, AChosenFileNeverRecordedIntoStaysEmpty) {
    st().form().SelectRecordChoice(kRecordChoiceAll);
    TickChannels({1});
    Choose(PathOf("result.txt"));
    st().FormClose();
    EXPECT_EQ(ReadAll(PathOf("result.txt")), "");
}

}  // namespace
}  // namespace ts
