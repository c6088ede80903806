#include "platform/system_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ts {

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// Opens `path` when it is a regular file, or gives -1. Not blocking on open: a named pipe would
// otherwise wait for its other end.
int OpenRegular(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool SystemFile::OpenRegularForReading(const std::string& path) {
    Close();
    handle_ = OpenRegular(path, O_RDONLY);
    return IsOpen();
}

bool SystemFile::OpenForWriting(const std::string& path, bool replace) {
    Close();
    // Not blocking on open: a named pipe without a reader would otherwise freeze the window;
    // it fails instead, and writes block as usual.
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (replace ? O_TRUNC : O_EXCL);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return false;
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    handle_ = fd;
    return true;
}

bool SystemFile::OpenExistingForUpdate(const std::string& path) {
    Close();
    handle_ = OpenRegular(path, O_RDWR);
    if (IsOpen() && ::lseek(Fd(handle_), 0, SEEK_END) < 0) Close();
    return IsOpen();
}

bool SystemFile::OpenExistingForWriting(const std::string& path) {
    Close();
    handle_ = OpenRegular(path, O_WRONLY);
    return IsOpen();
}

std::int64_t SystemFile::Size() const {
    struct stat info {};
    return ::fstat(Fd(handle_), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

bool SystemFile::IsFileAt(const std::string& path) const {
    struct stat held {
    }, named{};
    return ::fstat(Fd(handle_), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

std::ptrdiff_t SystemFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::pread(Fd(handle_), buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        return got;
    }
}

std::ptrdiff_t SystemFile::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(Fd(handle_), buffer, size);
        if (got < 0 && errno == EINTR) continue;
        return got;
    }
}

std::size_t SystemFile::Write(const void* bytes, std::size_t size) {
    const auto* next = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(Fd(handle_), next + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool SystemFile::TruncateAt(std::uint64_t size) {
    const auto end = static_cast<off_t>(size);
    return ::ftruncate(Fd(handle_), end) == 0 && ::lseek(Fd(handle_), end, SEEK_SET) == end;
}

bool SystemFile::SyncData() { return ::fdatasync(Fd(handle_)) == 0 || errno == EINVAL; }

bool SystemFile::OpenSecondHandle(SystemFile& other) const {
    other.Close();
    if (handle_ == kNone) return false;
    const int fd = ::fcntl(Fd(handle_), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return false;
    other.handle_ = fd;
    return true;
}

bool SystemFile::Close() {
    if (handle_ == kNone) return true;
    const bool ok = ::close(Fd(handle_)) == 0;
    handle_ = kNone;
    return ok;
}

}  // namespace ts
