#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/driver.h"

namespace ts::sim {

enum class DriverOp {
    CreateDeviceInfoList,
    GetDeviceInfoDetail,
    Open,
    Close,
    ResetDevice,
    SetBaudRate,
    SetDataCharacteristics,
    SetTimeouts,
    SetFlowControl,
    GetStatus,
    Read,
};
constexpr int kDriverOpCount = 11;

// Line configuration a virtual device received, for tests to inspect.
struct LineConfig {
    bool reset = false;
    std::uint32_t baud = 0;
    std::uint8_t wordLength = 0, stopBits = 0xFF, parity = 0xFF;
    std::uint32_t readTimeout = 0xFFFFFFFF, writeTimeout = 0xFFFFFFFF;
    std::uint16_t flow = 0xFFFF;
};

struct SimDevice {
    std::string description;
    std::string serial;
    bool plugged = true;
    bool inUseElsewhere = false;  // held by another program: Open fails
    bool detailsReadable = true;  // false: GetDeviceInfoDetail fails for it
    bool open = false;
    int generation = 0;  // counts unplugs; handles of an earlier one are dead
    LineConfig config;
    // Receive queue of the open device, fixed capacity like the real driver's.
    std::vector<std::uint8_t> queue;
    std::size_t queueHead = 0, queueSize = 0;
    std::uint64_t bytesDelivered = 0;
    // Losses over the device's life; a handle reports what happened since its open.
    std::uint64_t queueOverflowBytes = 0;  // bytes fed while the queue was full
    std::uint64_t chipOverruns = 0;        // raised by tests, as the chip's status flags would
};

// Virtual USB-serial bridges. Devices appear in the driver's list in the order
// they were added, skipping unplugged ones. Any operation can be made to fail.
class SimDriver final : public Driver {
public:
    static constexpr std::size_t kQueueCapacity = 1 << 20;

    // Returns the device id (not its list index).
    int AddDevice(std::string description, std::string serial);
    SimDevice& Device(int id) { return devices_[static_cast<std::size_t>(id)]; }
    int DeviceCount() const { return static_cast<int>(devices_.size()); }

    void Unplug(int id);
    void Plug(int id);
    // Bytes arriving from the instrument; lost unless the device is open.
    void Feed(int id, std::span<const std::uint8_t> bytes);

    // The next `times` calls of `op` fail; negative: fail until told otherwise.
    void FailNext(DriverOp op, int times = 1) { failures_[Index(op)] = times; }
    void StopFailing(DriverOp op) { failures_[Index(op)] = 0; }
    int Calls(DriverOp op) const { return calls_[Index(op)]; }
    int TotalCalls() const;
    void ResetCallCounts() { calls_.fill(0); }
    // At most this many bytes are returned by one Read (short reads).
    void SetMaxReadChunk(std::uint32_t bytes) { maxReadChunk_ = bytes; }
    // Id of the device behind an open handle, or -1.
    int DeviceOfHandle(FtHandle handle) const;

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
    static constexpr int Index(DriverOp op) { return static_cast<int>(op); }
    // Counts the call and tells whether it is to fail.
    bool Begin(DriverOp op);
    SimDevice* Usable(FtHandle handle);
    int ListedDevice(std::uint32_t index) const;

    std::vector<SimDevice> devices_;
    std::vector<int> list_;  // snapshot taken by CreateDeviceInfoList
    struct OpenHandle {
        FtHandle handle;
        int device;
        int generation;
        DriverLosses lossesAtOpen;
    };
    std::vector<OpenHandle> handles_;
    FtHandle nextHandle_ = 0x100;
    std::array<int, kDriverOpCount> failures_{};
    std::array<int, kDriverOpCount> calls_{};
    std::uint32_t maxReadChunk_ = 0xFFFFFFFF;
};

}  // namespace ts::sim
