#include "base/texts.h"
#include "measure/calibration_tables.h"
#include "measure/table_file.h"
#include "measure/table_parser.h"

namespace ts {

CalibrationTables::CalibrationTables(Platform& platform, Ui& ui, MeasurementFields& form)
    : platform_(platform), ui_(ui), form_(form) {}

double CalibrationTables::Calibrate(int channel, double raw) const {
    return CalibrateValue(Table(channel), raw);
}

const CalibrationTable& CalibrationTables::Table(int channel) const {
    return tables_[static_cast<std::size_t>(channel - 1)];
}

void CalibrationTables::Use(int channel, const CalibrationTable& table) {
    tables_[static_cast<std::size_t>(channel - 1)] = table;
}

void CalibrationTables::SetPath(int channel, const std::string& path) {
    paths_[static_cast<std::size_t>(channel - 1)] = path;
}

const std::vector<std::string>& CalibrationTables::Lines(int channel) const {
    return lines_[static_cast<std::size_t>(channel - 1)];
}

void CalibrationTables::Lock(bool locked) {
    for (ButtonState& button : form_.B_ListF_CH) button.Enabled = !locked;
}

void CalibrationTables::Choose(int channel) {
    const auto c = static_cast<std::size_t>(channel - 1);
    const std::optional<std::string> chosen = ui_.ChooseTableFile();
    if (!chosen) {
        // The table in memory stays until the next load; the empty path and
        // the red caption already say "no table".
        paths_[c].clear();
        form_.B_ListF_CH[c].FontColor = kColorRed;
        return;
    }
    paths_[c] = *chosen;
    if (paths_[c].empty()) {
        form_.B_ListF_CH[c].FontColor = kColorRed;
        return;
    }
    Load(channel);
}

void CalibrationTables::Load(int channel) {
    const auto c = static_cast<std::size_t>(channel - 1);
    // The channel has no table until the new one is complete: the warning box
    // below keeps the timers ticking, and a readout converted meanwhile must
    // never see a table that is half read.
    tables_[c].PointCount = 0;

    CalibrationTable loaded;
    const TableVerdict verdict =
        ReadTableFile(paths_[c], lines_[c])
            ? ParseTableLines(lines_[c], platform_.Regional().DecimalSeparator, loaded)
            : TableVerdict::Unreadable;
    if (verdict == TableVerdict::Valid) {
        form_.B_ListF_CH[c].FontColor = kColorWindowText;
        tables_[c] = loaded;
        return;
    }
    form_.B_ListF_CH[c].FontColor = kColorRed;
    if (verdict == TableVerdict::Unreadable) {
        std::string message(text::kMsgTableFailedBefore);
        message += static_cast<char>('0' + channel);
        message += text::kMsgTableFailedAfter;
        ui_.ShowWarning(message);
    }
}

}  // namespace ts
