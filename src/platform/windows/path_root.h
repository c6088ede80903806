#pragma once

#include <cstddef>
#include <string>

namespace ts {

// Whether `c` separates the parts of a Windows path.
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// How much of `path` names its root: "C:\", "C:", "\", "\\server\share\", or nothing.
std::size_t RootLength(const std::string& path);

}  // namespace ts
