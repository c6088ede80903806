#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/link_target.h"
#include "platform/system_file.h"

namespace ts {

namespace {

// Closes a descriptor when it goes out of scope unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded: on some file
    // systems a write error only shows here.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A fresh name in the folder of `target`, unique within this process and
// unlikely to meet another's; creation with O_EXCL settles any clash.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.find_last_of('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    return FolderOf(target) + "/." + base + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

bool WriteInPlace(const std::string& target, std::string_view bytes) {
    SystemFile file;
    if (!file.OpenExistingForWriting(target)) return false;
    if (file.Write(bytes.data(), bytes.size()) != bytes.size()) return false;
    if (!file.TruncateAt(bytes.size()) || !file.SyncData()) return false;
    return file.Close();
}

enum class TemporaryOutcome { Written, NoTemporaryAllowed, Failed };

TemporaryOutcome WriteThroughTemporary(const std::string& target, std::string_view bytes,
                                       const struct stat* existing) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target);
        // 0666 less the umask, as a newly created file would get.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        return errno == EACCES || errno == EPERM || errno == EROFS
                   ? TemporaryOutcome::NoTemporaryAllowed
                   : TemporaryOutcome::Failed;
    }
    Descriptor file(fd);

    bool ok = true;
    if (existing != nullptr) {
        // Owner and group may only be kept where we are allowed to set them.
        if (::fchown(file.get(), existing->st_uid, existing->st_gid) != 0) {
            // Not fatal: the file then belongs to us, as any file we write does.
        }
        ok = ::fchmod(file.get(), existing->st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return TemporaryOutcome::Failed;
    }
    // The rename itself reaches the disk with the folder.
    Descriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
    return TemporaryOutcome::Written;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::optional<std::string> link = LinkTarget(path);
    if (!link) return false;
    const std::string& target = *link;

    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) return false;
    // A rename needs leave of the folder only, not of the file: it would replace, without a
    // word, a file made read-only (root included) or one that we may not write.
    if (exists &&
        (!(info.st_mode & 0222) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
        return false;
    }
    // A rename would give the other names of a hard-linked file the old contents, and a file
    // of another user that we may write would become ours.
    if (exists && (info.st_nlink > 1 || info.st_uid != ::geteuid())) {
        return WriteInPlace(target, bytes);
    }

    switch (WriteThroughTemporary(target, bytes, exists ? &info : nullptr)) {
        case TemporaryOutcome::Written:
            return true;
        case TemporaryOutcome::NoTemporaryAllowed:
            return exists && WriteInPlace(target, bytes);
        case TemporaryOutcome::Failed:
            break;
    }
    return false;
}

}  // namespace ts
