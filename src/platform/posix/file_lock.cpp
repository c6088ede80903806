#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ts {

namespace {

// Tries before giving up on a file that keeps going away under us.
constexpr int kTakeTries = 3;

FileLock::Outcome Failure(std::string& problem, const char* why) {
    problem = why;
    return FileLock::Outcome::Failed;
}

}  // namespace

FileLock::Outcome FileLock::Take(const std::string& path) {
    Release();
    problem_.clear();
    for (int attempt = 0; attempt < kTakeTries; ++attempt) {
        // Never through a link or into a pipe or device: the note is a plain file of ours.
        const int fd = ::open(
            path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0666);
        // O_NOFOLLOW says "too many levels of symbolic links" of a link: say what it is.
        if (fd < 0) {
            return Failure(problem_,
                           errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            return Failure(problem_, "it is not a regular file");
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) return Outcome::HeldElsewhere;
            return Failure(problem_, std::strerror(error));
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
    return Failure(problem_, "it keeps being replaced");
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
