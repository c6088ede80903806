#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/driver.h"
#include "platform/system_file.h"

namespace ts {

// A bridge whose one device plays back a capture of raw instrument bytes:
// each poll finds the next `chunk` bytes waiting, as if they had arrived
// since the poll before. The device carries the identity the program looks
// for, so the ordinary open finds it.
class ReplayDriver final : public Driver {
public:
    explicit ReplayDriver(std::size_t chunk);
    ~ReplayDriver() override;
    ReplayDriver(const ReplayDriver&) = delete;
    ReplayDriver& operator=(const ReplayDriver&) = delete;

    // The identity the device reports, so that the program's open finds it.
    void SetIdentity(std::string description, std::string serial) {
        description_ = std::move(description);
        serial_ = std::move(serial);
    }
    // Opens the capture; false when it cannot be read.
    bool OpenCapture(const std::string& path);
    // True once every byte of the capture has been handed out.
    bool Finished() const { return atEnd_ && pending_ == 0; }
    std::uint64_t BytesDelivered() const { return delivered_; }

    FtStatus CreateDeviceInfoList(std::uint32_t& count) override;
    FtStatus GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                 char (&description)[kDescriptionBufferSize]) override;
    FtStatus Open(std::uint32_t index, FtHandle& handle) override;
    FtStatus Close(FtHandle handle) override;
    FtStatus ResetDevice(FtHandle handle) override;
    FtStatus SetBaudRate(FtHandle handle, std::uint32_t baud) override;
    FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtStatus SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t xon,
                            std::uint8_t xoff) override;
    FtStatus GetStatus(FtHandle handle, std::uint32_t& rxBytes) override;
    FtStatus Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                  std::uint32_t& bytesRead) override;

private:
    static constexpr FtHandle kHandle = 1;
    bool Valid(FtHandle handle) const { return open_ && handle == kHandle; }
    void Refill();

    std::string description_;
    std::string serial_;
    SystemFile capture_;
    bool open_ = false;
    bool atEnd_ = false;
    std::vector<std::uint8_t> chunk_;  // sized once
    std::size_t pending_ = 0;          // bytes of chunk_ not yet read
    std::size_t offset_ = 0;           // first unread byte in chunk_
    std::uint64_t delivered_ = 0;
};

}  // namespace ts
