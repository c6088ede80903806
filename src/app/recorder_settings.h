#pragma once

#include <string>

#include "app/record_options.h"

namespace ts {

class Station;

struct RecorderSettingsOutcome {
    std::string error;      // one line; empty when the station can record
    bool fromFile = false;  // a settings file was read
};

// Brings the station to what the window would record with: the settings file when there is
// one (read, never written), each setting given on the command line over the file's value,
// the window's defaults for the rest. A missing default settings file is no error when the
// options say what to record. Loads no table.
RecorderSettingsOutcome ApplyRecorderSettings(Station& station, const RecordOptions& options);

}  // namespace ts
