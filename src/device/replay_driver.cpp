#include "device/replay_driver.h"

#include <algorithm>
#include <cstring>

namespace ts {

namespace {

void CopyField(const std::string& text, char* out, std::size_t size) {
    std::memset(out, 0, size);
    std::memcpy(out, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

ReplayDriver::ReplayDriver(std::size_t chunk) : chunk_(std::max<std::size_t>(chunk, 1)) {}

ReplayDriver::~ReplayDriver() = default;

bool ReplayDriver::OpenCapture(const std::string& path) {
    // Only a regular file is a capture; a pipe or a device could block for ever.
    return capture_.OpenRegularForReading(path);
}

void ReplayDriver::Refill() {
    offset_ = 0;
    pending_ = 0;
    while (!atEnd_ && pending_ < chunk_.size()) {
        const std::ptrdiff_t got =
            capture_.Read(chunk_.data() + pending_, chunk_.size() - pending_);
        if (got <= 0) {
            atEnd_ = true;  // a read error ends the replay like the end of the file
            break;
        }
        pending_ += static_cast<std::size_t>(got);
    }
}

FtStatus ReplayDriver::CreateDeviceInfoList(std::uint32_t& count) {
    count = 1;
    return kFtOk;
}

FtStatus ReplayDriver::GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                           char (&description)[kDescriptionBufferSize]) {
    if (index != 0) return kFtError;
    CopyField(serial_, serial, sizeof serial);
    CopyField(description_, description, sizeof description);
    return kFtOk;
}

FtStatus ReplayDriver::Open(std::uint32_t index, FtHandle& handle) {
    if (index != 0 || open_ || !capture_.IsOpen()) return kFtError;
    open_ = true;
    handle = kHandle;
    return kFtOk;
}

FtStatus ReplayDriver::Close(FtHandle handle) {
    if (!Valid(handle)) return kFtError;
    open_ = false;
    return kFtOk;
}

FtStatus ReplayDriver::ResetDevice(FtHandle handle) { return Valid(handle) ? kFtOk : kFtError; }

FtStatus ReplayDriver::SetBaudRate(FtHandle handle, std::uint32_t) {
    return Valid(handle) ? kFtOk : kFtError;
}

FtStatus ReplayDriver::SetDataCharacteristics(FtHandle handle, std::uint8_t, std::uint8_t,
                                              std::uint8_t) {
    return Valid(handle) ? kFtOk : kFtError;
}

FtStatus ReplayDriver::SetTimeouts(FtHandle handle, std::uint32_t, std::uint32_t) {
    return Valid(handle) ? kFtOk : kFtError;
}

FtStatus ReplayDriver::SetFlowControl(FtHandle handle, std::uint16_t, std::uint8_t, std::uint8_t) {
    return Valid(handle) ? kFtOk : kFtError;
}

FtStatus ReplayDriver::GetStatus(FtHandle handle, std::uint32_t& rxBytes) {
    if (!Valid(handle)) return kFtError;
    // A new poll after the last one drained everything: the next chunk has arrived.
    if (pending_ == 0) Refill();
    rxBytes = static_cast<std::uint32_t>(pending_);
    return kFtOk;
}

FtStatus ReplayDriver::Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                            std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (!Valid(handle)) return kFtError;
    const std::size_t n = std::min<std::size_t>(toRead, pending_);
    std::memcpy(buffer, chunk_.data() + offset_, n);
    offset_ += n;
    pending_ -= n;
    delivered_ += n;
    bytesRead = static_cast<std::uint32_t>(n);
    return kFtOk;
}

}  // namespace ts
