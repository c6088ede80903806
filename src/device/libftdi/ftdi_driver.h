#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/driver.h"

struct ftdi_context;
struct ftdi_device_list;
struct libusb_device;

namespace ts {

// Where the kernel shows USB devices and processes; tests point these at a tree of their own.
struct SystemRoots {
    std::string usbDevices = "/sys/bus/usb/devices";
    std::string proc = "/proc";
};

// The bridge operations on libftdi1. Every open device gets its own libftdi context and a reader
// that keeps USB transfers queued into a receive queue, so Read and GetStatus never touch USB.
class FtdiDriver final : public Driver {
public:
    explicit FtdiDriver(SystemRoots roots = {});
    ~FtdiDriver() override;
    FtdiDriver(const FtdiDriver&) = delete;
    FtdiDriver& operator=(const FtdiDriver&) = delete;

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
    FtStatus GetLosses(FtHandle handle, DriverLosses& losses) override;

private:
    class Device;

    Device* Find(FtHandle handle) const;
    void FreeList();

    const SystemRoots roots_;
    // Context used only for listing and reading descriptors; open devices never depend on it,
    // so the list can be rebuilt while devices stay open.
    ftdi_context* listContext_ = nullptr;
    ftdi_device_list* list_ = nullptr;
    std::vector<libusb_device*> listed_;
    std::vector<std::unique_ptr<Device>> open_;
};

}  // namespace ts
