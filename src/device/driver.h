#pragma once

#include <cstddef>
#include <cstdint>

#include "device/line_rate.h"

namespace ts {

// Status of a bridge operation: 0 is success, anything else is failure and
// callers treat every failure alike.
using FtStatus = int;
constexpr FtStatus kFtOk = 0;
constexpr FtStatus kFtError = 1;

// Opaque handle of an open bridge; 0 means "none open".
using FtHandle = std::uintptr_t;

// Buffer sizes of the device details, terminating zero included.
constexpr std::size_t kSerialBufferSize = 16;
constexpr std::size_t kDescriptionBufferSize = 64;

// What an open bridge lost before its bytes could be read, counted from its open. Not
// something the vendor's library tells; drivers that cannot know report zeros.
struct DriverLosses {
    // Packets whose status said the bridge chip's receive buffer had overflowed: each one
    // stands for at least one byte lost in the chip.
    std::uint64_t chipOverruns = 0;
    // Bytes dropped because our own receive queue was full.
    std::uint64_t queueOverflowBytes = 0;
};

// The eleven operations of the USB-serial bridge that the station uses, and the loss report.
// All are called from the user-interface thread only, never two at once.
class Driver {
public:
    virtual ~Driver() = default;

    // Builds the device list; indexes 0 .. count-1 are valid afterwards.
    virtual FtStatus CreateDeviceInfoList(std::uint32_t& count) = 0;
    // Zero-terminated serial (at most 15 characters) and description (at most 63).
    virtual FtStatus GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                         char (&description)[kDescriptionBufferSize]) = 0;
    // Success means the device is free for this program.
    virtual FtStatus Open(std::uint32_t index, FtHandle& handle) = 0;
    virtual FtStatus Close(FtHandle handle) = 0;
    virtual FtStatus ResetDevice(FtHandle handle) = 0;
    virtual FtStatus SetBaudRate(FtHandle handle, std::uint32_t baud) = 0;
    virtual FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                            std::uint8_t stopBits, std::uint8_t parity) = 0;
    virtual FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual FtStatus SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t xon,
                                    std::uint8_t xoff) = 0;
    // Number of received bytes waiting in the receive queue.
    virtual FtStatus GetStatus(FtHandle handle, std::uint32_t& rxBytes) = 0;
    // Copies up to `toRead` waiting bytes; `bytesRead` tells how many were copied.
    virtual FtStatus Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                          std::uint32_t& bytesRead) = 0;
    // Losses of the device behind `handle` since its open. Fails for a handle that is not open;
    // a driver may go on answering for a device that has gone until its handle is closed.
    virtual FtStatus GetLosses(FtHandle handle, DriverLosses& losses) {
        (void)handle;
        losses = {};
        return kFtOk;
    }
};

// Line settings applied to the instrument, at kInstrumentBaud.
constexpr std::uint8_t kBits8 = 8;
constexpr std::uint8_t kStopBits1 = 0;
constexpr std::uint8_t kParityNone = 0;
constexpr std::uint16_t kFlowNone = 0;

}  // namespace ts
