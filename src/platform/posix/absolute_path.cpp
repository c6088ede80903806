#include "platform/absolute_path.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

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

}  // namespace ts
