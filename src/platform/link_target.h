#pragma once

#include <optional>
#include <string>

namespace ts {

// The folder part of `path`: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// The file a chain of symbolic links starting at `path` ends at (which need not exist yet);
// `path` itself when it is no link. Nothing when the chain is too long or a link cannot be read.
std::optional<std::string> LinkTarget(std::string path);

}  // namespace ts
