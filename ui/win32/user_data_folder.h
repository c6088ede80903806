#pragma once

#include <string>

namespace ts::win32 {

// Started with --user-data (as the installer's shortcut does), the program keeps its files in
// %LOCALAPPDATA%\trend-station: made when missing, and made the working folder. False, with
// `error` saying why, when it cannot be.
bool EnterUserDataFolder(std::string& error);

}  // namespace ts::win32
