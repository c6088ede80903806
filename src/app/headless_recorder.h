#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/record_options.h"
#include "app/station.h"
#include "measure/pipeline_probe.h"
#include "record/resume_note.h"

namespace ts {

// The recording part of the program without its window: the same station,
// settings, supervision and result file, driven by a plain loop. Recording
// starts right after the first sample of instrument 1, so the record at time
// 0 holds that sample.
class HeadlessRecorder final : private PipelineProbe {
public:
    HeadlessRecorder(Driver& driver, Platform& platform, Ui& ui);
    ~HeadlessRecorder() override;

    // Holds the note of its recording for as long as it runs; one another program holds is a live
    // recording, refused. With --resume and a note of a cut recording of the same --out: ends
    // its last part and goes on with its choices in a new numbered file, and a raw capture in
    // the raw file of the same number (see RecordingResume); without --resume, a part of a cut
    // recording is refused, --force or not. Checks the files the
    // options name, reads the settings (never writing
    // them) with the options over them, checks that they select a recording
    // choice and a channel and loads the recorded channels' tables. Creates
    // nothing: the result file is made when the first sample comes. On failure
    // returns false with a one-line reason in `error`.
    bool Prepare(const RecordOptions& options, std::string& error);
    // Opens the instrument as the window's start does, silently.
    void OpenInstrument();
    // One 40 ms tick of the window's fast timer; `supervise` also runs the
    // one-second link supervision (every 25th tick). `afterPause`: the program
    // did not run for a while before this tick, so that an empty poll now says
    // nothing about the line and is not counted as silence.
    void Tick(bool supervise, bool afterPause = false);
    // The recording could not start (its start or header line was not
    // written): nothing can come of the run any more.
    bool Failed() const { return failed_; }
    // Writes the stop line and closes the file, reporting through the Ui what
    // failed, as the window does; a file the run left empty is removed. Takes
    // the driver's last word on its losses too. `keepNote`: the system stopped the run (a
    // shutdown, a logout, a service manager), so the recording's note stays and --resume goes
    // on with it; otherwise the user's stop ends the recording for good, unless records were
    // lost to a failing disk on the way.
    void Finish(bool keepNote = false);
    // The raw capture to write: --raw, or its part when a cut recording goes on.
    const std::string& RawPath() const { return rawPath_; }
    bool Resuming() const { return resuming_; }
    // The recording has run for the duration the options asked for and has been stopped (stop
    // line written, file closed): the run is over, and Finish has no more to write.
    bool DurationReached() const { return durationReached_; }

    bool Recording() const { return station_->recording().Active(); }
    bool LinkUp() const { return station_->link().DataReceived(); }
    // Samples of instrument 1 received.
    std::uint64_t Samples() const { return samples_; }
    // Record lines handed to the result file (the start, header and stop lines not counted).
    std::uint64_t Records() const;
    std::uint64_t Ticks() const { return ticks_; }
    // What the link carried and lost; the driver's losses as of the last
    // refresh of the indicator's hint (five a second) or of Finish.
    LinkCounts Link() const { return station_->link().Counts(); }
    Station& station() { return *station_; }
    // What the station has noted about the recording since the last call, a note a line (the
    // window shows them in the recording time's hint); empty when nothing new.
    std::string TakeNotes();

private:
    // Prepare's steps. Holds the recording's note; a cut recording's is handed back in `cut`.
    bool HoldNote(const RecordOptions& given, std::optional<ResumeNote>& cut, std::string& error);
    // The settings with the options over them, checked, and the recorded channels' tables loaded.
    bool ApplySettings(const RecordOptions& options, std::string& error);
    // Ends the cut file, takes its choices and goes on in its next part.
    bool GoOnFromCut(RecordOptions& options, std::string& error);
    void SampleEntering(const Sample&) override;
    void StartRecording();
    // With one half of the instrument's identity given and no settings file for
    // the other, the bridge that carries the given half supplies the other.
    void CompleteIdentity();
    // Whether the choice records at the ends of periods, so that the sample after the last
    // wanted one must still close the period it ends.
    bool RecordsPeriods() const;
    void StopForDuration();

    std::unique_ptr<Station> station_;
    std::string outPath_;
    std::string rawPath_;
    std::uint64_t samples_ = 0;
    std::uint64_t ticks_ = 0;
    std::uint64_t recordsAtStop_ = 0;
    bool startPending_ = false;
    bool started_ = false;
    bool failed_ = false;
    bool finished_ = false;
    bool descriptionWanted_ = false;              // the description is to be taken from the bridge
    bool serialWanted_ = false;                   // the serial likewise
    std::optional<std::uint64_t> durationUnits_;  // --for, in time units
    bool durationStopDue_ = false;  // stop before the next sample: its period is closed
    bool durationReached_ = false;
    std::size_t notesTaken_ = 0;  // of the recording time's hint
    bool resuming_ = false;       // goes on with a cut recording in a new file
};

}  // namespace ts
