#include "record/recording_parts.h"

#include <algorithm>

#include "base/texts.h"
#include "platform/file_identity.h"
#include "record/recording_resume.h"

namespace ts {

RecordingOfFile FindRecordingOf(const std::string& path, const std::vector<std::string>& folders,
                                const std::string& ownNote) {
    const std::optional<FileIdentity> id = IdentityOf(path);
    if (!id) return {};
    // A folder named twice, or a note reached by two names, is looked at once.
    std::vector<FileIdentity> seen;
    if (const std::optional<FileIdentity> own = IdentityOf(ownNote)) seen.push_back(*own);
    for (const std::string& folder : folders) {
        for (const std::string& notePath : FilesEndingWith(folder, text::kRecorderResumeNoteEnd)) {
            const std::optional<FileIdentity> noteId = IdentityOf(notePath);
            if (!noteId || std::find(seen.begin(), seen.end(), *noteId) != seen.end()) continue;
            seen.push_back(*noteId);
            // Read without taking it: a note another program holds, or one nobody may change,
            // still tells which files are its recording's.
            RecordingResume::Look look = RecordingResume::Read(notePath);
            if (*noteId == *id) {
                // A live recording's note is its own however little it holds yet; a file that
                // merely ends like one is no note.
                const bool live = !look.note && RecordingResume::Peek(notePath).found ==
                                                    RecordingResume::Found::Held;
                if (!look.note && !live) return {};
                return {RecordingOfFile::Is::Note, notePath, live, std::move(look.note)};
            }
            if (!look.note || !NamesPartOf(*look.note, path)) continue;
            const bool live = RecordingResume::Peek(notePath).found == RecordingResume::Found::Held;
            return {RecordingOfFile::Is::Part, notePath, live, std::move(look.note)};
        }
    }
    return {};
}

}  // namespace ts
