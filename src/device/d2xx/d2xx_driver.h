#pragma once

#include <memory>
#include <string>

#include "device/driver.h"

namespace ts {

// The full path of the vendor's library. Its driver installs it in the system folder, where
// only an administrator can put a file, and it is loaded from there alone: the program, often
// run as administrator for the re-enumeration, may lie in a folder users can write into, and
// its working folder holds the user's files. The emulated library that the tests and the
// demonstration lay beside the program is taken from there only when asked for by name: the
// environment names its bridges (TS_EMULATED_BRIDGES is set, even empty). Its mere presence
// there asks for nothing.
std::wstring D2xxLibraryPath();

// The bridge operations on the vendor's D2XX library, loaded when the driver is made. Without
// the library (or with one that lacks any of the eleven functions) the driver still exists and
// every operation fails, so the program starts and finds no instrument; LibraryMissing tells
// it to say why, once.
class D2xxDriver final : public Driver {
public:
    // `library` is the full path of the library to load; nothing else is searched for it.
    explicit D2xxDriver(const std::wstring& library = D2xxLibraryPath());
    ~D2xxDriver() override;
    D2xxDriver(const D2xxDriver&) = delete;
    D2xxDriver& operator=(const D2xxDriver&) = delete;

    bool LibraryMissing() const { return functions_ == nullptr; }

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
    // The vendor's library tells of no losses: the inherited report of zeros stands.

private:
    struct Functions;

    void* library_ = nullptr;
    std::unique_ptr<const Functions> functions_;
};

}  // namespace ts
