#pragma once

#include <string>

namespace ts {

// `path` as the current folder names it now, so that it still names that file after the
// program has moved to another folder. A path that is already absolute stays as it is.
std::string AbsolutePath(const std::string& path);

}  // namespace ts
