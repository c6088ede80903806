#include "app/station.h"

#include "app/texts.h"

namespace ts {

Station::Station(Driver& d, Platform& p, Ui& u) : driver(d), platform(p), ui(u) {}

Station::~Station() = default;

void Station::Construct() {
    LoadSettings();
    RefreshStatus();
    RedrawChart();
    OpenDevice(true);
    ShowLinkStatistics();
    // Whether or not the open succeeded: a device that stays silent is
    // re-enumerated by the first supervision tick.
    link.DeviceNumber = 0;
}

void Station::Timer_25HzTimer() {
    PollDevice();
    WatchSilence();
    RefreshStatus();
    if (linkStatistics.HintDue()) ShowLinkStatistics();
}

void Station::FormClose() {
    if (link.DeviceHandle != 0) driver.Close(link.DeviceHandle);
    link.DeviceHandle = 0;
    // A recording interrupted by the close keeps no stop line.
    if (recording.File.IsOpen() && !recording.File.Close()) {
        ui.ShowMessage(text::kMsgResultCloseFailed);
    }
    SaveSettings();
}

}  // namespace ts
