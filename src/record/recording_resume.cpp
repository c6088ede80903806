#include "record/recording_resume.h"

#include "app/line_file.h"
#include "app/station.h"
#include "app/texts.h"
#include "platform/atomic_file.h"
#include "platform/file_status.h"
#include "platform/system_file.h"
#include "record/recording_notes.h"
#include "record/stamped_line.h"

namespace ts {

namespace {

// Paths fit well within this; a longer line is no note of ours.
constexpr std::size_t kMaxNoteLineBytes = 64 * 1024;
// A cut line is shorter than this; what lies before it is whole lines.
constexpr std::size_t kTailBytes = 4096;
// Numbers tried for the new file before giving up: a folder full of them says something else.
constexpr int kMostNumbers = 10000;

void Note(Station& st, std::string_view note, std::string_view what) {
    std::string line(note);
    line += what;
    AddRecordingNote(st.form, line);
}

// Cuts a line cut short by the interruption off the file's end and adds the interruption line.
// The file must be there and writable as a regular file: nothing else is made or replaced.
bool EndCutFile(Station& st, const std::string& path, const std::string& interruption) {
    SystemFile file;
    if (!file.OpenExistingForUpdate(path)) return false;
    const std::int64_t size = file.Size();
    if (size < 0) return false;
    auto end = static_cast<std::uint64_t>(size);
    char tail[kTailBytes];
    const std::uint64_t from = end > kTailBytes ? end - kTailBytes : 0;
    const std::ptrdiff_t got = file.ReadAt(from, tail, static_cast<std::size_t>(end - from));
    if (got != static_cast<std::ptrdiff_t>(end - from)) return false;
    // The file was made by this program, so a line without its LF at the end is a cut one.
    std::size_t whole = static_cast<std::size_t>(got);
    while (whole > 0 && tail[whole - 1] != '\n') --whole;
    if (whole == 0 && from > 0) return false;  // no line end in the tail: not our file
    end = from + whole;
    const std::string bytes = st.recording.Encoder.Encode(interruption);
    if (!file.TruncateAt(end) || file.Write(bytes.data(), bytes.size()) != bytes.size()) {
        return false;
    }
    return file.SyncData() && file.Close();
}

void ApplyChoices(Station& st, const ResumeNote& note) {
    st.form.SelectRecordChoice(note.choice);
    st.form.CheckBox_FileDataAver.Checked = note.average;
    st.form.ComboBox_FileOnChangeThresh.ItemIndex = note.thresholdIndex;
    for (int c = 0; c < kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        st.form.FileEN_CH[i].Checked = note.channels[i];
        // Tables are read again only where the recording had another than Settings.bin's.
        if (st.TablePath[i] != note.tables[i]) {
            st.TablePath[i] = note.tables[i];
            st.LoadTable(c + 1);
        }
    }
}

}  // namespace

std::optional<std::string> FreeNumberedPath(const std::string& cut) {
    int number = 1;
    const std::string base = UnnumberedPath(cut, number);
    for (int n = number + 1; n < number + kMostNumbers; ++n) {
        std::string candidate = NumberedPath(base, n);
        if (NothingAt(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<ResumeNote> RecordingResume::ReadNote() const {
    if (notePath.empty()) return std::nullopt;
    const LineFile file = ReadLineFile(notePath, kResumeNoteLines, kMaxNoteLineBytes);
    return file.readable ? ParseResumeNote(file.lines) : std::nullopt;
}

void RecordingResume::Started(Station& st) {
    if (notePath.empty()) return;
    ResumeNote note;
    note.resultPath = st.recording.ResultFileName;
    note.choice = st.form.SelectedRecordChoice();
    note.average = st.form.CheckBox_FileDataAver.Checked;
    note.thresholdIndex = st.form.ComboBox_FileOnChangeThresh.ItemIndex;
    for (int c = 0; c < kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        note.channels[i] = st.form.FileEN_CH[i].Checked;
        note.tables[i] = st.TablePath[i];
    }
    // A path with a line break in it cannot be noted; nor can a note that does not reach the
    // disk. The recording runs all the same; only its resumption is lost, and the user is told.
    const bool notable = note.resultPath.find_first_of("\r\n") == std::string::npos;
    if (!notable || !ReplaceFileContents(notePath, FormatResumeNote(note))) {
        Note(st, text::kNoteResumeNotNoted, notePath);
    }
}

void RecordingResume::Stopped() {
    if (!notePath.empty()) RemoveFile(notePath);
}

std::optional<std::string> RecordingResume::FindCut(Station& st) {
    if (notePath.empty()) return std::nullopt;
    const LineFile file = ReadLineFile(notePath, kResumeNoteLines, kMaxNoteLineBytes);
    if (!file.readable) return std::nullopt;
    // A note that cannot be read whole, or names a file that is not there, is left where it is:
    // nothing is decided for the user, and a new recording's note replaces it.
    const std::optional<ResumeNote> note = ParseResumeNote(file.lines);
    if (!note) {
        Note(st, text::kNoteResumeDamaged, notePath);
        return std::nullopt;
    }
    const std::string interruption = StampedLine(st, text::kResultInterrupted);
    if (!EndCutFile(st, note->resultPath, interruption)) {
        Note(st, text::kNoteResumeFileGone, note->resultPath);
        return std::nullopt;
    }
    // The note stays until the new recording's own replaces it: cut again before the instrument
    // streams (an update that restarts twice), the next start still goes on.
    const std::optional<std::string> next = FreeNumberedPath(note->resultPath);
    if (!next) {
        Note(st, text::kNoteResumeNoNewFile, note->resultPath);
        return std::nullopt;
    }
    ApplyChoices(st, *note);
    foundAt_ = interruption.substr(0, interruption.size() - text::kResultInterrupted.size() - 2);
    return next;
}

void RecordingResume::OnStart(Station& st) { pending_ = FindCut(st); }

void RecordingResume::OnTick(Station& st) {
    if (!pending_) return;
    // A recording the user started meanwhile takes its place, for good.
    if (st.recording.RecordingActive) {
        pending_.reset();
        return;
    }
    // As soon as the instrument streams again: the first sample since the start is in.
    if (st.pipeline.FirstSample) return;
    const std::string path = *pending_;
    pending_.reset();
    // Made only now and never over anything: a file of that name that came meanwhile stays.
    if (!st.recording.File.Open(path, false)) {
        Note(st, text::kNoteResumeNoNewFile, path);
        return;
    }
    st.recording.ResultFileName = path;
    st.FitFileNameLabel();
    st.StartRecording();
    if (st.recording.RecordingActive) TellResumed(st, path);
}

void RecordingResume::TellResumed(Station& st, const std::string& path) const {
    std::string note(text::kNoteResumed);
    note += foundAt_;
    note += text::kNoteResumedFile;
    note += path;
    AddRecordingNote(st.form, note);
}

}  // namespace ts
