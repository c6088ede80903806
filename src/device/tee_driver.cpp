#include "device/tee_driver.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace ts {

TeeDriver::~TeeDriver() { CloseCapture(); }

bool TeeDriver::OpenCapture(const std::string& path, bool replace) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
    fd_ = ::open(path.c_str(), flags, 0666);
    return fd_ >= 0;
}

bool TeeDriver::CloseCapture() {
    if (fd_ < 0) return healthy_;
    if (::close(fd_) != 0) healthy_ = false;
    fd_ = -1;
    return healthy_;
}

FtStatus TeeDriver::Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                         std::uint32_t& bytesRead) {
    const FtStatus status = inner_.Read(handle, buffer, toRead, bytesRead);
    if (status != kFtOk || fd_ < 0 || !healthy_) return status;
    std::size_t done = 0;
    while (done < bytesRead) {
        const ssize_t n = ::write(fd_, buffer + done, bytesRead - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            healthy_ = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return status;
}

}  // namespace ts
