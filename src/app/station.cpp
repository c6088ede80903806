#include "app/station.h"

#include "app/texts.h"
#include "platform/keep_awake.h"

namespace ts {

Station::Station(Driver& d, Platform& p, Ui& u) : driver(d), platform(p), ui(u) {}

Station::~Station() = default;

void Station::Construct() {
    LoadSettings();
    // A recording the last run did not end itself goes on, with its choices, into a new file.
    recording.Resume.notePath = SettingsDirectory + "/" + std::string(text::kWindowResumeNote);
    recording.Resume.OnStart(*this);
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
    recording.Resume.OnTick(*this);
    WatchSilence();
    RefreshStatus();
    if (linkStatistics.HintDue()) ShowLinkStatistics();
}

void Station::FormClose() {
    if (link.DeviceHandle != 0) driver.Close(link.DeviceHandle);
    link.DeviceHandle = 0;
    // A recording interrupted by the close keeps no stop line, and the computer may sleep again.
    // Its note stays: a close by the end of the session (an update's restart) is a cut, and the
    // next start carries the recording on, and so does the restart that Windows makes after an
    // update's.
    platform.Awake().ReleaseKeepingRestart();
    if (recording.File.IsOpen() && !recording.File.Close()) {
        ui.ShowMessage(text::kMsgResultCloseFailed);
    }
    SaveSettings();
}

}  // namespace ts
