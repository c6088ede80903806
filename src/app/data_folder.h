#pragma once

#include <string>

namespace ts {

// The folder a program works in when started from the desktop menu, where the working
// folder is the home folder: $XDG_DATA_HOME/<program>, or ~/.local/share/<program> where
// XDG_DATA_HOME is unset, empty or relative (relative ones are to be ignored). Empty when no
// absolute folder can be made of either.
std::string UserDataFolder(const char* xdgDataHome, const char* home,
                           const std::string& program = "trend-station");

// Creates `folder` and any missing parents, readable by the user only, and makes it the
// working folder. On failure `error` says what went wrong.
bool EnterFolder(const std::string& folder, std::string& error);

}  // namespace ts
