#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ts {

// A file as the system knows it, whatever name reaches it: on Linux its device and inode, on
// Windows its volume's serial number and its index on that volume. Two names with one identity
// (a hard link, a symbolic link, "./x" and "x") are one file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the existing file at `path`, symbolic links followed; nothing when nothing is
// there or it cannot be looked at.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The paths of the files in `folder` whose names end with `end` (compared as written), in no
// particular order; none when the folder cannot be read.
std::vector<std::string> FilesEndingWith(const std::string& folder, std::string_view end);

}  // namespace ts
