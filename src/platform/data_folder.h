#pragma once

#include <string>
#include <string_view>

namespace ts {

// The folder a program works in when started from the desktop menu or the Start menu, where
// the working folder is no place for the settings: on Linux $XDG_DATA_HOME/<program> (or
// ~/.local/share/<program>), on Windows %LOCALAPPDATA%\<program>. Empty when the system names
// no such folder.
std::string UserDataFolder(const std::string& program = "trend-station");

// How a program's help names that folder ("%LOCALAPPDATA%\trend-station"), and what the menu
// starts the program in it with.
std::string UserDataFolderHelp(const std::string& program);
extern const std::string_view kDataFolderStarter;

// Creates `folder` and any missing parents, readable by the user only, and makes it the
// working folder. On failure `error` says what went wrong.
bool EnterFolder(const std::string& folder, std::string& error);

}  // namespace ts
