#include "device/frame_check.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "sim/frame_encoder.h"

namespace ts {
namespace {

using Bytes = std::array<std::uint8_t, kFrameSize>;

// Three frames of instrument 1 worked out by hand.
constexpr Bytes kAllZero = {0x84, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40,
                            0x00, 0x00, 0x40, 0x00, 0x00, 0x02, 0x44};
constexpr Bytes kMixed = {0x84, 0x24, 0x34, 0x40, 0x01, 0x02, 0x47,
                          0x03, 0x7D, 0x7F, 0x7E, 0x7F, 0x06, 0x62};
constexpr Bytes kAllHigh = {0x87, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F,
                            0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x0B, 0x7C};

struct Expected {
    Bytes bytes;
    std::uint16_t counter;
    std::array<std::uint16_t, kChannels> values;
};

const Expected kKnownFrames[] = {
    {kAllZero, 0, {0, 0, 0, 0, 0, 0}},
    {kMixed, 0x1234, {1, 2, 3, 1021, 1022, 1023}},
    {kAllHigh, 65535, {1023, 1023, 1023, 1023, 1023, 1023}},
};

TEST(FrameCheck, KnownFramesAreValidAndAssembleTheirFields) {
    for (const Expected& e : kKnownFrames) {
        SCOPED_TRACE(e.counter);
        ASSERT_TRUE(IsValidFrame(e.bytes.data()));
        EXPECT_EQ(FrameInstrument(e.bytes.data()), 1);
        const Sample s = FrameSample(e.bytes.data());
        EXPECT_EQ(s.TimeCounter, e.counter);
        EXPECT_EQ(s.Value, e.values);
        // The encoder the simulator uses must produce the very same bytes.
        EXPECT_EQ(sim::EncodeFrame(1, e.counter, e.values), e.bytes);
    }
}

TEST(FrameCheck, ExchangedChecksumBytesOrAWrongGroupPatternAreRejected) {
    for (const Expected& e : kKnownFrames) {
        Bytes swapped = e.bytes;
        std::swap(swapped[12], swapped[13]);
        EXPECT_FALSE(IsValidFrame(swapped.data()));
        for (std::size_t group : {3u, 6u, 9u}) {
            Bytes bad = e.bytes;
            bad[group] = 0x3F;
            EXPECT_FALSE(IsValidFrame(bad.data())) << "byte " << group;
        }
    }
}

// Every single flipped bit breaks either a bit pattern or the checksum, which
// covers all 14 bits of the sum.
TEST(FrameCheck, EverySingleBitErrorIsRejected) {
    for (const Expected& e : kKnownFrames) {
        for (std::size_t byte = 0; byte < kFrameSize; ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                Bytes bad = e.bytes;
                bad[byte] ^= static_cast<std::uint8_t>(1u << bit);
                EXPECT_FALSE(IsValidFrame(bad.data())) << "byte " << byte << " bit " << bit;
            }
        }
    }
}

TEST(FrameCheck, EncodedFramesOfEveryInstrumentRoundTrip) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> counter(0, 65535), value(0, 1023);
    for (int instrument = 0; instrument < 32; ++instrument) {
        for (int i = 0; i < 50; ++i) {
            std::array<std::uint16_t, kChannels> values;
            for (auto& v : values) v = static_cast<std::uint16_t>(value(rng));
            const auto t = static_cast<std::uint16_t>(counter(rng));
            const sim::Frame f = sim::EncodeFrame(instrument, t, values);
            ASSERT_TRUE(IsValidFrame(f.data()));
            EXPECT_EQ(FrameInstrument(f.data()), instrument);
            const Sample s = FrameSample(f.data());
            EXPECT_EQ(s.TimeCounter, t);
            EXPECT_EQ(s.Value, values);
        }
    }
}

}  // namespace
}  // namespace ts
