#include "platform/same_file.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/link_target.h"

namespace ts {

namespace {

struct Place {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;  // where a file that does not exist yet would be made
};

Place PlaceOf(const std::string& path) {
    Place place;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        place.exists = true;
        place.device = info.st_dev;
        place.inode = info.st_ino;
        return place;
    }
    // A dangling link creates its target.
    const std::string target = LinkTarget(path).value_or(path);
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(target, error);
    const std::filesystem::path normal =
        error ? std::filesystem::path(target) : std::filesystem::weakly_canonical(absolute, error);
    place.path = error ? target : normal.string();
    return place;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const Place first = PlaceOf(a), second = PlaceOf(b);
    if (first.exists != second.exists) return false;
    if (first.exists) return first.device == second.device && first.inode == second.inode;
    return first.path == second.path;
}

}  // namespace ts
