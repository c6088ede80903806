#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/form.h"
#include "base/ui_port.h"
#include "measure/calibration_table.h"
#include "platform/platform.h"

namespace ts {

// The six channels' calibration tables: their files, choosing and loading them, and the
// conversion of raw codes. A table button turns red while its channel has no table.
class CalibrationTables {
public:
    CalibrationTables(Platform& platform, Ui& ui, MeasurementFields& form);

    // Asks for a channel's table file (channel 1..6) and loads it.
    void Choose(int channel);
    // Reads the channel's file again; a file that cannot be read is told in a warning box.
    void Load(int channel);
    // Piecewise-linear conversion of `raw`; 0.0 while the channel has no table.
    double Calibrate(int channel, double raw) const;

    const std::array<std::string, kChannels>& Paths() const { return paths_; }
    // Names the channel's file without reading it.
    void SetPath(int channel, const std::string& path);
    const CalibrationTable& Table(int channel) const;
    // Puts `table` in place of the channel's, as a load of its file would.
    void Use(int channel, const CalibrationTable& table);
    // Locked, the table buttons take no choice (while a recording runs).
    void Lock(bool locked);
    // The lines of the channel's file as last read.
    const std::vector<std::string>& Lines(int channel) const;

private:
    Platform& platform_;
    Ui& ui_;
    MeasurementFields& form_;
    std::array<CalibrationTable, kChannels> tables_{};
    std::array<std::string, kChannels> paths_;
    std::array<std::vector<std::string>, kChannels> lines_;
};

}  // namespace ts
