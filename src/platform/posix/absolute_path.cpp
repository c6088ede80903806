#include "platform/absolute_path.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/link_target.h"

namespace ts {

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return path;
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data()) + "/" + path;
}

std::string PathBeside(const std::string& file, const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    return FolderOf(file) + "/" + path;
}

}  // namespace ts
