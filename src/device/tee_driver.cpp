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
    std::size_t done = 0;
    while (done < bytesRead) {
        const std::ptrdiff_t n = capture_.Write(buffer + done, bytesRead - done);
        if (n < 0) {
            healthy_ = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return status;
}

}  // namespace ts
