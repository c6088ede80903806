#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::B_FileClick() {}
void Station::B_FileSaveStartClick() {}
void Station::B_FileSaveStopClick() {}
void Station::RefreshRecordingControls() {}
void Station::RefreshRecordingButtons() {}
void Station::RefreshRecordingOptions() {}
void Station::ShowRecordTime() {}
void Station::FitFileNameLabel() {}

}  // namespace ts
