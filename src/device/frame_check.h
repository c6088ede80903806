#pragma once

#include <cstddef>
#include <cstdint>

#include "base/sample.h"
#include "device/link_state.h"

namespace ts {

// The instrument number that the station wants; frames of any other number are
// a wrong instrument.
constexpr int kWantedInstrument = 1;

// Whether the 14 bytes at `frame` form a frame: only byte 0 has bit 7 set,
// bytes 3, 6 and 9 carry 01 in their top bits, and bytes 12 and 13 hold the
// 14-bit sum of bytes 0 to 11.
inline bool IsValidFrame(const std::uint8_t* frame) {
    if ((frame[0] & 0x80u) == 0) return false;
    const unsigned lowBytes = frame[1] | frame[2] | frame[4] | frame[5] | frame[7] | frame[8] |
                              frame[10] | frame[11] | frame[12] | frame[13];
    if ((lowBytes & 0x80u) != 0) return false;
    if ((frame[3] & 0xC0u) != 0x40u || (frame[6] & 0xC0u) != 0x40u || (frame[9] & 0xC0u) != 0x40u) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < 12; ++i) sum += frame[i];
    return frame[12] == ((sum >> 7) & 0x7Fu) && frame[13] == (sum & 0x7Fu);
}

inline int FrameInstrument(const std::uint8_t* frame) { return (frame[0] >> 2) & 0x1F; }

// The time stamp and the six 10-bit readings of a valid frame.
inline Sample FrameSample(const std::uint8_t* frame) {
    auto value = [](unsigned high, std::uint8_t low) {
        return static_cast<std::uint16_t>(((high & 7u) << 7) | low);
    };
    Sample s;
    s.TimeCounter =
        static_cast<std::uint16_t>(((frame[0] & 0x03u) << 14) | (frame[1] << 7) | frame[2]);
    for (int group = 0; group < 3; ++group) {
        const std::uint8_t* g = frame + 3 + 3 * group;
        s.Value[2 * group] = value(g[0] >> 3, g[1]);
        s.Value[2 * group + 1] = value(g[0], g[2]);
    }
    return s;
}

// Looks for a valid frame among `length` bytes, trying every start position
// from `from` on, one byte at a time. Returns its start p with p + 14 <=
// length; when there is none, returns the first start position that has fewer
// than 14 bytes behind it (never less than `from`): the bytes from there on
// may still begin a frame that the next read completes.
std::size_t FindFrame(const std::uint8_t* bytes, std::size_t length, std::size_t from);

}  // namespace ts
