#include "device/tee_driver.h"

namespace ts {

TeeDriver::~TeeDriver() { CloseCapture(); }

bool TeeDriver::OpenCapture(const std::string& path, bool replace) {
    return capture_.OpenForWriting(path, replace);
}

bool TeeDriver::CloseCapture() {
    if (!capture_.IsOpen()) return healthy_;
    if (!capture_.Close()) healthy_ = false;
    return healthy_;
}

FtStatus TeeDriver::Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                         std::uint32_t& bytesRead) {
    const FtStatus status = inner_.Read(handle, buffer, toRead, bytesRead);
    if (status != kFtOk || !capture_.IsOpen() || !healthy_) return status;
    if (capture_.Write(buffer, bytesRead) != bytesRead) healthy_ = false;
    return status;
}

}  // namespace ts
