#pragma once

#include <string>

namespace ts {

class Station;

// How reading a settings file without the window's fallbacks went.
struct SettingsReadOutcome {
    bool readable = false;  // false: missing, no access, not a regular file
    int badLine = -1;       // first line (from 0) missing or not an integer; -1: all 51 good
    bool Ok() const { return readable && badLine < 0; }
};

// Applies the settings file at `path` to the station line by line, the way
// the window's start does, but shows nothing, writes nothing back and loads
// no table: for a program that must never replace the user's file.
SettingsReadOutcome ApplySettingsFile(Station& station, const std::string& path);

}  // namespace ts
