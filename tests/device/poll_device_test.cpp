#include <algorithm>
#include <random>
#include <vector>

#include "base/texts.h"
#include "measure/pipeline_recorder.h"
#include "sim/frame_encoder.h"
#include "sim/sim_instrument.h"
#include "station_fixture.h"

namespace ts {
namespace {

using sim::DriverOp;
using Bytes = std::vector<std::uint8_t>;

Bytes FrameBytes(int instrument, std::uint16_t counter, std::uint16_t firstValue = 0) {
    std::array<std::uint16_t, kChannels> values;
    for (int c = 0; c < kChannels; ++c) values[c] = static_cast<std::uint16_t>(firstValue + c);
    const sim::Frame f = sim::EncodeFrame(instrument, counter, values);
    return {f.begin(), f.end()};
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Slice(const Bytes& b, std::size_t from, std::size_t to) {
    return {b.begin() + static_cast<std::ptrdiff_t>(from),
            b.begin() + static_cast<std::ptrdiff_t>(to)};
}

class PollDeviceTest : public StationTest {
protected:
    int device = AddWanted();
    PipelineRecorder recorder{st()};

    void SetUp() override {
        st().link().Open(false);
        ASSERT_NE(st().link().Handle(), 0u);
        // The start-up state after the first open.
        st().link().AwaitStream();
    }

    void Feed(const Bytes& bytes) { driver.Feed(device, bytes); }

    std::vector<std::uint16_t> Counters() const {
        std::vector<std::uint16_t> out;
        for (const Sample& s : recorder.samples) out.push_back(s.TimeCounter);
        return out;
    }
};

TEST_F(PollDeviceTest, GarbageAndBrokenFramesAreSkippedAndGoodOnesDecodedInOrder) {
    Bytes swapped = FrameBytes(1, 20);
    std::swap(swapped[12], swapped[13]);
    Bytes badGroup = FrameBytes(1, 30);
    badGroup[3] = 0x3F;
    Feed(Bytes{0x00, 0x7F, 0x80, 0xFF} + FrameBytes(1, 10, 100) + swapped + badGroup +
         FrameBytes(1, 40) + FrameBytes(1, 50) + Slice(FrameBytes(1, 60), 0, 9) +
         FrameBytes(1, 70));
    st().link().Poll();

    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{10, 40, 50, 70}));
    EXPECT_EQ(recorder.samples[0].Value,
              (std::array<std::uint16_t, kChannels>{100, 101, 102, 103, 104, 105}));
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(st().link().InstrumentNumber(), 1);
    EXPECT_EQ(st().link().HeldBytes(), 0u);
}

TEST_F(PollDeviceTest, OnlyBrokenBytesLeaveTheLinkStateAlone) {
    Bytes swapped = FrameBytes(1, 20);
    std::swap(swapped[12], swapped[13]);
    Feed(Bytes{0x81, 0x02} + swapped);
    SilentPolls(7);
    st().link().Poll();
    EXPECT_TRUE(recorder.samples.empty());
    EXPECT_FALSE(st().link().DataReceived());
    EXPECT_EQ(st().link().SilentPolls(), 7);
    EXPECT_EQ(st().link().InstrumentNumber(), 0);
}

TEST_F(PollDeviceTest, AFrameCutByTheEndOfAReadIsDecodedOnceWhenItsRestArrives) {
    const Bytes second = FrameBytes(1, 2);
    // Twenty bytes: one whole frame and the first six of the next.
    Feed(FrameBytes(1, 1) + Slice(second, 0, 6));
    st().link().Poll();
    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{1}));
    EXPECT_EQ(st().link().HeldBytes(), 6u);

    // A poll that brings nothing changes nothing.
    st().link().Poll();
    EXPECT_EQ(st().link().HeldBytes(), 6u);

    // The rest arrives a byte at a time at first.
    Feed(Slice(second, 6, 7));
    st().link().Poll();
    EXPECT_EQ(recorder.samples.size(), 1u);
    Feed(Slice(second, 7, 14) + FrameBytes(1, 3));
    st().link().Poll();
    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{1, 2, 3}));
    EXPECT_EQ(st().link().HeldBytes(), 0u);
}

TEST_F(PollDeviceTest, ACarriedTailThatStartsNoFrameIsSkipped) {
    // The first 9 bytes of a frame that never completes, then whole frames.
    Feed(FrameBytes(1, 1) + Slice(FrameBytes(1, 99), 0, 9));
    st().link().Poll();
    Feed(FrameBytes(1, 2) + FrameBytes(1, 3));
    st().link().Poll();
    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{1, 2, 3}));
}

TEST_F(PollDeviceTest, OnlyTheBytesTheReadReturnedAreScanned) {
    Feed(FrameBytes(1, 1) + FrameBytes(1, 2));
    st().link().Poll();
    ASSERT_EQ(Counters(), (std::vector<std::uint16_t>{1, 2}));

    // The queue reports 28 bytes but each read returns only 3: the buffer
    // behind them still holds the frames of the last poll, which must not
    // come back.
    Feed(FrameBytes(1, 3) + FrameBytes(1, 4));
    driver.SetMaxReadChunk(3);
    st().link().Poll();
    EXPECT_EQ(recorder.samples.size(), 2u);
    for (int i = 0; i < 9; ++i) st().link().Poll();
    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{1, 2, 3, 4}));
}

TEST_F(PollDeviceTest, ABacklogLargerThanTheBufferIsReadInPiecesThatFit) {
    constexpr int kFrames = 10000;
    Bytes stream;
    for (int i = 0; i < kFrames; ++i) {
        const Bytes frame = FrameBytes(1, static_cast<std::uint16_t>(i));
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    Feed(stream);

    st().link().Poll();
    // 65,536 bytes hold 4,681 frames and 2 bytes of the next.
    EXPECT_EQ(recorder.samples.size(), 4681u);
    EXPECT_EQ(st().link().HeldBytes(), 2u);
    EXPECT_EQ(driver.Device(device).queueSize, stream.size() - 65536);

    // With 2 bytes carried, only 65,534 more fit.
    st().link().Poll();
    EXPECT_EQ(driver.Device(device).queueSize, stream.size() - 65536 - 65534);
    st().link().Poll();
    EXPECT_EQ(driver.Device(device).queueSize, 0u);

    ASSERT_EQ(recorder.samples.size(), static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) ASSERT_EQ(recorder.samples[i].TimeCounter, i);
}

TEST_F(PollDeviceTest, ReopeningDropsTheTailOfTheOldConnection) {
    const Bytes cut = FrameBytes(1, 5);
    Feed(Slice(cut, 0, 7));
    st().link().Poll();
    st().link().Open(false);
    // The second half would complete the old frame if the tail were kept.
    Feed(Slice(cut, 7, 14) + FrameBytes(1, 6));
    st().link().Poll();
    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{6}));
}

TEST_F(PollDeviceTest, CountsFramesRejectedStartsAndSkippedBytes) {
    Bytes swapped = FrameBytes(1, 20);
    std::swap(swapped[12], swapped[13]);
    const Bytes cut = FrameBytes(1, 2);
    const Bytes abandoned = Slice(FrameBytes(1, 99), 0, 9);
    struct Case {
        const char* what;
        std::vector<Bytes> reads;
        std::uint64_t decoded, rejected, skipped;
    };
    const Case cases[] = {
        {"clean frames", {FrameBytes(1, 1) + FrameBytes(1, 2) + FrameBytes(1, 3)}, 3, 0, 0},
        {"noise, two bytes of it frame starts",
         {Bytes{0x00, 0x7F, 0x80, 0xFF} + FrameBytes(1, 1)},
         1,
         2,
         4},
        {"a corrupt frame between good ones",
         {FrameBytes(1, 1) + swapped + FrameBytes(1, 3)},
         2,
         1,
         14},
        {"a frame cut across two reads",
         {FrameBytes(1, 1) + Slice(cut, 0, 6), Slice(cut, 6, 14)},
         2,
         0,
         0},
        {"a cut head waiting for its rest", {FrameBytes(1, 1) + abandoned}, 1, 0, 0},
        {"a cut head passed over by the next read",
         {FrameBytes(1, 1) + abandoned, FrameBytes(1, 2) + FrameBytes(1, 3)},
         3,
         1,
         9},
        {"other instrument numbers",
         {FrameBytes(2, 1) + FrameBytes(0, 2) + FrameBytes(31, 3)},
         3,
         0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Opening with messages starts the counts afresh and drops any tail.
        st().link().Open(true);
        for (const Bytes& read : c.reads) {
            Feed(read);
            st().link().Poll();
        }
        const LinkCounts counts = st().link().Counts();
        EXPECT_EQ(counts.framesDecoded, c.decoded);
        EXPECT_EQ(counts.framesRejected, c.rejected);
        EXPECT_EQ(counts.bytesSkipped, c.skipped);
    }
}

TEST_F(PollDeviceTest, FailedStatusOrReadEndsThePollQuietlyAndTheNextTickCatchesUp) {
    Feed(FrameBytes(1, 1) + Slice(FrameBytes(1, 2), 0, 5));
    st().link().Poll();
    Feed(Slice(FrameBytes(1, 2), 5, 14));

    driver.FailNext(DriverOp::GetStatus);
    st().link().Poll();
    driver.FailNext(DriverOp::Read);
    st().link().Poll();
    EXPECT_EQ(recorder.samples.size(), 1u);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_NE(st().link().Handle(), 0u);

    st().link().Poll();
    EXPECT_EQ(Counters(), (std::vector<std::uint16_t>{1, 2}));
}

TEST_F(PollDeviceTest, NoHandleMeansNoDriverCall) {
    st().link().Close();
    driver.ResetCallCounts();
    st().link().Poll();
    EXPECT_EQ(driver.TotalCalls(), 0);
}

TEST_F(PollDeviceTest, AWrongInstrumentIsReportedOncePerEpisode) {
    st().M_Menu_Mode_DemoClick();
    SilentPolls(9);
    // The latch starts set: a wrong instrument streaming from start-up is not
    // reported, but its frames are data and tell its number.
    Feed(FrameBytes(2, 1));
    st().link().Poll();
    EXPECT_FALSE(st().form().Label_ErrDeviceNum.Visible);
    EXPECT_TRUE(st().demo().Running());
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(st().link().SilentPolls(), 0);
    EXPECT_EQ(st().link().InstrumentNumber(), 2);

    // A frame of instrument 1 re-arms the latch; the next wrong one is reported.
    Feed(FrameBytes(1, 2));
    st().link().Poll();
    st().form().M_Menu_Mode.Caption = "Демо";
    Feed(FrameBytes(2, 3));
    st().link().Poll();
    EXPECT_TRUE(st().form().Label_ErrDeviceNum.Visible);
    EXPECT_EQ(st().form().Label_ErrDeviceNum.Caption, text::kWrongDeviceNumber);
    EXPECT_FALSE(st().demo().Running());
    EXPECT_FALSE(st().form().M_Menu_Mode_Demo.Enabled);
    EXPECT_EQ(st().form().M_Menu_Mode.Caption, text::kMenuMode);

    // More wrong frames change nothing, though they still count as data.
    st().M_Menu_Mode_DemoClick();
    st().form().M_Menu_Mode.Caption = "Демо";
    SilentPolls(3);
    Feed(FrameBytes(2, 4) + FrameBytes(0, 5));
    st().link().Poll();
    EXPECT_EQ(st().link().InstrumentNumber(), 0);
    EXPECT_TRUE(st().demo().Running());
    EXPECT_EQ(st().form().M_Menu_Mode.Caption, "Демо");
    EXPECT_EQ(st().link().SilentPolls(), 0);
    EXPECT_TRUE(recorder.samples.empty());

    // Instrument 1 again: the label goes, and the next wrong frame reports anew.
    st().M_Menu_Mode_NormClick();
    Feed(FrameBytes(1, 6));
    st().link().Poll();
    EXPECT_FALSE(st().form().Label_ErrDeviceNum.Visible);
    Feed(FrameBytes(0, 7));
    st().link().Poll();
    EXPECT_TRUE(st().form().Label_ErrDeviceNum.Visible);
}

TEST_F(PollDeviceTest, InDemonstrationModeInstrumentFramesAreDataButNoMeasurement) {
    st().M_Menu_Mode_DemoClick();
    st().form().Label_ErrDeviceNum.Visible = true;
    Feed(FrameBytes(1, 100) + FrameBytes(1, 200));
    st().link().Poll();
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_FALSE(st().form().Label_ErrDeviceNum.Visible);
    EXPECT_TRUE(recorder.samples.empty());
    EXPECT_EQ(st().measurement().Elapsed(), 0u);
    EXPECT_EQ(st().measurement().ChartSums(1).Count, 0u);
}

// A long run of a simulated instrument with noise, corrupt frames and reads
// of every size: what arrives is exactly what was sent, each sample once.
TEST_F(PollDeviceTest, ANoisyStreamReadInRandomChunksArrivesWhole) {
    sim::SimInstrument instrument(driver, device);
    instrument.noiseBytesPerSecond = 900;
    instrument.corruptFramesPerSecond = 150;
    std::vector<std::uint16_t> sent;
    instrument.onFrameSent = [&](int, const Sample& s) { sent.push_back(s.TimeCounter); };

    std::mt19937 rng(3);
    std::uniform_int_distribution<std::uint32_t> chunk(1, 700);
    for (int tick = 0; tick < 100; ++tick) {
        instrument.Advance(0.04);
        driver.SetMaxReadChunk(tick % 10 == 9 ? 0xFFFFFFFF : chunk(rng));
        st().link().Poll();
    }
    driver.SetMaxReadChunk(0xFFFFFFFF);
    for (int i = 0; i < 20 && driver.Device(device).queueSize > 0; ++i) st().link().Poll();

    ASSERT_EQ(driver.Device(device).queueSize, 0u);
    ASSERT_GT(sent.size(), 20000u);
    EXPECT_EQ(Counters(), sent);
    // Every byte read is in a frame, skipped, or waiting for the next read.
    const LinkCounts counts = st().link().Counts();
    EXPECT_EQ(counts.framesDecoded, sent.size());
    EXPECT_GT(counts.framesRejected, 0u);
    EXPECT_EQ(counts.framesDecoded * kFrameSize + counts.bytesSkipped + st().link().HeldBytes(),
              driver.Device(device).bytesDelivered);
}

}  // namespace
}  // namespace ts
