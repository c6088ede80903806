#pragma once

#include <optional>
#include <string>
#include <vector>

#include "record/resume_note.h"

namespace ts {

// What an existing file is to the unfinished recordings whose notes lie in some folders: the
// window's note beside its Settings.bin and trend-record's beside its first result file are
// both looked at, and every comparison goes by the files' identities, so that no name of a part
// (a link, a hard link, another spelling) passes for another file.
struct RecordingOfFile {
    enum class Is {
        Nothing,  // no part of a recording noted there, nor a note
        Part,     // a result or raw part of the recording of `notePath`
        Note,     // the note itself
    };
    Is is = Is::Nothing;
    std::string notePath;
    bool live = false;               // the note is held: its recording runs right now
    std::optional<ResumeNote> note;  // for a part
};

// Looks at every note in `folders` but `ownNote` (this run's, which it holds and judges itself).
RecordingOfFile FindRecordingOf(const std::string& path, const std::vector<std::string>& folders,
                                const std::string& ownNote = {});

}  // namespace ts
