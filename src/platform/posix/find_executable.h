#pragma once

#include <string>
#include <string_view>

namespace ts {

// The file a program name of a command line runs: a name holding a slash as
// given; otherwise the first executable file of that name in `ownFolder`, then
// in the programs' private tools folder beside it (where an installation puts
// them), then in the absolute folders of `searchPath` (a PATH value). Never the
// current folder, where anyone could leave a file of the tool's name. Empty
// when there is none.
std::string FindExecutable(const std::string& name, const std::string& ownFolder,
                           std::string_view searchPath);

// The folder this program's executable lies in; empty when unknown.
std::string OwnFolder();

}  // namespace ts
