#include "platform/link_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace ts {

namespace {

// Deeper chains than the kernel itself follows are taken for loops.
constexpr int kMaxLinkDepth = 40;

}  // namespace

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::optional<std::string> LinkTarget(std::string path) {
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::nullopt;
        std::string link(buffer, static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return std::nullopt;
}

}  // namespace ts
