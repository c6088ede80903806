#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ts {

namespace {

// Tries before giving up on a file that keeps going away under us.
constexpr int kTakeTries = 3;

}  // namespace

FileLock::Outcome FileLock::Take(const std::string& path) {
    Release();
    for (int attempt = 0; attempt < kTakeTries; ++attempt) {
        // Never through a link or into a pipe or device: the note is a plain file of ours.
        const int fd = ::open(
            path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0666);
        if (fd < 0) return Outcome::Failed;
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            return Outcome::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Failed;
        }
        // The holder before us may have removed the file, or a new note replaced it, between
        // our open and our lock: then we hold a file nobody else will look at.
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            handle_ = fd;
            path_ = path;
            return Outcome::Taken;
        }
        ::close(fd);
    }
    return Outcome::Failed;
}

void FileLock::RemoveAndRelease() {
    if (!Held()) return;
    ::unlink(path_.c_str());
    Release();
}

void FileLock::Release() {
    if (!Held()) return;
    ::close(static_cast<int>(handle_));
    handle_ = kNone;
    path_.clear();
}

}  // namespace ts
