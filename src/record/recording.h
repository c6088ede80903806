#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/form.h"
#include "base/ui_port.h"
#include "measure/measurement_sinks.h"
#include "platform/platform.h"
#include "record/recording_needs.h"
#include "record/recording_resume.h"
#include "record/recording_state.h"

namespace ts {

// The recording into a result file: the choice of what to record, the lines written at period
// ends, at every sample or on a change, the file and its background sync, the computer held
// awake, a cut recording carried on, and the state of the recording's controls. What it needs
// of the measurement it asks the wiring for.
class Recording final : public RecordSink {
public:
    Recording(Platform& platform, Ui& ui, RecordingFields& form, RecordingNeeds& needs);
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    void RecordPeriodClosed(int period, std::uint64_t boundary,
                            const std::array<double, kChannels>& mean,
                            const SampleCodes& latest) override;
    void SampleMeasured(std::uint64_t elapsed, const SampleCodes& latest) override;

    // Asks for the result file and prepares it.
    void ChooseResultFile();
    void Start();
    void Stop();
    // The program closes: the file is closed without a stop line, and the note of the
    // recording stays for the next start to carry it on.
    void Close();
    // The measurement's time went back to zero: so does the recording's start.
    void RestartTime() { state_.RecordingStart = 0; }

    // Writes one record line at `elapsed` (time units since the recording's start).
    void WriteRecord(std::uint64_t elapsed, const std::array<double, kChannels>& raw);
    // The on-change rule, on the latest sample.
    void CheckChange();
    // Hands the record lines collected since the last call to the result file.
    void FlushRecords();

    void RefreshControls();
    // The two parts of RefreshControls that the status refresh runs at its own places:
    // B_File, B_FileSaveStart and the record time first; averaging box, threshold and table
    // buttons later.
    void RefreshButtons();
    void RefreshOptions();
    void ShowRecordTime();
    void FitFileNameLabel();

    // Makes `path` the result file to record into (`replace`: an existing one is emptied).
    bool OpenResultFile(const std::string& path, bool replace);
    // Closes the result file outside a recording; false when that failed.
    bool CloseResultFile() { return state_.File.Close(); }
    // Names the result file without opening it.
    void SetResultFileName(const std::string& path) { state_.ResultFileName = path; }

    bool Active() const { return state_.RecordingActive; }
    const std::string& ResultFileName() const { return state_.ResultFileName; }
    // The measurement's time the recording started at.
    std::uint64_t StartTime() const { return state_.RecordingStart; }
    // A record could not be written since the start: the recording is not whole.
    bool WriteFailed() const { return state_.WriteFailureReported; }
    bool FileOpen() const { return state_.File.IsOpen(); }
    // Lines handed to the result file since it was opened (its start and header lines too),
    // whatever became of them.
    std::uint64_t LinesWritten() const { return state_.File.LinesAppended(); }
    RecordingResume& Resume() { return resume_; }

private:
    // Writes the latest sample at the measurement's time.
    void WriteLatest(std::uint64_t elapsed, const SampleCodes& latest);

    Platform& platform_;
    Ui& ui_;
    RecordingFields& form_;
    RecordingNeeds& needs_;
    RecordingState state_;
    RecordingResume resume_;
};

}  // namespace ts
