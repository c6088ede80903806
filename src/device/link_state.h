#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/driver.h"

namespace ts {

constexpr std::size_t kFrameSize = 14;
constexpr std::size_t kReceiveBufferSize = 65536;
// Only the first eight entries of the driver's list are ever looked at.
constexpr std::uint32_t kMaxListedDevices = 8;

struct LinkState {
    FtHandle DeviceHandle = 0;
    // Identity of the wanted instrument, compared byte for byte.
    std::string DeviceDescription;
    std::string DeviceSerial;

    bool DataReceived = false;
    std::int32_t SilentTicks = 0;
    std::int32_t DeviceNumber = -1;
    bool WrongDeviceLatch = true;

    // Bytes of a frame cut by the end of the last read wait at the front of
    // the buffer for the rest; TailLength of them (always < kFrameSize).
    std::array<std::uint8_t, kReceiveBufferSize> ReceiveBuffer{};
    std::size_t TailLength = 0;
};

}  // namespace ts
