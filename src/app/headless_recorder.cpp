#include "app/headless_recorder.h"

#include <sys/stat.h>

#include "app/settings_file.h"

namespace ts {

namespace {

constexpr int kTicksPerSupervision = 25;  // 40 ms ticks in the one-second supervision

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

HeadlessRecorder::HeadlessRecorder(Driver& driver, Platform& platform, Ui& ui)
    : station_(std::make_unique<Station>(driver, platform, ui)) {
    station_->pipelineProbe = this;
}

HeadlessRecorder::~HeadlessRecorder() { station_->pipelineProbe = nullptr; }

bool HeadlessRecorder::Prepare(const RecordOptions& options, std::string& error) {
    Station& st = *station_;
    const SettingsReadOutcome settings = ApplySettingsFile(st, options.settingsPath);
    if (!settings.readable) {
        error = "cannot read the settings file " + options.settingsPath;
        return false;
    }
    if (!settings.Ok()) {
        error = "the settings file " + options.settingsPath + " is not whole: line " +
                std::to_string(settings.badLine) + " is missing or not an integer";
        return false;
    }
    if (st.form.SelectedRecordChoice() < 0) {
        error = "the settings file selects no recording choice";
        return false;
    }
    bool anyChannel = false;
    for (const CheckState& box : st.form.FileEN_CH) anyChannel = anyChannel || box.Checked;
    if (!anyChannel) {
        error = "the settings file selects no channel to record";
        return false;
    }
    if (!options.force && Exists(options.outPath)) {
        error = options.outPath + " exists; use --force to replace it";
        return false;
    }
    // A table that does not load says so and its channel records 0, as in the
    // window; channels that are not recorded need none.
    for (int channel = 1; channel <= kChannels; ++channel) {
        if (st.form.FileEN_CH[static_cast<std::size_t>(channel - 1)].Checked) st.LoadTable(channel);
    }
    // The window's averaging box is cleared for "every sample" and "on change".
    st.RefreshRecordingOptions();

    if (!st.recording.File.Open(options.outPath)) {
        error = "cannot write " + options.outPath;
        return false;
    }
    st.recording.ResultFileName = options.outPath;
    outPath_ = options.outPath;
    return true;
}

void HeadlessRecorder::OpenInstrument() {
    station_->OpenDevice(false);
    // As at the window's start: a device that stays silent is re-enumerated.
    station_->link.DeviceNumber = 0;
}

void HeadlessRecorder::SampleEntering(const Sample&) {
    ++samples_;
    // The sample before this one has been processed whole: start between the two.
    if (startPending_) StartRecording();
    if (!started_) startPending_ = true;
}

std::uint64_t HeadlessRecorder::Records() const {
    const std::uint64_t lines = station_->recording.File.LinesAppended();
    return started_ && lines >= 2 ? lines - 2 : 0;
}

void HeadlessRecorder::StartRecording() {
    startPending_ = false;
    started_ = true;
    station_->B_FileSaveStartClick();
}

void HeadlessRecorder::Tick(bool supervise) {
    ++ticks_;
    station_->Timer_25HzTimer();
    if (startPending_) StartRecording();
    if (supervise && ticks_ % kTicksPerSupervision == 0) station_->TimerPortTimer();
}

bool HeadlessRecorder::Finish() {
    Station& st = *station_;
    st.ShowLinkStatistics();
    if (st.recording.RecordingActive) {
        st.B_FileSaveStopClick();
        return true;
    }
    // Nothing was recorded: the file still gets closed.
    return st.recording.File.Close();
}

}  // namespace ts
