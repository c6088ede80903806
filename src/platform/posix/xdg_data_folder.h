#pragma once

#include <string>

namespace ts {

// $XDG_DATA_HOME/<program>, or ~/.local/share/<program> where XDG_DATA_HOME is unset, empty or
// relative (relative ones are to be ignored). Empty when no absolute folder can be made of
// either.
std::string XdgUserDataFolder(const char* xdgDataHome, const char* home,
                              const std::string& program = "trend-station");

}  // namespace ts
