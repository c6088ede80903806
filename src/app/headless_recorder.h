#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/record_options.h"
#include "app/station.h"
#include "measure/pipeline_probe.h"

namespace ts {

// The recording part of the program without its window: the same station,
// settings, supervision and result file, driven by a plain loop. Recording
// starts right after the first sample of instrument 1, so the record at time
// 0 holds that sample.
class HeadlessRecorder final : private PipelineProbe {
public:
    HeadlessRecorder(Driver& driver, Platform& platform, Ui& ui);
    ~HeadlessRecorder() override;

    // Reads the settings (never writing them), checks that they select a
    // recording choice and a channel, loads the tables and opens the output.
    // On failure returns false with a one-line reason in `error`.
    bool Prepare(const RecordOptions& options, std::string& error);
    // Opens the instrument as the window's start does, silently.
    void OpenInstrument();
    // One 40 ms tick of the window's fast timer; `supervise` also runs the
    // one-second link supervision (every 25th tick).
    void Tick(bool supervise);
    // Writes the stop line and closes the file; false when either failed.
    // Takes the driver's last word on its losses too.
    bool Finish();

    bool Recording() const { return station_->recording.RecordingActive; }
    bool LinkUp() const { return station_->link.DataReceived; }
    std::uint64_t Samples() const { return samples_; }
    // Record lines handed to the result file (the start and header lines not counted).
    std::uint64_t Records() const;
    std::uint64_t Ticks() const { return ticks_; }
    // What the link carried and lost; the driver's losses as of the last
    // refresh of the indicator's hint (five a second) or of Finish.
    LinkCounts Link() const { return station_->linkStatistics.Counts(); }
    Station& station() { return *station_; }

private:
    void SampleEntering(const Sample&) override;
    void StartRecording();

    std::unique_ptr<Station> station_;
    std::string outPath_;
    std::uint64_t samples_ = 0;
    std::uint64_t ticks_ = 0;
    bool startPending_ = false;
    bool started_ = false;
};

}  // namespace ts
