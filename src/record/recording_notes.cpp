#include "record/recording_notes.h"

#include "base/form.h"

namespace ts {

void AddRecordingNote(RecordingFields& form, std::string_view note) {
    std::string& hint = form.Label_FileRecordTime.Hint;
    hint += '\n';
    hint += note;
}

}  // namespace ts
