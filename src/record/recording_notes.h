#pragma once

#include <string_view>

namespace ts {

struct Form;

// Adds one line to the recording time's hint: what the program has to tell about its recordings
// without a box that would wait for a person (nobody may be there for days).
void AddRecordingNote(Form& form, std::string_view note);

}  // namespace ts
