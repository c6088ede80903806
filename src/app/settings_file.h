#pragma once

#include <string>
#include <vector>

#include "base/form.h"
#include "base/ui_port.h"
#include "platform/platform.h"

namespace ts {

class CalibrationTables;
class InstrumentLink;
class LiveChart;

// The parts whose choices Settings.bin keeps, each giving and taking its own lines.
struct SettingsParts {
    Form& form;
    InstrumentLink& link;
    CalibrationTables& tables;
    LiveChart& chart;
};

// How reading a settings file without the window's fallbacks went.
struct SettingsReadOutcome {
    bool readable = false;  // false: missing, no access, not a regular file
    int badLine = -1;       // first line (from 0) missing or not an integer; -1: all 51 good
    bool Ok() const { return readable && badLine < 0; }
};

// Applies the settings file at `path` to the parts line by line, the way the window's start
// does, but shows nothing, writes nothing back and loads no table: for a program that must
// never replace the user's file.
SettingsReadOutcome ApplySettingsFile(const SettingsParts& parts, const std::string& path);

// Settings.bin in the program's folder: read at the start (with the tables it names), written
// whenever a kept choice changes and at the close.
class SettingsStore {
public:
    SettingsStore(Platform& platform, Ui& ui, SettingsParts parts);

    void Load();
    void Save();
    // The folder of Settings.bin: the current one, taken by Load.
    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& directory) { directory_ = directory; }
    // The 51 lines as last read or written, text lines in UTF-8.
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    Platform& platform_;
    Ui& ui_;
    SettingsParts parts_;
    std::string directory_;
    std::vector<std::string> lines_;
};

}  // namespace ts
