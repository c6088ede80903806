#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ts {

// What the system says of an existing name, asked through a handle opened for its attributes
// only: folders included (backup semantics), any sharing allowed, and symbolic links followed
// unless `followLinks` is false. Nothing when it cannot be opened; GetLastError() says why.
std::optional<BY_HANDLE_FILE_INFORMATION> QueryFile(const std::string& path,
                                                    bool followLinks = true);

// Whether the last error says that the name, or a folder on its way, does not exist.
bool LastErrorIsNotFound();

}  // namespace ts
