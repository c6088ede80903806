#include "held_open.h"

#include <filesystem>

namespace ts {

bool HeldOpen(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path wanted = fs::weakly_canonical(path);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == wanted && !error) return true;
    }
    return false;
}

}  // namespace ts
