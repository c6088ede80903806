#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "measure/measurement_sinks.h"

namespace ts {

// What the recording asks of the rest of the program: the measurement's time, its latest
// sample and its tables, and its recording periods begun again when a recording starts. The
// wiring answers from the measurement; the recording never holds it.
class RecordingNeeds {
public:
    // The measurement's time now, in units of 1/18000 s since it started.
    virtual std::uint64_t Elapsed() const = 0;
    virtual const SampleCodes& Latest() const = 0;
    // A sample has come since the measurement last started.
    virtual bool Streaming() const = 0;
    // A recording starts now: every recording period begins here.
    virtual void RestartRecordPeriods() = 0;
    // Closes recording period `period` (1..17) now, as its end would, and hands it on.
    virtual void CloseRecordPeriod(int period) = 0;

    // The channel's (1..6) calibrated value of `raw`.
    virtual double Calibrate(int channel, double raw) const = 0;
    virtual const std::array<std::string, kChannels>& TablePaths() const = 0;
    // Names the channel's table file and reads it.
    virtual void LoadTable(int channel, const std::string& path) = 0;
    // While a recording runs its channels' tables stay as they are: their buttons are locked.
    virtual void LockTables(bool locked) = 0;

protected:
    ~RecordingNeeds() = default;
};

}  // namespace ts
