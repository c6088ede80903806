#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "base/texts.h"
#include "platform/keep_awake.h"
#include "platform/link_target.h"
#include "platform/text_codec.h"
#include "record/date_time_format.h"
#include "record/record_time.h"
#include "record/recording.h"
#include "record/recording_notes.h"
#include "record/recording_parts.h"
#include "record/stamped_line.h"
#include "record/utf8_text.h"

namespace ts {

namespace {

// Widest file name caption, in pixels of the label's font.
constexpr int kFileNameWidth = 305;

constexpr long long kMillisecondsPerDay = 86'400'000;

bool AnyChannelTicked(const RecordingFields& form) {
    for (const CheckState& box : form.FileEN_CH) {
        if (box.Checked) return true;
    }
    return false;
}

std::string RegionalText(Platform& platform, std::string_view format, const LocalDateTime& t) {
    return LocaleTextToUtf8(FormatDateTime(format, t), platform.Regional().Charset);
}

}  // namespace

std::string StampedLine(Platform& platform, std::string_view suffix) {
    const LocalDateTime now = platform.Now();
    const RegionalSettings& regional = platform.Regional();
    std::string line = RegionalText(platform, regional.ShortDateFormat, now);
    line += ' ';
    line += RegionalText(platform, regional.LongTimeFormat, now);
    line += suffix;
    line += "\r\n";
    return line;
}

namespace {

std::string HeaderLine(const RecordingFields& form) {
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
// `after` (bytes as the file has them) goes with it, in the same write; the records counted from
// the lines handed over leave out both.
bool WriteCheckedLine(RecordingState& state, std::string_view utf8, std::string_view after = {}) {
    std::string bytes = state.Encoder.Encode(utf8);
    bytes += after;
    return state.File.Append(bytes) && state.File.Sync();
}

void LockRecordingSettings(RecordingFields& form, bool locked) {
    for (CheckState& box : form.FileEN_CH) box.Enabled = !locked;
    for (CheckState& radio : form.RadioB_File) radio.Enabled = !locked;
    form.CheckBox_FileDataAver.Enabled = !locked;
    form.B_FileSaveStop.Enabled = locked;
}

}  // namespace

Recording::Recording(Platform& platform, Ui& ui, RecordingFields& form, RecordingNeeds& needs)
    : platform_(platform),
      ui_(ui),
      form_(form),
      needs_(needs),
      resume_(platform, form, needs, state_.Encoder) {}

bool Recording::OpenResultFile(const std::string& path, bool replace) {
    if (!state_.File.Open(path, replace)) return false;
    state_.ResultFileName = path;
    return true;
}

void Recording::Close() {
    if (state_.File.IsOpen() && !state_.File.Close()) ui_.ShowMessage(text::kMsgResultCloseFailed);
}

void Recording::ChooseResultFile() {
    const std::optional<std::string> chosen = ui_.ChooseResultFile();
    if (!chosen) return;
    // The dialog asked about replacing a file; one of an unfinished recording is never replaced,
    // by whatever name it was chosen. Its notes lie beside it or beside Settings.bin.
    if (!chosen->empty()) {
        std::vector<std::string> folders{FolderOf(*chosen), FolderOf(resume_.NotePath())};
        if (const std::optional<std::string> target = LinkTarget(*chosen)) {
            folders.push_back(FolderOf(*target));
        }
        if (FindRecordingOf(*chosen, folders).is != RecordingOfFile::Is::Nothing) {
            ui_.ShowMessage(text::kMsgResultFileOfRecording);
            return;
        }
    }
    state_.ResultFileName = *chosen;
    if (state_.ResultFileName.empty()) return;
    // The stream of an earlier choice is given up; that file keeps what it holds.
    Close();
    if (!state_.File.Open(state_.ResultFileName)) {
        ui_.ShowMessage(text::kMsgResultPrepareFailed);
        return;
    }
    FitFileNameLabel();
}

void Recording::Start() {
    LockRecordingSettings(form_, true);
    form_.B_FileSaveStart.Enabled = false;

    state_.RecordingStart = needs_.Elapsed();
    needs_.RestartRecordPeriods();

    // A cut recording's next part says which one it carries on, right after its header and in
    // the same write: no reader meets the one without the other.
    const std::optional<std::string> link = resume_.LinkLine();
    // Without an open file (its opening failed) the first of these fails too.
    if (!WriteCheckedLine(state_, StampedLine(platform_, text::kResultStarted)) ||
        !WriteCheckedLine(state_, HeaderLine(form_), link.value_or(std::string()))) {
        ui_.ShowMessage(text::kMsgResultPrepareFailed);
        return;
    }

    state_.RecordingActive = true;
    state_.WriteFailureReported = false;
    state_.Sync.Restart(state_.File, platform_.Sync(), platform_.SteadyMilliseconds());
    state_.AwakeHeld = platform_.Awake().Hold(text::kMainCaption, text::kRecordingAwakeReason);
    if (!state_.AwakeHeld && !state_.SleepWarningGiven) {
        state_.SleepWarningGiven = true;
        AddRecordingNote(form_, text::kNoteSleepNotHeld);
    }
    resume_.Started(state_.ResultFileName);
    state_.ChangeReference.fill(0);
    state_.ChangeRising.fill(true);

    const int choice = form_.SelectedRecordChoice();
    if (choice == kRecordChoiceAll) {
        WriteLatest(0, needs_.Latest());
    } else if (choice == kRecordChoiceOnChange) {
        CheckChange();
    } else if (choice > 0) {
        needs_.CloseRecordPeriod(choice);
    }
    // The record at time 0 is in the file at once, not only after the next tick.
    FlushRecords();
    RefreshControls();
}

void Recording::Stop() {
    state_.RecordingActive = false;
    platform_.Awake().Release();
    // After a failed open there is no stream to finish or to close.
    bool ended = true;
    if (state_.File.IsOpen()) {
        FlushRecords();
        if (!WriteCheckedLine(state_, StampedLine(platform_, text::kResultStopped))) {
            ui_.ShowMessage(text::kMsgResultFinishFailed);
            ended = false;
        }
        if (!state_.File.Close()) {
            ui_.ShowMessage(text::kMsgResultCloseFailed);
            ended = false;
        }
    }
    resume_.Stopped(ended);
    state_.ResultFileName.clear();
    form_.Label_ResultFileName.Caption = text::kResultFileNone;
    ShowRecordTime();
    LockRecordingSettings(form_, false);
    RefreshControls();
}

void Recording::RefreshControls() {
    RefreshButtons();
    RefreshOptions();
}

void Recording::RefreshButtons() {
    // Records collected since the last refresh go to the file now, so a
    // failing medium is noticed within one tick whatever the period.
    FlushRecords();
    const bool active = state_.RecordingActive;
    const bool ready = form_.SelectedRecordChoice() >= 0 && AnyChannelTicked(form_);
    form_.B_File.Enabled = !active && ready;
    form_.B_FileSaveStart.Enabled = !active && ready && !state_.ResultFileName.empty();
    ShowRecordTime();
}

void Recording::RefreshOptions() {
    const bool active = state_.RecordingActive;
    const int choice = form_.SelectedRecordChoice();
    if (choice == kRecordChoiceAll || choice == kRecordChoiceOnChange) {
        form_.CheckBox_FileDataAver.Checked = false;
        form_.CheckBox_FileDataAver.Enabled = false;
    } else {
        form_.CheckBox_FileDataAver.Enabled = !active;
    }
    const bool threshold = choice == kRecordChoiceOnChange && !active;
    form_.Label_FileOnChangeSens.Enabled = threshold;
    form_.ComboBox_FileOnChangeThresh.Enabled = threshold;
    needs_.LockTables(active);
}

void Recording::ShowRecordTime() {
    LabelState& label = form_.Label_FileRecordTime;
    if (!state_.RecordingActive) {
        label.Caption = text::kRecordTimeIdle;
        label.FontColor = kColorRed;
        return;
    }
    const double days = ElapsedDays(needs_.Elapsed() - state_.RecordingStart);
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
    AppendDateTime(caption, platform_.Regional().LongTimeFormat, timeOfDay);
    // Only a format with letters of the locale's own charset needs converting.
    const std::string_view timeText = std::string_view(caption).substr(timeStart);
    const bool ascii = std::all_of(timeText.begin(), timeText.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii) {
        const std::string converted = LocaleTextToUtf8(timeText, platform_.Regional().Charset);
        caption.replace(timeStart, std::string::npos, converted);
    }
    label.FontColor = kColorGreen;
}

void Recording::FitFileNameLabel() {
    LabelState& label = form_.Label_ResultFileName;
    label.Visible = false;
    const std::string_view path = state_.ResultFileName;
    std::string caption(text::kResultFileLabel);
    caption += path;
    if (ui_.FileNameTextWidth(caption) > kFileNameWidth) {
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
        if (ui_.FileNameTextWidth(caption) > kFileNameWidth) {
            caption += text::kResultFileCut;
            while (ui_.FileNameTextWidth(caption) > kFileNameWidth &&
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
