#pragma once

#include <optional>
#include <string>

#include "record/resume_note.h"

namespace ts {

class Station;

// The first free name of a cut file's numbered series after its own: "results.txt" gives
// "results (2).txt", "results (2).txt" gives "results (3).txt"; nothing when none is free.
std::optional<std::string> FreeNumberedPath(const std::string& cut);

// Carries a cut recording on. While a recording runs a note of it lies beside Settings.bin; a
// start that finds one ends the cut file with an interruption line and, once the instrument
// streams, records with the same choices into a new numbered file beside it. Everything is told
// in the recording time's hint: nobody may be at the computer to answer a box.
class RecordingResume {
public:
    // Where this run keeps its note; empty (the default): it keeps none.
    std::string notePath;

    // A recording has started into `resultPath`, or has been stopped by the user.
    void Started(Station& st);
    void Stopped();

    // The note of a cut recording, read without changing anything; nothing when there is none
    // or it is damaged.
    std::optional<ResumeNote> ReadNote() const;
    // At the program's start: a cut recording's file is ended and the station is set to its
    // choices; the file to go on in is returned (nothing is made yet), or nothing when there is
    // no note or the recording cannot go on (the hint says why).
    std::optional<std::string> FindCut(Station& st);
    // The window's way: FindCut at start, then every tick until the instrument streams, when
    // the recording starts by itself.
    void OnStart(Station& st);
    void OnTick(Station& st);
    // Says in the hint that the recording goes on in `path`, and since when.
    void TellResumed(Station& st, const std::string& path) const;

private:
    std::optional<std::string> pending_;  // the new file, while waiting for the instrument
    std::string foundAt_;                 // date and time the cut was found, as the user reads them
};

}  // namespace ts
