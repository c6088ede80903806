#include "app/headless_recorder.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/recorder_settings.h"
#include "app/run_files.h"
#include "base/texts.h"
#include "device/device_list.h"
#include "platform/file_status.h"
#include "platform/link_target.h"
#include "platform/same_file.h"
#include "platform/system_file.h"
#include "record/recording_parts.h"

namespace ts {

namespace {

constexpr int kTicksPerSupervision = 25;  // 40 ms ticks in the one-second supervision

}  // namespace

HeadlessRecorder::HeadlessRecorder(Driver& driver, Platform& platform, Ui& ui)
    : station_(std::make_unique<Station>(driver, platform, ui)) {
    station_->measurement().Attach(this);
}

HeadlessRecorder::~HeadlessRecorder() { station_->measurement().Attach(nullptr); }

std::string HeadlessRecorder::TakeNotes() {
    const std::string& hint = station_->form().Label_FileRecordTime.Hint;
    // The hint begins with the label's own text, which is no note.
    if (notesTaken_ == 0) notesTaken_ = text::kResultFileHint.size();
    if (hint.size() <= notesTaken_) return {};
    std::string notes = hint.substr(notesTaken_ + 1);
    notesTaken_ = hint.size();
    return notes;
}

namespace {

std::string NoteOf(const std::string& out) {
    return out + std::string(text::kRecorderResumeNoteEnd);
}

std::string HeldMessage(const std::string& path) {
    return "another program records into " + path + "; it is left as it is";
}

bool WindowsNote(const std::string& notePath) {
    const std::string_view name = text::kWindowResumeNote;
    return notePath.size() >= name.size() &&
           notePath.compare(notePath.size() - name.size(), name.size(), name) == 0 &&
           (notePath.size() == name.size() || notePath[notePath.size() - name.size() - 1] == '/' ||
            notePath[notePath.size() - name.size() - 1] == '\\');
}

// A file of an unfinished recording is never replaced, --force or not.
std::string PartMessage(const std::string& path, const ResumeNote& note,
                        const std::string& notePath, const char* option = "--out") {
    const std::string carriedOn =
        WindowsNote(notePath) ? "the window carries it on at its next start beside " + notePath
                              : "--resume with --out " + note.firstPath + " carries it on";
    return path + " is part of an unfinished recording: " + carriedOn +
           "; to start afresh, give another " + option + " or remove " + notePath;
}

// A note its recording cannot do without: neither resumed nor replaced while it cannot be held.
std::string UnusableMessage(const std::string& notePath, const std::string& problem) {
    return "the note " + notePath + " of an unfinished recording cannot be held (" + problem +
           "): let this user write it, on a writable disk, to carry the recording on, or remove "
           "it to end that recording for good";
}

// What `path`, an output of this run, is to the unfinished recordings of the folders it and
// the settings lie in; empty when it is none of theirs.
std::string CheckNotTaken(const std::string& path, const char* option, const RecordOptions& o,
                          const std::string& ownNote) {
    std::vector<std::string> folders;
    for (const std::string* file : {&o.outPath, &o.rawPath, &o.settingsPath}) {
        if (file->empty()) continue;
        folders.push_back(FolderOf(*file));
        if (const std::optional<std::string> target = LinkTarget(*file)) {
            folders.push_back(FolderOf(*target));
        }
    }
    const RecordingOfFile found = FindRecordingOf(path, folders, ownNote);
    switch (found.is) {
        case RecordingOfFile::Is::Nothing:
            return {};
        case RecordingOfFile::Is::Note:
            return path + " is the note of an unfinished recording; give another " + option;
        case RecordingOfFile::Is::Part:
            break;
    }
    if (found.live) {
        return "another program records into " + found.note->resultPath + ", whose recording " +
               path + " is part of; it is left as it is";
    }
    return PartMessage(path, *found.note, found.notePath, option);
}

// Whether something is at `path` that is not a regular file: a device or a pipe keeps no note.
bool NoRegularFileAt(const std::string& path) {
    if (NothingAt(path)) return false;
    SystemFile file;
    return !file.OpenRegularForReading(path);
}

// With a cut recording's note and --resume, the run goes on with it in its next free part, and a
// raw capture in the raw file of the same number; `options` are set to those. Otherwise the cut
// recording's parts are refused. Returns what is wrong, or nothing.
std::string PlanNextPart(const RecordOptions& given, const ResumeNote& note,
                         const std::string& notePath, RecordOptions& options) {
    if (!given.resume) {
        const bool raw = !given.rawPath.empty() && NamesPartOf(note, given.rawPath);
        return PartMessage(raw ? given.rawPath : given.outPath, note, notePath,
                           raw ? "--raw" : "--out");
    }
    // A note copied or moved beside another file is not that file's recording.
    if (!SameFile(note.firstPath, given.outPath)) {
        return "the note " + notePath + " is of the recording of " + note.firstPath + ", not of " +
               given.outPath + "; --resume with --out " + note.firstPath + " carries it on";
    }
    // The cut part stays as it is until everything else has been checked; the next parts
    // are checked as the files this run makes.
    const std::optional<std::string> next = FreeNumberedPath(note.resultPath, given.rawPath);
    if (!next) return std::string(text::kNoteResumeNoNewFile) + note.resultPath;
    options.outPath = *next;
    if (!given.rawPath.empty()) {
        int partNumber = 1;
        UnnumberedPath(*next, partNumber);
        int unused = 1;
        options.rawPath = NumberedPath(UnnumberedPath(given.rawPath, unused), partNumber);
    }
    options.force = false;
    return {};
}

// Nor is a part of any other unfinished recording, the window's included, whatever name
// reaches it; a device or a pipe holds none of its data. Returns what is wrong, or nothing.
std::string CheckOutputsFree(const RecordOptions& options, const std::string& ownNote) {
    for (const auto& [option, output] :
         {std::pair{"--out", &options.outPath}, {"--raw", &options.rawPath}}) {
        if (output->empty() || NoRegularFileAt(*output)) continue;
        std::string error = CheckNotTaken(*output, option, options, ownNote);
        if (!error.empty()) return error;
    }
    return {};
}

}  // namespace

bool HeadlessRecorder::HoldNote(const RecordOptions& given, std::optional<ResumeNote>& cut,
                                std::string& error) {
    RecordingResume& resume = station_->recording().Resume();
    // Each recording's note lies beside its first result file, named after it: recorders with
    // other outputs never share one, and one that is held tells of a live recording.
    if (!NoRegularFileAt(given.outPath)) resume.KeepNoteAt(NoteOf(given.outPath));
    const bool noteThere = !resume.NotePath().empty() && !NothingAt(resume.NotePath());
    const RecordingResume::Look look = resume.Hold();
    if (look.found == RecordingResume::Found::Held) {
        error = HeldMessage(look.note ? look.note->resultPath : given.outPath);
        return false;
    }
    if (look.found == RecordingResume::Found::Damaged) {
        error = std::string(text::kNoteResumeDamaged) + resume.NotePath();
        return false;
    }
    // One that is not there and cannot be made only costs this run its resumption (it says so).
    if (look.found == RecordingResume::Found::Unusable && noteThere) {
        error = UnusableMessage(resume.NotePath(), look.problem);
        return false;
    }
    if (look.found == RecordingResume::Found::Cut) cut = look.note;
    return true;
}

bool HeadlessRecorder::ApplySettings(const RecordOptions& options, std::string& error) {
    Station& st = *station_;
    error = CheckRunFiles(options);
    if (!error.empty()) return false;
    const RecorderSettingsOutcome settings = ApplyRecorderSettings(st, options);
    if (!settings.error.empty()) {
        error = settings.error;
        return false;
    }
    error = CheckTableFiles(st.measurement().Tables().Paths(), options);
    if (!error.empty()) return false;
    const bool live = options.replayPath.empty();
    descriptionWanted_ = live && !settings.fromFile && !options.description;
    serialWanted_ = live && !settings.fromFile && !options.serial;

    // A table that does not load says so and its channel records 0, as in the
    // window; channels that are not recorded need none.
    for (int channel = 1; channel <= kChannels; ++channel) {
        if (st.form().FileEN_CH[static_cast<std::size_t>(channel - 1)].Checked) {
            st.measurement().Tables().Load(channel);
        }
    }
    return true;
}

bool HeadlessRecorder::GoOnFromCut(RecordOptions& options, std::string& error) {
    RecordingResume& resume = station_->recording().Resume();
    // Ends the cut file and takes its choices over whatever the settings say.
    const std::optional<std::string> next = resume.FindCut();
    if (!next) {
        error = TakeNotes();
        return false;
    }
    options.outPath = *next;
    options.rawPath = resume.RawPath();
    resuming_ = true;
    resume.CarryOnAtStart();
    resume.TellPending(*next);
    return true;
}

bool HeadlessRecorder::Prepare(const RecordOptions& given, std::string& error) {
    RecordOptions options = given;
    std::optional<ResumeNote> cut;
    if (!HoldNote(given, cut, error)) return false;
    ts::Recording& recording = station_->recording();
    const std::string& notePath = recording.Resume().NotePath();
    if (cut) {
        error = PlanNextPart(given, *cut, notePath, options);
        if (!error.empty()) return false;
    }
    error = CheckOutputsFree(options, notePath);
    if (!error.empty()) return false;
    recording.Resume().CaptureRawInto(given.rawPath);
    if (!ApplySettings(options, error)) return false;
    if (cut && !GoOnFromCut(options, error)) return false;
    rawPath_ = options.rawPath;
    // The window's averaging box is cleared for "every sample" and "on change".
    recording.RefreshOptions();
    recording.SetResultFileName(options.outPath);
    outPath_ = options.outPath;
    if (options.durationSeconds) durationUnits_ = *options.durationSeconds * kTimeUnitsPerSecond;
    return true;
}

void HeadlessRecorder::CompleteIdentity() {
    if (!descriptionWanted_ && !serialWanted_) return;
    InstrumentLink& link = station_->link();
    // Of several bridges that fit, the last of the first eight, as the window's open takes
    // the last of equal identities.
    const DeviceListing listing = ListDevices(link.Bridge(), {}, false);
    const ListedDevice* found = nullptr;
    for (const ListedDevice& device : listing.devices) {
        if ((descriptionWanted_ || device.description == link.Description()) &&
            (serialWanted_ || device.serial == link.Serial())) {
            found = &device;
        }
    }
    if (found == nullptr) return;
    link.SetIdentity(found->description, found->serial);
    descriptionWanted_ = serialWanted_ = false;
}

void HeadlessRecorder::OpenInstrument() {
    CompleteIdentity();
    station_->link().Open(false);
    // As at the window's start: a device that stays silent is re-enumerated.
    station_->link().AwaitStream();
}

bool HeadlessRecorder::RecordsPeriods() const {
    const int choice = station_->form().SelectedRecordChoice();
    return choice != kRecordChoiceAll && choice != kRecordChoiceOnChange;
}

void HeadlessRecorder::StopForDuration() {
    durationStopDue_ = false;
    durationReached_ = true;
    recordsAtStop_ = Records();
    finished_ = true;
    ts::Recording& recording = station_->recording();
    if (recording.WriteFailed()) recording.Resume().KeepNoteAtStop();
    if (recording.Active()) station_->B_FileSaveStopClick();
}

void HeadlessRecorder::SampleEntering(const Sample& sample) {
    ++samples_;
    if (durationStopDue_) {
        StopForDuration();
    } else if (started_ && !durationReached_ && durationUnits_ &&
               station_->measurement().ElapsedAt(sample) - station_->recording().StartTime() >
                   *durationUnits_) {
        // Every record up to the duration is written, none after it. A sample or a change is
        // recorded at its own time, so this one is not; a period ending at or before the
        // duration is closed only by this sample, which is let through for that.
        if (RecordsPeriods()) {
            durationStopDue_ = true;
        } else {
            StopForDuration();
        }
    }
    // The sample before this one has been processed whole: start between the two.
    if (startPending_) StartRecording();
    if (!started_) startPending_ = true;
}

std::uint64_t HeadlessRecorder::Records() const {
    if (finished_) return recordsAtStop_;
    const std::uint64_t lines = station_->recording().LinesWritten();
    return started_ && lines >= 2 ? lines - 2 : 0;
}

void HeadlessRecorder::StartRecording() {
    startPending_ = false;
    started_ = true;
    ts::Recording& recording = station_->recording();
    // The file is made only now, so that a run that never receives a sample
    // leaves none. One that cannot be made fails the start line below.
    // A resumed recording's file is new: it never replaces one that came meanwhile.
    if (!recording.FileOpen()) recording.OpenResultFile(outPath_, !resuming_);
    station_->B_FileSaveStartClick();
    failed_ = !recording.Active();
    if (resuming_ && !failed_) recording.Resume().TellResumed(outPath_);
}

void HeadlessRecorder::Tick(bool supervise, bool afterPause) {
    ++ticks_;
    InstrumentLink& link = station_->link();
    const std::int32_t silentBefore = link.SilentPolls();
    station_->Timer_25HzTimer();
    // Bytes that came while the program stood still are read by this poll or
    // the next; an empty poll now is no silence of the line.
    if (afterPause) link.ForgetSilenceSince(silentBefore);
    if (startPending_) StartRecording();
    if (durationStopDue_) StopForDuration();
    if (supervise && ticks_ % kTicksPerSupervision == 0) {
        CompleteIdentity();
        station_->TimerPortTimer();
    }
}

void HeadlessRecorder::Finish(bool keepNote) {
    Station& st = *station_;
    ts::Recording& recording = st.recording();
    st.link().ShowStatistics();
    // Records lost to a full disk or a limit on the file's size are no recording ended whole
    // either: --resume goes on with it in a new part.
    if (keepNote || recording.WriteFailed()) recording.Resume().KeepNoteAtStop();
    if (durationReached_) return;
    recordsAtStop_ = Records();
    finished_ = true;
    if (recording.Active()) {
        // The stop reports its own failures, as in the window.
        st.B_FileSaveStopClick();
        return;
    }
    if (!recording.FileOpen()) return;
    // The start failed; the file holds whatever whole lines reached it, perhaps none.
    if (!recording.CloseResultFile()) st.ui().ShowMessage(text::kMsgResultCloseFailed);
    // Only an empty regular file of that name goes: never a device, a pipe or a link.
    RemoveIfEmptyRegularFile(outPath_);
}

}  // namespace ts
