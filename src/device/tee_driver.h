#pragma once

#include <string>

#include "device/driver.h"
#include "platform/system_file.h"

namespace ts {

// Passes every operation to another driver and copies each byte read into a
// raw capture file, so a session can be replayed later.
class TeeDriver final : public Driver {
public:
    explicit TeeDriver(Driver& inner) : inner_(inner) {}
    ~TeeDriver() override;
    TeeDriver(const TeeDriver&) = delete;
    TeeDriver& operator=(const TeeDriver&) = delete;

    // Creates or empties the capture file; false when it cannot be written.
    bool OpenCapture(const std::string& path, bool replace);
    // False once a write to the capture has failed.
    bool CaptureHealthy() const { return healthy_; }
    bool CloseCapture();

    FtStatus CreateDeviceInfoList(std::uint32_t& count) override {
        return inner_.CreateDeviceInfoList(count);
    }
    FtStatus GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                 char (&description)[kDescriptionBufferSize]) override {
        return inner_.GetDeviceInfoDetail(index, serial, description);
    }
    FtStatus Open(std::uint32_t index, FtHandle& handle) override {
        return inner_.Open(index, handle);
    }
    FtStatus Close(FtHandle handle) override { return inner_.Close(handle); }
    FtStatus ResetDevice(FtHandle handle) override { return inner_.ResetDevice(handle); }
    FtStatus SetBaudRate(FtHandle handle, std::uint32_t baud) override {
        return inner_.SetBaudRate(handle, baud);
    }
    FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override {
        return inner_.SetDataCharacteristics(handle, wordLength, stopBits, parity);
    }
    FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override {
        return inner_.SetTimeouts(handle, readMs, writeMs);
    }
    FtStatus SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t xon,
                            std::uint8_t xoff) override {
        return inner_.SetFlowControl(handle, flow, xon, xoff);
    }
    FtStatus GetStatus(FtHandle handle, std::uint32_t& rxBytes) override {
        return inner_.GetStatus(handle, rxBytes);
    }
    FtStatus Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                  std::uint32_t& bytesRead) override;
    FtStatus GetLosses(FtHandle handle, DriverLosses& losses) override {
        return inner_.GetLosses(handle, losses);
    }

private:
    Driver& inner_;
    SystemFile capture_;
    bool healthy_ = true;
};

}  // namespace ts
