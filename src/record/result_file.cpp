#include "record/result_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ts {

namespace {

// Special files (a terminal, /dev/null) cannot be synced; that is no failure
// of the data.
bool SyncData(int fd) { return ::fdatasync(fd) == 0 || errno == EINVAL; }

}  // namespace

ResultFile::~ResultFile() { Close(); }

bool ResultFile::Open(const std::string& path) {
    Close();
    // Not blocking on open: a named pipe without a reader would otherwise
    // freeze the window; it fails instead, and writes block as usual.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return false;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    end_ = 0;
    used_ = 0;
    linesAppended_ = 0;
    return true;
}

bool ResultFile::Append(std::string_view line) {
    if (fd_ < 0) return false;
    ++linesAppended_;
    bool ok = true;
    if (line.size() > buffer_.size() - used_) ok = Flush();
    if (line.size() > buffer_.size()) return WriteWhole(line.data(), line.size()) && ok;
    std::memcpy(buffer_.data() + used_, line.data(), line.size());
    used_ += line.size();
    return ok;
}

bool ResultFile::Flush() {
    if (fd_ < 0) return false;
    if (used_ == 0) return true;
    const std::size_t size = used_;
    used_ = 0;
    return WriteWhole(buffer_.data(), size);
}

bool ResultFile::WriteWhole(const char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    if (done == size) {
        end_ += size;
        return true;
    }
    // Keep the lines that arrived whole and cut the file after the last of
    // them, so that the next line begins a line of its own.
    std::size_t whole = done;
    while (whole > 0 && bytes[whole - 1] != '\n') --whole;
    end_ += whole;
    if (whole != done) {
        const auto end = static_cast<off_t>(end_);
        // Best effort: the write has failed already, and the caller reports that.
        if (::ftruncate(fd_, end) == 0) ::lseek(fd_, end, SEEK_SET);
    }
    return false;
}

bool ResultFile::Sync() { return Flush() && SyncData(fd_); }

bool ResultFile::Close() {
    if (fd_ < 0) return true;
    bool ok = Flush();
    ok = SyncData(fd_) && ok;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    end_ = 0;
    used_ = 0;
    return ok;
}

}  // namespace ts
