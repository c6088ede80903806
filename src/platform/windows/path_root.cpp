#include "platform/windows/path_root.h"

namespace ts {

std::size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // A share's root is the server and the share name.
        std::size_t end = path.find_first_of("\\/", 2);
        if (end != std::string::npos) end = path.find_first_of("\\/", end + 1);
        return end == std::string::npos ? path.size() : end + 1;
    }
    if (path.size() >= 2 && path[1] == ':') {
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    }
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

}  // namespace ts
