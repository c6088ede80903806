#include <cmath>
#include <sstream>

#include "recording_fixture.h"
#include "sim/sim_instrument.h"

namespace ts {
namespace {

constexpr int kTenthOfASecond = 6;  // period j of "0.1с"
constexpr double kTick = 0.04;

struct Record {
    double days;
    std::vector<int> values;
};

// A simulated instrument streaming at 6000 samples/s into the station, read
// by its 40 ms tick, and everything it sent from the start of recording on.
class RecordingWithInstrumentTest : public RecordingTest {
protected:
    RecordingWithInstrumentTest() {
        const int device = AddWanted();
        st().link().Open(false);
        instrument_ = std::make_unique<sim::SimInstrument>(driver, device);
        instrument_->onFrameSent = [this](int, const Sample& s) {
            if (st().recording().Active()) sent.push_back(s);
        };
    }

    void Run(double seconds) {
        for (int i = 0; i < std::lround(seconds / kTick); ++i) {
            instrument_->Advance(kTick);
            st().Timer_25HzTimer();
        }
    }

    // Record lines read back: the time in days and the values as numbers.
    std::vector<Record> ReadRecords() {
        std::vector<std::string> lines = Records();
        EXPECT_EQ(lines.back().find("ЗАПИСЬ"), std::string::npos);
        lines.pop_back();  // the stop line
        std::vector<Record> records;
        for (std::string line : lines) {
            for (char& ch : line) ch = ch == ',' ? '.' : ch;
            std::istringstream fields(line);
            Record r{};
            fields >> r.days;
            for (double v; fields >> v;) r.values.push_back(static_cast<int>(std::lround(v)));
            records.push_back(r);
        }
        return records;
    }

    static double DaysOf(std::uint64_t units) {
        return static_cast<double>(units) * 0.000055555556 / 86400;
    }

    sim::SimInstrument& instrument() { return *instrument_; }

    std::vector<Sample> sent;

private:
    std::unique_ptr<sim::SimInstrument> instrument_;
};

TEST_F(RecordingWithInstrumentTest, EverySampleOfTwentySecondsIsRecordedInOrder) {
    Run(0.5);
    const std::array<std::uint16_t, kChannels> atStart = st().measurement().Latest();
    StartIn(kRecordChoiceAll, {1, 2, 3, 4, 5, 6});
    Run(20);
    st().B_FileSaveStopClick();

    ASSERT_GT(sent.size(), 119'000u);
    const std::vector<Record> records = ReadRecords();
    ASSERT_EQ(records.size(), 1 + sent.size());
    EXPECT_EQ(records[0].days, 0.0);
    EXPECT_EQ(records[0].values, std::vector<int>(atStart.begin(), atStart.end()));
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const Record& r = records[i + 1];
        const std::vector<int> expected(sent[i].Value.begin(), sent[i].Value.end());
        ASSERT_EQ(r.values, expected) << "sample " << i;
        ASSERT_GT(r.days, records[i].days) << "sample " << i;
        ASSERT_NEAR(r.days, DaysOf(3 * (i + 1)), 1e-10) << "sample " << i;
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordingWithInstrumentTest, AveragesEveryTenthOfASecondOnExactBoundaries) {
    instrument().channels[0] = {sim::SignalShape::Constant, 300, 0, 1};
    instrument().channels[1] = {sim::SignalShape::Ramp, 500, 200, 0.7};
    st().form().CheckBox_FileDataAver.Checked = true;
    Run(0.5);
    StartIn(kTenthOfASecond, {1, 2});
    const std::uint64_t start = st().measurement().Elapsed();
    Run(20);
    const std::uint64_t recorded = st().measurement().Elapsed() - start;
    st().B_FileSaveStopClick();

    const std::vector<Record> records = ReadRecords();
    // One at the start and one for every boundary passed (strictly).
    ASSERT_EQ(records.size(), 1 + (recorded - 1) / 1800);
    EXPECT_GE(records.size(), 200u);
    for (std::size_t k = 0; k < records.size(); ++k) {
        EXPECT_NEAR(records[k].days, DaysOf(1800 * k), 1e-10) << k;
        ASSERT_EQ(records[k].values.size(), 2u);
        EXPECT_EQ(records[k].values[0], 300) << k;
        EXPECT_GE(records[k].values[1], 300) << k;
        EXPECT_LE(records[k].values[1], 700) << k;
    }
}

TEST_F(RecordingWithInstrumentTest, OnChangeRecordsExactlyTheSamplesThatMove) {
    instrument().channels[2] = {sim::SignalShape::Noise, 500, 2, 1};
    Run(0.5);
    const std::uint16_t atStart = st().measurement().Latest()[2];
    StartIn(kRecordChoiceOnChange, {3});
    Run(20);
    st().B_FileSaveStopClick();

    // The rule with the default dead band (t = 1), applied to what was sent.
    struct Expected {
        std::uint64_t units;
        int value;
    };
    std::vector<Expected> expected;
    int reference = 0;
    bool rising = true;
    auto check = [&](std::uint64_t units, int v) {
        bool changed = false;
        if (rising && v > reference) reference = v, changed = true;
        if (!rising && v < reference) reference = v, changed = true;
        if (rising ? v + 1 < reference : reference + 1 < v) {
            rising = !rising;
            reference = v;
            changed = true;
        }
        if (changed) expected.push_back({units, v});
    };
    check(0, atStart);
    for (std::size_t i = 0; i < sent.size(); ++i) check(3 * (i + 1), sent[i].Value[2]);

    const std::vector<Record> records = ReadRecords();
    ASSERT_GT(expected.size(), 1000u);
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(records[i].values, std::vector<int>{expected[i].value}) << i;
        ASSERT_NEAR(records[i].days, DaysOf(expected[i].units), 1e-10) << i;
        if (i > 0) {
            ASSERT_GT(records[i].days, records[i - 1].days) << i;
        }
    }
}

}  // namespace
}  // namespace ts
