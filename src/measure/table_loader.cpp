#include "app/station.h"
#include "app/texts.h"
#include "measure/table_file.h"
#include "measure/table_parser.h"

namespace ts {

void Station::B_ListF_Click(int channel) {
    const auto c = static_cast<std::size_t>(channel - 1);
    const std::optional<std::string> chosen = ui.ChooseTableFile();
    if (!chosen) {
        // The table in memory stays until the next load; the empty path and
        // the red caption already say "no table".
        TablePath[c].clear();
        form.B_ListF_CH[c].FontColor = kColorRed;
        return;
    }
    TablePath[c] = *chosen;
    if (TablePath[c].empty()) {
        form.B_ListF_CH[c].FontColor = kColorRed;
        return;
    }
    LoadTable(channel);
}

void Station::LoadTable(int channel) {
    const auto c = static_cast<std::size_t>(channel - 1);
    // The channel has no table until the new one is complete: the warning box
    // below keeps the timers ticking, and a readout converted meanwhile must
    // never see a table that is half read.
    tables[c].PointCount = 0;

    CalibrationTable loaded;
    const TableVerdict verdict =
        ReadTableFile(TablePath[c], Memo_ListF[c])
            ? ParseTableLines(Memo_ListF[c], platform.Regional().DecimalSeparator, loaded)
            : TableVerdict::Unreadable;
    if (verdict == TableVerdict::Valid) {
        form.B_ListF_CH[c].FontColor = kColorWindowText;
        tables[c] = loaded;
        return;
    }
    form.B_ListF_CH[c].FontColor = kColorRed;
    if (verdict == TableVerdict::Unreadable) {
        std::string message(text::kMsgTableFailedBefore);
        message += static_cast<char>('0' + channel);
        message += text::kMsgTableFailedAfter;
        ui.ShowWarning(message);
    }
}

}  // namespace ts
