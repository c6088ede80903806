#include "platform/file_status.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ts {

bool NamesDevice(const std::string&) { return false; }

bool NothingAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0;
}

bool FileMissing(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MayWriteFile(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool MayCreateIn(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

void RemoveIfEmptyRegularFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0) {
        ::unlink(path.c_str());
    }
}

}  // namespace ts
