#include "sim/frame_encoder.h"

namespace ts::sim {

Frame EncodeFrame(int instrument, std::uint16_t timeCounter,
                  const std::array<std::uint16_t, kChannels>& values) {
    auto high = [&](int channel) { return static_cast<unsigned>((values[channel] >> 7) & 7u); };
    auto low = [&](int channel) { return static_cast<std::uint8_t>(values[channel] & 0x7Fu); };
    Frame f{};
    f[0] = static_cast<std::uint8_t>(0x80u | ((static_cast<unsigned>(instrument) & 0x1Fu) << 2) |
                                     ((timeCounter >> 14) & 0x03u));
    f[1] = static_cast<std::uint8_t>((timeCounter >> 7) & 0x7Fu);
    f[2] = static_cast<std::uint8_t>(timeCounter & 0x7Fu);
    for (int group = 0; group < 3; ++group) {
        const int first = 2 * group;
        f[3 + 3 * group] = static_cast<std::uint8_t>(0x40u | (high(first) << 3) | high(first + 1));
        f[4 + 3 * group] = low(first);
        f[5 + 3 * group] = low(first + 1);
    }
    unsigned sum = 0;
    for (int i = 0; i < 12; ++i) sum += f[i];
    f[12] = static_cast<std::uint8_t>((sum >> 7) & 0x7Fu);
    f[13] = static_cast<std::uint8_t>(sum & 0x7Fu);
    return f;
}

}  // namespace ts::sim
