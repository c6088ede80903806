#pragma once

#include <string_view>

namespace ts {

struct RecordingFields;

// Adds one line to the recording time's hint: what the program has to tell about its recordings
// without a box that would wait for a person (nobody may be there for days).
void AddRecordingNote(RecordingFields& form, std::string_view note);

}  // namespace ts
