#include "platform/file_identity.h"

#include <dirent.h>
#include <sys/stat.h>

namespace ts {

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

std::vector<std::string> FilesEndingWith(const std::string& folder, std::string_view end) {
    std::vector<std::string> paths;
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return paths;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() > end.size() && name.substr(name.size() - end.size()) == end) {
            paths.push_back(prefix + std::string(name));
        }
    }
    ::closedir(listing);
    return paths;
}

}  // namespace ts
