// The emulated bridge itself, in time of the test's choosing: the behaviour of the chip that the
// driver's tests rely on, and the list of bridges a program under test is started with.
#include <gtest/gtest.h>
#include <libusb.h>

#include <deque>
#include <vector>

#include "emulated_bridge/bridge_list.h"
#include "emulated_bridge/ft232r_chip.h"

namespace ts::emulated {
namespace {

using namespace std::chrono_literals;

// A chip whose instrument streams from t0 on, and the host's transfers waiting on it.
struct ChipRig {
    const Time t0 = Clock::now();
    std::vector<std::uint8_t> stream;
    Ft232rChip chip;
    std::deque<InRequest*> pending;
    std::vector<InRequest*> finished;

    explicit ChipRig(std::size_t bytes, std::int64_t bytesPerSecond = kLineBytesPerSecond)
        : stream(Numbered(bytes)), chip(stream, t0, bytesPerSecond) {
        // 3 MHz divided by 2 5/8 is 1,142,857 baud, near enough the instrument's 1,152,000.
        std::uint8_t none[1];
        chip.Vendor({0x40, 0x03, 0x4002, 0x0001, 0}, none, t0);
    }
    void RunTo(std::chrono::microseconds after) { chip.Advance(t0 + after, pending, finished); }

    static std::vector<std::uint8_t> Numbered(std::size_t bytes) {
        std::vector<std::uint8_t> numbered(bytes);
        for (std::size_t i = 0; i < bytes; ++i) numbered[i] = static_cast<std::uint8_t>(i * 7);
        return numbered;
    }
};

TEST(EmulatedChipTest, ATimeOutHandsOverTheWholePacketsReceivedSoFar) {
    ChipRig rig(10000);
    std::vector<std::uint8_t> buffer(4096);
    InRequest request{buffer.data(), 4096, 0, rig.t0 + 20ms, 0};
    rig.pending.push_back(&request);
    rig.RunTo(19ms);
    EXPECT_TRUE(rig.finished.empty());
    rig.RunTo(25ms);
    ASSERT_EQ(rig.finished, std::vector<InRequest*>{&request});
    EXPECT_EQ(request.status, LIBUSB_TRANSFER_TIMED_OUT);
    // 20 ms of 115,200 bytes a second are 2,304 bytes: 37 whole packets of 62, each led by
    // the two status bytes.
    ASSERT_EQ(request.actual, 37 * 64);
    for (int packet = 0; packet < 37; ++packet) {
        SCOPED_TRACE(packet);
        const std::uint8_t* at = buffer.data() + packet * 64;
        EXPECT_EQ(at[0], 0x01);
        EXPECT_EQ(at[1], 0x60);
        EXPECT_TRUE(std::equal(at + 2, at + 64, rig.stream.begin() + packet * 62));
    }
}

TEST(EmulatedChipTest, TheLatencyTimerSendsAShortPacketThatEndsTheTransfer) {
    ChipRig rig(10);
    std::vector<std::uint8_t> buffer(4096);
    InRequest request{buffer.data(), 4096, 0, Time::max(), 0};
    rig.pending.push_back(&request);
    rig.RunTo(15ms);
    EXPECT_TRUE(rig.finished.empty());
    // The chip's default latency timer is 16 ms.
    rig.RunTo(17ms);
    ASSERT_EQ(rig.finished, std::vector<InRequest*>{&request});
    EXPECT_EQ(request.status, LIBUSB_TRANSFER_COMPLETED);
    ASSERT_EQ(request.actual, 12);
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_TRUE(std::equal(buffer.begin() + 2, buffer.begin() + 12, rig.stream.begin()));
}

TEST(EmulatedChipTest, TheInstrumentStreamsAtItsRate) {
    struct Case {
        std::int64_t bytesPerSecond;
        std::chrono::microseconds after;
        std::uint64_t streamed;
    };
    for (const Case c : {Case{115200, 1s, 115200}, Case{115200, 625us, 72}, Case{115200, 624us, 71},
                         Case{5000, 1s, 5000}, Case{5000, 199us, 0}, Case{5000, 1400ms, 7000}}) {
        SCOPED_TRACE(std::to_string(c.bytesPerSecond) + " B/s after " +
                     std::to_string(c.after.count()) + " us");
        ChipRig rig(200000, c.bytesPerSecond);
        rig.RunTo(c.after);
        EXPECT_EQ(rig.chip.Counters().streamed, c.streamed);
    }
}

TEST(EmulatedBridgeListTest, TheLastTwoCommasOfAnItemSeparateItsFields) {
    const BridgeList list = ParseBridgeList("KSL 214,8N, rev 2,TS000001,/c.raw;;no fields;A,,");
    ASSERT_EQ(list.bridges.size(), 2u);
    EXPECT_EQ(list.bridges[0].description, "KSL 214,8N, rev 2");
    EXPECT_EQ(list.bridges[0].serial, "TS000001");
    EXPECT_EQ(list.bridges[0].capturePath, "/c.raw");
    EXPECT_EQ(list.bridges[1].description, "A");
    EXPECT_EQ(list.bridges[1].serial, "");
    EXPECT_EQ(list.rejected, std::vector<std::string>{"no fields"});
}

}  // namespace
}  // namespace ts::emulated
