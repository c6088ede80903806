#include "device/frame_check.h"

namespace ts {

std::size_t FindFrame(const std::uint8_t* bytes, std::size_t length, std::size_t from) {
    // Start positions below `whole` have a complete frame's worth of bytes behind them.
    const std::size_t whole = length >= kFrameSize ? length - kFrameSize + 1 : 0;
    std::size_t p = from;
    for (; p < whole; ++p) {
        // Only a frame's first byte has bit 7 set: most positions fail at once.
        if ((bytes[p] & 0x80u) != 0 && IsValidFrame(bytes + p)) return p;
    }
    return p;
}

}  // namespace ts
