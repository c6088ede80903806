#pragma once

#include <string>

namespace ts {

// $XDG_DATA_HOME/trend-station, or ~/.local/share/trend-station where XDG_DATA_HOME is unset,
// empty or relative (relative ones are to be ignored). Empty when no absolute folder can be
// made of either.
std::string XdgUserDataFolder(const char* xdgDataHome, const char* home);

}  // namespace ts
