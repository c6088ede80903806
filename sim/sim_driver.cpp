#include "sim/sim_driver.h"

#include <algorithm>
#include <cstring>

namespace ts::sim {

int SimDriver::AddDevice(std::string description, std::string serial) {
    SimDevice device;
    device.description = std::move(description);
    device.serial = std::move(serial);
    devices_.push_back(std::move(device));
    return static_cast<int>(devices_.size()) - 1;
}

void SimDriver::Unplug(int id) {
    SimDevice& device = Device(id);
    device.plugged = false;
    // A handle of an unplugged device is dead for good, even once the device
    // is back: it has to be opened again.
    device.open = false;
    ++device.generation;
    device.queueHead = device.queueSize = 0;
}

void SimDriver::Plug(int id) { Device(id).plugged = true; }

void SimDriver::Feed(int id, std::span<const std::uint8_t> bytes) {
    SimDevice& device = Device(id);
    if (!device.plugged || !device.open) return;
    if (device.queue.empty()) device.queue.resize(kQueueCapacity);
    for (std::uint8_t byte : bytes) {
        if (device.queueSize == kQueueCapacity) {
            ++device.queueOverflowBytes;
            continue;
        }
        device.queue[(device.queueHead + device.queueSize) % kQueueCapacity] = byte;
        ++device.queueSize;
    }
}

int SimDriver::TotalCalls() const {
    int total = 0;
    for (int c : calls_) total += c;
    return total;
}

bool SimDriver::Begin(DriverOp op) {
    ++calls_[Index(op)];
    int& failures = failures_[Index(op)];
    if (failures == 0) return false;
    if (failures > 0) --failures;
    return true;
}

int SimDriver::DeviceOfHandle(FtHandle handle) const {
    for (const OpenHandle& h : handles_) {
        if (h.handle == handle) return h.device;
    }
    return -1;
}

SimDevice* SimDriver::Usable(FtHandle handle) {
    for (const OpenHandle& h : handles_) {
        if (h.handle != handle) continue;
        SimDevice& device = Device(h.device);
        return device.plugged && h.generation == device.generation ? &device : nullptr;
    }
    return nullptr;
}

int SimDriver::ListedDevice(std::uint32_t index) const {
    return index < list_.size() ? list_[index] : -1;
}

FtStatus SimDriver::CreateDeviceInfoList(std::uint32_t& count) {
    if (Begin(DriverOp::CreateDeviceInfoList)) return kFtError;
    list_.clear();
    for (int id = 0; id < DeviceCount(); ++id) {
        if (devices_[static_cast<std::size_t>(id)].plugged) list_.push_back(id);
    }
    count = static_cast<std::uint32_t>(list_.size());
    return kFtOk;
}

FtStatus SimDriver::GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                        char (&description)[kDescriptionBufferSize]) {
    if (Begin(DriverOp::GetDeviceInfoDetail)) return kFtError;
    const int id = ListedDevice(index);
    if (id < 0 || !Device(id).plugged || !Device(id).detailsReadable) return kFtError;
    const SimDevice& device = Device(id);
    // Like the real driver: truncated to the buffer, always terminated.
    std::memset(serial, 0, sizeof serial);
    std::memset(description, 0, sizeof description);
    std::memcpy(serial, device.serial.data(), std::min(device.serial.size(), sizeof serial - 1));
    std::memcpy(description, device.description.data(),
                std::min(device.description.size(), sizeof description - 1));
    return kFtOk;
}

FtStatus SimDriver::Open(std::uint32_t index, FtHandle& handle) {
    if (Begin(DriverOp::Open)) return kFtError;
    const int id = ListedDevice(index);
    if (id < 0) return kFtError;
    SimDevice& device = Device(id);
    if (!device.plugged || device.inUseElsewhere || device.open) return kFtError;
    device.open = true;
    device.config = LineConfig{};
    device.queueHead = device.queueSize = 0;
    handle = nextHandle_++;
    handles_.push_back(
        {handle, id, device.generation, {device.chipOverruns, device.queueOverflowBytes}});
    return kFtOk;
}

FtStatus SimDriver::Close(FtHandle handle) {
    if (Begin(DriverOp::Close)) return kFtError;
    auto it = std::find_if(handles_.begin(), handles_.end(),
                           [&](const OpenHandle& h) { return h.handle == handle; });
    if (it == handles_.end()) return kFtError;
    SimDevice& device = Device(it->device);
    // Closing a handle that died with an unplug leaves a reopened device alone.
    if (it->generation == device.generation) {
        device.open = false;
        device.queueHead = device.queueSize = 0;
    }
    handles_.erase(it);
    return kFtOk;
}

FtStatus SimDriver::ResetDevice(FtHandle handle) {
    if (Begin(DriverOp::ResetDevice)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    device->config.reset = true;
    device->queueHead = device->queueSize = 0;
    return kFtOk;
}

FtStatus SimDriver::SetBaudRate(FtHandle handle, std::uint32_t baud) {
    if (Begin(DriverOp::SetBaudRate)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    device->config.baud = baud;
    return kFtOk;
}

FtStatus SimDriver::SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                           std::uint8_t stopBits, std::uint8_t parity) {
    if (Begin(DriverOp::SetDataCharacteristics)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    device->config.wordLength = wordLength;
    device->config.stopBits = stopBits;
    device->config.parity = parity;
    return kFtOk;
}

FtStatus SimDriver::SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    if (Begin(DriverOp::SetTimeouts)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    device->config.readTimeout = readMs;
    device->config.writeTimeout = writeMs;
    return kFtOk;
}

FtStatus SimDriver::SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t,
                                   std::uint8_t) {
    if (Begin(DriverOp::SetFlowControl)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    device->config.flow = flow;
    return kFtOk;
}

FtStatus SimDriver::GetStatus(FtHandle handle, std::uint32_t& rxBytes) {
    if (Begin(DriverOp::GetStatus)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    rxBytes = static_cast<std::uint32_t>(device->queueSize);
    return kFtOk;
}

FtStatus SimDriver::Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                         std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (Begin(DriverOp::Read)) return kFtError;
    SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    const std::size_t n =
        std::min<std::size_t>({toRead, device->queueSize, static_cast<std::size_t>(maxReadChunk_)});
    for (std::size_t i = 0; i < n; ++i) {
        buffer[i] = device->queue[(device->queueHead + i) % kQueueCapacity];
    }
    device->queueHead = (device->queueHead + n) % kQueueCapacity;
    device->queueSize -= n;
    device->bytesDelivered += n;
    bytesRead = static_cast<std::uint32_t>(n);
    return kFtOk;
}

FtStatus SimDriver::GetLosses(FtHandle handle, DriverLosses& losses) {
    const SimDevice* device = Usable(handle);
    if (device == nullptr) return kFtError;
    const auto h = std::find_if(handles_.begin(), handles_.end(),
                                [&](const OpenHandle& open) { return open.handle == handle; });
    losses.chipOverruns = device->chipOverruns - h->lossesAtOpen.chipOverruns;
    losses.queueOverflowBytes = device->queueOverflowBytes - h->lossesAtOpen.queueOverflowBytes;
    return kFtOk;
}

}  // namespace ts::sim
