#include <initializer_list>

#include "station_fixture.h"

namespace ts {
namespace {

class ScaleRingTest : public StationTest {
protected:
    const AccumulatorSet& Set(int scale) { return st().measurement().ChartSums(scale); }
    const ScaleRing& Ring(int scale) { return st().chart().Live().Ring(scale); }

    // Samples of raw values at one time, channel c getting value + c: they go into every set,
    // and the last one is the latest sample.
    void Add(std::initializer_list<int> values) {
        for (int value : values) {
            SampleCodes sample;
            for (int c = 0; c < kChannels; ++c) {
                sample[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(value + c);
            }
            SamplesAt(0, {sample});
        }
    }

    void LoadTable(int channel, std::initializer_list<std::pair<double, double>> points) {
        CalibrationTable table;
        for (const auto& [raw, result] : points) {
            table.RawPoints[static_cast<std::size_t>(table.PointCount)] = raw;
            table.ResultPoints[static_cast<std::size_t>(table.PointCount++)] = result;
        }
        st().measurement().Tables().Use(channel, table);
    }
    std::string Readout(int channel) {
        return st().form().Label_ResCH[static_cast<std::size_t>(channel - 1)].Caption;
    }
};

TEST_F(ScaleRingTest, TruncatedAverageAndInstantValueThenReseed) {
    Add({7, 8, 9});
    st().measurement().CloseChartPeriod(3);
    EXPECT_EQ(Ring(3).Position, 1);
    for (std::size_t c = 0; c < kChannels; ++c) {
        EXPECT_EQ(Ring(3).Points[c][1], 8 + c);
        EXPECT_EQ(Ring(3).Points[c][601], 9 + c);
        EXPECT_EQ(Set(3).Sum[c], 8 + c);
    }
    EXPECT_EQ(Set(3).Count, 1u);
    // The closed point weighs as one sample in the next: (8 + 1 + 2) / 3.
    Add({1, 2});
    st().measurement().CloseChartPeriod(3);
    EXPECT_EQ(Ring(3).Points[0][2], 3);
    EXPECT_EQ(Ring(3).Points[0][602], 2);
    // Other scales are untouched.
    EXPECT_EQ(Ring(2).Position, 0);
}

TEST_F(ScaleRingTest, TruncatesRatherThanRounds) {
    Add({1, 2});
    st().measurement().CloseChartPeriod(1);
    EXPECT_EQ(Ring(1).Points[0][1], 1);
    EXPECT_EQ(Ring(1).Points[5][1], 6);  // (6 + 7) / 2
}

TEST_F(ScaleRingTest, SeveralPeriodsAtOnceRepeatTheAverage) {
    Add({100, 201});
    st().measurement().CloseChartPeriod(5);
    st().measurement().CloseChartPeriod(5);
    st().measurement().CloseChartPeriod(5);
    EXPECT_EQ(Ring(5).Position, 3);
    for (std::size_t slot = 1; slot <= 3; ++slot) {
        EXPECT_EQ(Ring(5).Points[0][slot], 150);
        EXPECT_EQ(Ring(5).Points[0][600 + slot], 201);
    }
}

TEST_F(ScaleRingTest, AnEmptySetGivesZeros) {
    SamplesAt(0, {SampleCodes{77, 77, 77, 77, 77, 77}});
    st().measurement().Reset();
    st().measurement().CloseChartPeriod(4);
    EXPECT_EQ(Ring(4).Points[0][1], 0);
    EXPECT_EQ(Ring(4).Points[0][601], 77);
    EXPECT_EQ(Set(4).Count, 1u);
}

TEST_F(ScaleRingTest, WrapsFrom599ToSlotZero) {
    ClosePoints(st(), 2, 599, [](int, SampleCodes&, SampleCodes&) {});
    Add({40});
    st().measurement().CloseChartPeriod(2);
    EXPECT_EQ(Ring(2).Position, 0);
    EXPECT_EQ(Ring(2).Points[0][0], 40);
    EXPECT_EQ(Ring(2).Points[0][600], 40);
    EXPECT_EQ(Ring(2).Points[0][599], 0);
}

TEST_F(ScaleRingTest, ClearEmptiesTheRingButKeepsTheSums) {
    Add({10});
    st().measurement().CloseChartPeriod(6);
    Add({30, 40});
    st().chart().ClearAll();
    EXPECT_EQ(Ring(6).Position, 0);
    for (const auto& channel : Ring(6).Points) {
        for (std::uint16_t code : channel) ASSERT_EQ(code, 0);
    }
    EXPECT_EQ(Set(6).Count, 3u);
    st().measurement().CloseChartPeriod(6);
    EXPECT_EQ(Ring(6).Position, 1);
    EXPECT_EQ(Ring(6).Points[0][1], 26);  // (10 + 30 + 40) / 3, from before the clear
}

TEST_F(ScaleRingTest, HalfSecondScaleShowsTheCalibratedMeans) {
    LoadTable(1, {{0, 0}, {1023, 100}});
    LoadTable(2, {{0, 0}, {1, 1234.5}});
    LoadTable(3, {{0, 0}, {1023, 1023}});
    // Means 512 (512 * 100 / 1023 = 50.0489...), 1, and 1.5 shown unrounded.
    SamplesAt(0, {SampleCodes{512, 1, 1, 0, 0, 0}, SampleCodes{512, 1, 2, 0, 0, 0}});
    st().measurement().CloseChartPeriod(8);
    EXPECT_EQ(Readout(1), "50.049");
    EXPECT_EQ(Readout(2), "1234.500");
    EXPECT_EQ(Readout(3), "1.500");
    EXPECT_EQ(Readout(4), "0.000");      // no table
    EXPECT_EQ(Ring(8).Points[2][1], 1);  // the point itself is truncated

    platform.regional.DecimalSeparator = ',';
    st().measurement().CloseChartPeriod(8);  // the re-seeded set repeats the means, truncated
    EXPECT_EQ(Readout(1), "50,049");
    EXPECT_EQ(Readout(2), "1234,500");
    EXPECT_EQ(Readout(3), "1,000");
}

TEST_F(ScaleRingTest, OnlyTheHalfSecondScaleTouchesTheReadouts) {
    LoadTable(1, {{0, 0}, {1023, 100}});
    for (int scale = 1; scale <= kChartScales; ++scale) {
        if (scale == kReadoutScale) continue;
        Add({512});
        st().measurement().CloseChartPeriod(scale);
    }
    EXPECT_EQ(Readout(1), "0.000");
}

}  // namespace
}  // namespace ts
