#include "record/recording_resume.h"

#include "base/texts.h"
#include "platform/absolute_path.h"
#include "platform/file_status.h"
#include "platform/line_file.h"
#include "platform/system_file.h"
#include "platform/text_codec.h"
#include "record/recording.h"
#include "record/recording_needs.h"
#include "record/recording_notes.h"
#include "record/stamped_line.h"
#include "record/whole_lines.h"

namespace ts {

namespace {

// Paths fit well within this; a longer line is no note of ours.
constexpr std::size_t kMaxNoteLineBytes = 64 * 1024;
// Bytes of a part's head read for its first lines: a start line, a header and a link line.
constexpr std::size_t kHeadBytes = 4096;
// Numbers tried for the new file before giving up: a folder full of them says something else.
constexpr int kMostNumbers = 10000;

void Note(RecordingFields& form, std::string_view note, std::string_view what) {
    std::string line(note);
    line += what;
    AddRecordingNote(form, line);
}

// Cuts what is not whole lines off the file's end (a line cut short by the interruption, zero
// bytes a power cut left) and adds the interruption line; `cutOff` counts the bytes cut. The file
// must be there and writable as a regular file: nothing else is made or replaced.
bool EndCutFile(Cp1251Encoder& encoder, const std::string& path, const std::string& interruption,
                std::uint64_t& cutOff) {
    SystemFile file;
    if (!file.OpenExistingForUpdate(path)) return false;
    const std::int64_t size = file.Size();
    if (size < 0) return false;
    const std::optional<std::uint64_t> end =
        EndOfWholeLines(file, static_cast<std::uint64_t>(size));
    if (!end) return false;
    cutOff = static_cast<std::uint64_t>(size) - *end;
    const std::string bytes = encoder.Encode(interruption);
    if (!file.TruncateAt(*end) || file.Write(bytes.data(), bytes.size()) != bytes.size()) {
        return false;
    }
    return file.SyncData() && file.Close();
}

// Lines of a file's head, without their line ends.
std::vector<std::string> HeadLines(const std::string& path, std::size_t count) {
    std::vector<std::string> lines;
    SystemFile file;
    char head[kHeadBytes];
    if (!file.OpenRegularForReading(path)) return lines;
    const std::ptrdiff_t got = file.ReadAt(0, head, sizeof head);
    std::string_view bytes(head, got > 0 ? static_cast<std::size_t>(got) : 0);
    while (lines.size() < count) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) break;
        std::string_view line = bytes.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        bytes.remove_prefix(lf + 1);
    }
    return lines;
}

// What the part after the cut one `path` says of itself: the next part of the recording the cut
// one carries on, or the second of the one it began. Nothing when the cut part's start cannot
// be read: its next part then reads as the older files' do.
std::optional<ChainLink> NextLink(Cp1251Encoder& encoder, const std::string& path) {
    const std::vector<std::string> head = HeadLines(path, 3);
    if (head.size() == 3) {
        if (std::optional<ChainLink> link = ParseChainLink(head[2])) {
            ++link->part;
            return link;
        }
    }
    if (head.empty()) return std::nullopt;
    const std::optional<std::string> started = StartStampOf(head[0]);
    if (!started) return std::nullopt;
    return ChainLink{*started, encoder.Encode(FileNameOfPath(path)), 2};
}

void ApplyChoices(RecordingFields& form, RecordingNeeds& needs, const ResumeNote& note) {
    form.SelectRecordChoice(note.choice);
    form.CheckBox_FileDataAver.Checked = note.average;
    form.ComboBox_FileOnChangeThresh.ItemIndex = note.thresholdIndex;
    for (int c = 0; c < kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        form.FileEN_CH[i].Checked = note.channels[i];
        // Tables are read again only where the recording had another than Settings.bin's.
        if (needs.TablePaths()[i] != note.tables[i]) needs.LoadTable(c + 1, note.tables[i]);
    }
}

// The note at `path`, read as it stands.
RecordingResume::Look ReadAt(const std::string& path, RecordingResume::Found ifWhole) {
    const LineFile file = ReadLineFile(path, kResumeNoteLines, kMaxNoteLineBytes);
    if (!file.readable) {
        return {RecordingResume::Found::Unusable, std::nullopt, "it cannot be read"};
    }
    if (file.lines.empty() && !file.stoppedAtBadLine) return {};
    std::optional<ResumeNote> note = ParseResumeNote(file.lines);
    if (!note) return {RecordingResume::Found::Damaged, std::nullopt, {}};
    // Notes of earlier versions named the files as the recorder was given them, from its working
    // folder, which was the note's own.
    for (std::string* named :
         {&note->firstPath, &note->resultPath, &note->rawFirst, &note->rawPath}) {
        *named = PathBeside(path, *named);
    }
    return {ifWhole, std::move(note), {}};
}

// `path` as it names its file from any working folder: a relative one from the current folder, a
// rooted one as it is spelled, which is how the window shows it.
std::string NamedFromAnywhere(const std::string& path) {
    return PathBeside(".", path) == path ? path : AbsolutePath(path);
}

// A held note is a live recording's, whatever it holds yet: its program may not have written it.
RecordingResume::Look HeldLook(const std::string& path) {
    RecordingResume::Look look = ReadAt(path, RecordingResume::Found::Held);
    look.found = RecordingResume::Found::Held;
    return look;
}

}  // namespace

std::optional<std::string> FreeNumberedPath(const std::string& cut, const std::string& beside) {
    int number = 1;
    const std::string base = UnnumberedPath(cut, number);
    int unused = 1;
    const std::string besideBase = beside.empty() ? beside : UnnumberedPath(beside, unused);
    for (int n = number + 1; n < number + kMostNumbers; ++n) {
        std::string candidate = NumberedPath(base, n);
        if (NothingAt(candidate) && (beside.empty() || NothingAt(NumberedPath(besideBase, n)))) {
            return candidate;
        }
    }
    return std::nullopt;
}

RecordingResume::RecordingResume(Platform& platform, RecordingFields& fields, RecordingNeeds& needs,
                                 Cp1251Encoder& encoder)
    : platform_(platform), fields_(fields), needs_(needs), encoder_(encoder) {}

RecordingResume::Look RecordingResume::Read(const std::string& path) {
    return ReadAt(path, Found::Cut);
}

RecordingResume::Look RecordingResume::Peek(const std::string& path) {
    if (NothingAt(path)) return {};
    FileLock lock;
    switch (lock.Take(path)) {
        case FileLock::Outcome::HeldElsewhere:
            return HeldLook(path);
        case FileLock::Outcome::Failed:
            return {Found::Unusable, std::nullopt, lock.Problem()};
        case FileLock::Outcome::Taken:
            break;
    }
    Look look = ReadAt(path, Found::Cut);
    // Made by the take just now, or left empty by a run killed before it noted anything.
    if (look.found == Found::Nothing) lock.RemoveAndRelease();
    return look;
}

RecordingResume::Look RecordingResume::Hold() {
    if (notePath_.empty()) return {};
    if (!lock_.Held()) {
        switch (lock_.Take(notePath_)) {
            case FileLock::Outcome::HeldElsewhere:
                return HeldLook(notePath_);
            case FileLock::Outcome::Failed:
                return {Found::Unusable, std::nullopt, lock_.Problem()};
            case FileLock::Outcome::Taken:
                break;
        }
    }
    Look look = ReadAt(notePath_, Found::Cut);
    noted_ = look.found != Found::Nothing;
    return look;
}

bool RecordingResume::WriteNote(const ResumeNote& note) {
    // Written over the held file in place: a new file renamed over it would not be held.
    SystemFile file;
    const std::string text = FormatResumeNote(note);
    if (!lock_.Held() || !file.OpenExistingForWriting(notePath_) ||
        file.Write(text.data(), text.size()) != text.size() || !file.TruncateAt(text.size()) ||
        !file.SyncData() || !file.Close()) {
        return false;
    }
    noted_ = true;
    written_ = note;
    return true;
}

void RecordingResume::Started(const std::string& resultPath) {
    if (notePath_.empty()) return;
    // The files are noted whole, so that a start from any working folder finds them.
    ResumeNote note;
    note.resultPath = NamedFromAnywhere(resultPath);
    note.firstPath = carrying_ ? cutFirst_ : note.resultPath;
    if (carrying_ && !cutPath_.empty()) EndCutWithGoesOn(resultPath);
    carrying_ = false;
    note.rawFirst = NamedFromAnywhere(rawFirst_);
    note.rawPath = NamedFromAnywhere(rawPath_);
    const RecordingFields& form = fields_;
    note.choice = form.SelectedRecordChoice();
    note.average = form.CheckBox_FileDataAver.Checked;
    note.thresholdIndex = form.ComboBox_FileOnChangeThresh.ItemIndex;
    for (int c = 0; c < kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        note.channels[i] = form.FileEN_CH[i].Checked;
        note.tables[i] = needs_.TablePaths()[i];
    }
    // A path with a line break in it cannot be noted; nor can a note that does not reach the
    // disk, or one another program holds (its recording's note stays as it is). The recording
    // runs all the same; only its resumption is lost, and the user is told.
    bool notable = true;
    for (const std::string* path : {&note.firstPath, &note.resultPath, &note.rawFirst}) {
        notable = notable && path->find_first_of("\r\n") == std::string::npos;
    }
    if (!notable || (!lock_.Held() && lock_.Take(notePath_) != FileLock::Outcome::Taken) ||
        !WriteNote(note)) {
        Note(fields_, text::kNoteResumeNotNoted, notePath_);
        lock_.Release();
        noted_ = false;
        written_.reset();
    }
}

void RecordingResume::Stopped(bool partEnded) {
    const bool keep = keepAtStop_;
    keepAtStop_ = false;
    // A note this run does not hold is another program's, or none.
    if (!lock_.Held()) return;
    if (!partEnded && written_) {
        Leave();
        return;
    }
    if (keep && written_) {
        ResumeNote ended = *written_;
        ended.ended = true;
        WriteNote(ended);
        Leave();
        return;
    }
    lock_.RemoveAndRelease();
    noted_ = false;
    written_.reset();
}

void RecordingResume::Leave() {
    if (!lock_.Held()) return;
    if (noted_) {
        lock_.Release();
    } else {
        lock_.RemoveAndRelease();
    }
    noted_ = false;
    written_.reset();
}

std::optional<std::string> RecordingResume::FindCut() {
    if (notePath_.empty() || NothingAt(notePath_)) return std::nullopt;
    const Look look = Hold();
    switch (look.found) {
        case Found::Nothing:
            Leave();
            return std::nullopt;
        case Found::Held:
            // Its recording is alive: neither the note nor the file is touched.
            Note(fields_, text::kNoteResumeHeld, look.note ? look.note->resultPath : notePath_);
            return std::nullopt;
        case Found::Unusable:
            // Held by nobody: its parts stay refused to every start until the user decides.
            Note(fields_, text::kNoteResumeUnusable, notePath_);
            return std::nullopt;
        case Found::Damaged:
            // Nothing is decided for the user, and a new recording's note replaces it.
            Note(fields_, text::kNoteResumeDamaged, notePath_);
            lock_.Release();
            return std::nullopt;
        case Found::Cut:
            break;
    }
    ResumeNote note = *look.note;
    const std::string interruption = StampedLine(platform_, text::kResultInterrupted);
    // Ended once: a start that cannot go on (no instrument yet) leaves the part as it is for the
    // next, which does not end it again.
    std::uint64_t cutOff = 0;
    const bool whole = note.ended ? !FileMissing(note.resultPath)
                                  : EndCutFile(encoder_, note.resultPath, interruption, cutOff);
    if (!whole) {
        Note(fields_, text::kNoteResumeFileGone, note.resultPath);
        lock_.Release();
        return std::nullopt;
    }
    if (cutOff > 0) {
        std::string told(text::kNoteResumeTailCut);
        told += std::to_string(cutOff);
        told += text::kNoteResumeTailCutFile;
        Note(fields_, told, note.resultPath);
    }
    if (!note.ended) {
        note.ended = true;
        WriteNote(note);
    }
    const std::optional<std::string> next = FreeNumberedPath(note.resultPath, rawFirst_);
    if (!next) {
        Note(fields_, text::kNoteResumeNoNewFile, note.resultPath);
        lock_.Release();
        return std::nullopt;
    }
    if (!rawFirst_.empty()) {
        int number = 1;
        UnnumberedPath(*next, number);
        int unused = 1;
        rawPath_ = NumberedPath(UnnumberedPath(rawFirst_, unused), number);
        if (!note.rawFirst.empty()) rawFirst_ = note.rawFirst;
    }
    ApplyChoices(fields_, needs_, note);
    cutFirst_ = note.firstPath;
    cutPath_ = note.resultPath;
    link_ = NextLink(encoder_, note.resultPath);
    foundAt_ = interruption.substr(0, interruption.size() - text::kResultInterrupted.size() - 2);
    return next;
}

void RecordingResume::OnStart() {
    pending_ = FindCut();
    if (pending_) TellPending(*pending_);
}

void RecordingResume::OnTick(Recording& rec) {
    if (!pending_) return;
    // A recording the user started meanwhile takes its place, for good.
    if (rec.Active()) {
        pending_.reset();
        return;
    }
    // As soon as the instrument streams again: the first sample since the start is in.
    if (!needs_.Streaming()) return;
    const std::string path = *pending_;
    pending_.reset();
    // Made only now and never over anything: a file of that name that came meanwhile stays.
    if (!rec.OpenResultFile(path, false)) {
        Note(fields_, text::kNoteResumeNoNewFile, path);
        return;
    }
    rec.FitFileNameLabel();
    CarryOnAtStart();
    rec.Start();
    if (rec.Active()) TellResumed(path);
}

void RecordingResume::Tell(std::string_view words, std::string_view fileWords,
                           const std::string& path) const {
    std::string note(words);
    note += foundAt_;
    note += fileWords;
    note += path;
    AddRecordingNote(fields_, note);
}

void RecordingResume::TellPending(const std::string& path) const {
    Tell(text::kNoteResumePending, text::kNoteResumePendingFile, path);
}

void RecordingResume::TellResumed(const std::string& path) const {
    Tell(text::kNoteResumed, text::kNoteResumedFile, path);
}

namespace {

// "date time" now as the user's regional settings write it, in code page 1251.
std::string StampNow(Platform& platform, Cp1251Encoder& encoder) {
    std::string stamp = StampedLine(platform, "");
    while (!stamp.empty() && (stamp.back() == '\n' || stamp.back() == '\r')) stamp.pop_back();
    return encoder.Encode(stamp);
}

}  // namespace

std::optional<std::string> RecordingResume::LinkLine() const {
    if (!carrying_ || !link_) return std::nullopt;
    return ChainLinkLine(StampNow(platform_, encoder_), *link_);
}

// The cut part names the file its recording goes on in, now that the file is there. A part
// that cannot take the line is said: a reader then finds the next part only by its number.
void RecordingResume::EndCutWithGoesOn(const std::string& resultPath) {
    const std::string line =
        GoesOnLine(StampNow(platform_, encoder_), encoder_.Encode(FileNameOfPath(resultPath)));
    SystemFile file;
    if (!file.OpenExistingForUpdate(cutPath_) ||
        file.Write(line.data(), line.size()) != line.size() || !file.SyncData() || !file.Close()) {
        Note(fields_, text::kNoteResumeGoesOnNotNoted, cutPath_);
    }
}

}  // namespace ts
