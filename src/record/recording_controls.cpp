#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "app/station.h"
#include "app/texts.h"
#include "platform/keep_awake.h"
#include "platform/text_codec.h"
#include "record/date_time_format.h"
#include "record/record_time.h"
#include "record/recording_notes.h"
#include "record/stamped_line.h"
#include "record/utf8_text.h"

namespace ts {

namespace {

// Widest file name caption, in pixels of the label's font.
constexpr int kFileNameWidth = 305;

constexpr long long kMillisecondsPerDay = 86'400'000;

bool AnyChannelTicked(const Form& form) {
    for (const CheckState& box : form.FileEN_CH) {
        if (box.Checked) return true;
    }
    return false;
}

std::string RegionalText(Station& st, std::string_view format, const LocalDateTime& t) {
    return LocaleTextToUtf8(FormatDateTime(format, t), st.platform.Regional().Charset);
}

}  // namespace

std::string StampedLine(Station& st, std::string_view suffix) {
    const LocalDateTime now = st.platform.Now();
    const RegionalSettings& regional = st.platform.Regional();
    std::string line = RegionalText(st, regional.ShortDateFormat, now);
    line += ' ';
    line += RegionalText(st, regional.LongTimeFormat, now);
    line += suffix;
    line += "\r\n";
    return line;
}

namespace {

std::string HeaderLine(const Form& form) {
    std::string line(text::kResultHeaderTime);
    for (int c = 0; c < kChannels; ++c) {
        if (!form.FileEN_CH[c].Checked) continue;
        line += text::kResultHeaderChannel;
        line += static_cast<char>('1' + c);
    }
    line += "\r\n";
    return line;
}

// The start, header and stop lines go to the medium at once: "written
// whole" means the line is on disk. False also when no file is open.
bool WriteCheckedLine(Station& st, std::string_view utf8) {
    const std::string bytes = st.recording.Encoder.Encode(utf8);
    return st.recording.File.Append(bytes) && st.recording.File.Sync();
}

void LockRecordingSettings(Form& form, bool locked) {
    for (CheckState& box : form.FileEN_CH) box.Enabled = !locked;
    for (CheckState& radio : form.RadioB_File) radio.Enabled = !locked;
    form.CheckBox_FileDataAver.Enabled = !locked;
    form.B_FileSaveStop.Enabled = locked;
}

std::array<double, kChannels> LatestAsReal(const PipelineState& pipeline) {
    std::array<double, kChannels> values{};
    for (int c = 0; c < kChannels; ++c) values[c] = pipeline.LatestSample[c];
    return values;
}

}  // namespace

void Station::B_FileClick() { ChooseResultFile(); }

void Station::B_FileSaveStartClick() { StartRecording(); }

void Station::B_FileSaveStopClick() { StopRecording(); }

void Station::ChooseResultFile() {
    const std::optional<std::string> chosen = ui.ChooseResultFile();
    if (!chosen) return;
    recording.ResultFileName = *chosen;
    if (recording.ResultFileName.empty()) return;
    // The stream of an earlier choice is given up; that file keeps what it holds.
    if (recording.File.IsOpen() && !recording.File.Close()) {
        ui.ShowMessage(text::kMsgResultCloseFailed);
    }
    if (!recording.File.Open(recording.ResultFileName)) {
        ui.ShowMessage(text::kMsgResultPrepareFailed);
        return;
    }
    FitFileNameLabel();
}

void Station::StartRecording() {
    LockRecordingSettings(form, true);
    form.B_FileSaveStart.Enabled = false;

    recording.RecordingStart = pipeline.ElapsedCount;
    for (AccumulatorSet& set : pipeline.RecordSets) set.PeriodStart = pipeline.ElapsedCount;

    // Without an open file (its opening failed) the first of these fails too.
    if (!WriteCheckedLine(*this, StampedLine(*this, text::kResultStarted)) ||
        !WriteCheckedLine(*this, HeaderLine(form))) {
        ui.ShowMessage(text::kMsgResultPrepareFailed);
        return;
    }

    recording.RecordingActive = true;
    recording.WriteFailureReported = false;
    recording.Sync.Restart(recording.File, platform.Sync(), platform.SteadyMilliseconds());
    recording.AwakeHeld = platform.Awake().Hold(text::kMainCaption, text::kRecordingAwakeReason);
    if (!recording.AwakeHeld && !recording.SleepWarningGiven) {
        recording.SleepWarningGiven = true;
        AddRecordingNote(form, text::kNoteSleepNotHeld);
    }
    recording.Resume.Started(*this);
    recording.ChangeReference.fill(0);
    recording.ChangeRising.fill(true);

    const int choice = form.SelectedRecordChoice();
    if (choice == kRecordChoiceAll) {
        WriteRecord(0, LatestAsReal(pipeline));
    } else if (choice == kRecordChoiceOnChange) {
        CheckChange();
    } else if (choice > 0) {
        EndRecordPeriod(choice);
    }
    // The record at time 0 is in the file at once, not only after the next tick.
    FlushRecords();
    RefreshStatus();
}

void Station::StopRecording() {
    recording.RecordingActive = false;
    platform.Awake().Release();
    recording.Resume.Stopped();
    // After a failed open there is no stream to finish or to close.
    if (recording.File.IsOpen()) {
        FlushRecords();
        if (!WriteCheckedLine(*this, StampedLine(*this, text::kResultStopped))) {
            ui.ShowMessage(text::kMsgResultFinishFailed);
        }
        if (!recording.File.Close()) ui.ShowMessage(text::kMsgResultCloseFailed);
    }
    recording.ResultFileName.clear();
    form.Label_ResultFileName.Caption = text::kResultFileNone;
    ShowRecordTime();
    LockRecordingSettings(form, false);
    RefreshStatus();
}

void Station::RefreshRecordingControls() {
    RefreshRecordingButtons();
    RefreshRecordingOptions();
}

void Station::RefreshRecordingButtons() {
    // Records collected since the last refresh go to the file now, so a
    // failing medium is noticed within one tick whatever the period.
    FlushRecords();
    const bool active = recording.RecordingActive;
    const bool ready = form.SelectedRecordChoice() >= 0 && AnyChannelTicked(form);
    form.B_File.Enabled = !active && ready;
    form.B_FileSaveStart.Enabled = !active && ready && !recording.ResultFileName.empty();
    ShowRecordTime();
}

void Station::RefreshRecordingOptions() {
    const bool active = recording.RecordingActive;
    const int choice = form.SelectedRecordChoice();
    if (choice == kRecordChoiceAll || choice == kRecordChoiceOnChange) {
        form.CheckBox_FileDataAver.Checked = false;
        form.CheckBox_FileDataAver.Enabled = false;
    } else {
        form.CheckBox_FileDataAver.Enabled = !active;
    }
    const bool threshold = choice == kRecordChoiceOnChange && !active;
    form.Label_FileOnChangeSens.Enabled = threshold;
    form.ComboBox_FileOnChangeThresh.Enabled = threshold;
    for (ButtonState& button : form.B_ListF_CH) button.Enabled = !active;
}

void Station::ShowRecordTime() {
    LabelState& label = form.Label_FileRecordTime;
    if (!recording.RecordingActive) {
        label.Caption = text::kRecordTimeIdle;
        label.FontColor = kColorRed;
        return;
    }
    const double days = ElapsedDays(pipeline.ElapsedCount - recording.RecordingStart);
    // Whole milliseconds, so that a time a hair short of a full second or
    // day is not shown a second or a day early.
    const long long milliseconds = std::llround(days * kMillisecondsPerDay);
    const long long ofDay = milliseconds % kMillisecondsPerDay;
    LocalDateTime timeOfDay;
    timeOfDay.Hour = static_cast<int>(ofDay / 3'600'000);
    timeOfDay.Minute = static_cast<int>(ofDay / 60'000 % 60);
    timeOfDay.Second = static_cast<int>(ofDay / 1000 % 60);
    // Built in place 25 times a second: the caption keeps its storage, so a
    // long recording allocates nothing here.
    std::string& caption = label.Caption;
    caption.assign(text::kRecordTimeActivePrefix);
    char wholeDays[24];
    caption.append(wholeDays, std::to_chars(wholeDays, wholeDays + sizeof wholeDays,
                                            milliseconds / kMillisecondsPerDay)
                                  .ptr);
    caption += '.';
    const std::size_t timeStart = caption.size();
    AppendDateTime(caption, platform.Regional().LongTimeFormat, timeOfDay);
    // Only a format with letters of the locale's own charset needs converting.
    const std::string_view timeText = std::string_view(caption).substr(timeStart);
    const bool ascii = std::all_of(timeText.begin(), timeText.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii) {
        const std::string converted = LocaleTextToUtf8(timeText, platform.Regional().Charset);
        caption.replace(timeStart, std::string::npos, converted);
    }
    label.FontColor = kColorGreen;
}

void Station::FitFileNameLabel() {
    LabelState& label = form.Label_ResultFileName;
    label.Visible = false;
    const std::string_view path = recording.ResultFileName;
    std::string caption(text::kResultFileLabel);
    caption += path;
    if (ui.FileNameTextWidth(caption) > kFileNameWidth) {
        // The last "/" (or a backslash) from the end down to the second
        // letter; a path with none there lies directly in the root folder.
        const auto separator = [](char c) { return c == '/' || c == '\\'; };
        std::size_t slash = path.empty() ? 0 : path.size() - 1;
        while (slash > 0 && !separator(path[slash])) --slash;
        if (slash == 0 && !path.empty() && separator(path[0])) {
            caption = path;
        } else {
            caption = text::kResultFileLabelShort;
            caption += Utf8FirstLetters(path, 3);
            caption += text::kResultFileFoldersLeftOut;
            caption += path.substr(slash + 1);
        }
        if (ui.FileNameTextWidth(caption) > kFileNameWidth) {
            caption += text::kResultFileCut;
            while (ui.FileNameTextWidth(caption) > kFileNameWidth &&
                   Utf8Letters(caption) > text::kResultFileCut.size()) {
                Utf8DropLastLetters(caption, 4);
                caption += text::kResultFileCut;
            }
        }
    }
    label.Caption = std::move(caption);
    label.Visible = true;
}

}  // namespace ts
