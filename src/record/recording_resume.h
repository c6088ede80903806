#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_lock.h"
#include "record/chain_lines.h"
#include "record/resume_note.h"

namespace ts {

class Cp1251Encoder;
class Platform;
class Recording;
class RecordingNeeds;
struct RecordingFields;

// The first free name of a cut file's numbered series after its own: "results.txt" gives
// "results (2).txt", "results (2).txt" gives "results (3).txt"; nothing when none is free.
// With `beside` (a raw capture going on beside the results) the number is free in its series
// too, so that both parts carry one number.
std::optional<std::string> FreeNumberedPath(const std::string& cut, const std::string& beside = {});

// Carries a cut recording on. While a recording runs a note of it lies beside Settings.bin (the
// window) or its result file (trend-record), held by the running program; a start that finds
// one not held ends the cut part with an interruption line and, once the instrument streams,
// records with the same choices into a new numbered file beside it. Everything is told in the
// recording time's hint: nobody may be at the computer to answer a box.
class RecordingResume {
public:
    // The recording's own: the fields it tells in, what it asks the wiring, its lines' encoder.
    RecordingResume(Platform& platform, RecordingFields& fields, RecordingNeeds& needs,
                    Cp1251Encoder& encoder);
    RecordingResume(const RecordingResume&) = delete;
    RecordingResume& operator=(const RecordingResume&) = delete;
    ~RecordingResume() { Leave(); }

    // Where this run keeps its note; until it is told, it keeps none.
    void KeepNoteAt(const std::string& path) { notePath_ = path; }
    const std::string& NotePath() const { return notePath_; }
    // trend-record's raw capture, whose first part is `first`; FindCut numbers the part this run
    // writes.
    void CaptureRawInto(const std::string& first) { rawFirst_ = rawPath_ = first; }
    const std::string& RawPath() const { return rawPath_; }

    // What is at the note's place.
    enum class Found {
        Nothing,   // no note (or one this run has just made, still empty)
        Held,      // the note of a recording another program runs right now
        Damaged,   // a note that cannot be read whole
        Cut,       // the note of a cut recording, now held by this run
        Unusable,  // a note that cannot be opened for holding
    };
    struct Look {
        Found found = Found::Nothing;
        std::optional<ResumeNote> note;  // for Held and Cut
        std::string problem;             // for Unusable: why, in the system's words
    };
    // Takes the note for this run, making an empty one when there is none, and reads it. A run
    // holds its note until it ends; an empty one it never wrote is removed then.
    Look Hold();
    // The note at `path` as Hold sees it, without keeping it or making one.
    static Look Peek(const std::string& path);
    // The note at `path` as it reads, without taking it: Cut for a whole note, whoever holds it.
    static Look Read(const std::string& path);

    // A recording has started into `resultPath`, or has been stopped by the user.
    // `partEnded`: its stop line is on the medium. One that could not be ended (a full disk, a
    // limit on the file's size) is a cut one: its note stays as it is, for the next start to end
    // the part whole and go on.
    void Started(const std::string& resultPath);
    void Stopped(bool partEnded = true);
    // The stop that comes next is the system's (a shutdown, a logout, a service manager): the
    // part gets its stop line, and the note stays, marked ended, for the next start to go on.
    void KeepNoteAtStop() { keepAtStop_ = true; }
    // The program ends without a stop: the note stays as it is, an empty one goes.
    void Leave();

    // At the program's start: a cut recording's file is ended (once per cut, however many starts
    // find it) and the recording is set to its choices; the file to go on in is returned (nothing
    // is made yet), or nothing when there is no note, it is another program's, or the recording
    // cannot go on (the hint says why). With `rawFirst` set, `rawPath` becomes its part of the
    // same number.
    std::optional<std::string> FindCut();
    // The recording that starts next is the cut one's next part.
    void CarryOnAtStart() { carrying_ = true; }
    // The window's way: FindCut at start, then every tick until the instrument streams, when
    // the recording starts by itself.
    void OnStart();
    void OnTick(Recording& rec);
    // Says in the hint that the recording will go on in `path` once the instrument streams, or
    // that it has gone on in it; and since when it was found cut.
    void TellPending(const std::string& path) const;
    void TellResumed(const std::string& path) const;
    // The line that says which recording and part the starting file carries on (code page
    // 1251, with its CR LF); nothing when the recording starting is no cut one's next part.
    std::optional<std::string> LinkLine() const;

private:
    bool WriteNote(const ResumeNote& note);
    void Tell(std::string_view words, std::string_view fileWords, const std::string& path) const;
    void EndCutWithGoesOn(const std::string& resultPath);

    Platform& platform_;
    RecordingFields& fields_;
    RecordingNeeds& needs_;
    Cp1251Encoder& encoder_;
    std::string notePath_;
    std::string rawFirst_;  // the raw capture's first part and the one this run writes
    std::string rawPath_;
    FileLock lock_;
    bool noted_ = false;  // the held note holds something: it stays when the run ends
    std::optional<ResumeNote> written_;   // the note this run wrote last
    std::optional<std::string> pending_;  // the new file, while waiting for the instrument
    std::string cutFirst_;                // the first file of the recording being carried on
    std::string cutPath_;                 // the part it was cut in
    std::optional<ChainLink> link_;       // what the next part says of itself
    bool carrying_ = false;
    bool keepAtStop_ = false;
    std::string foundAt_;  // date and time the cut was found, as the user reads them
};

}  // namespace ts
