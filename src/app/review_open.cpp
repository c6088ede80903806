#include "app/station.h"

namespace ts {

void Station::M_Menu_Review_OpenClick() {
    // The review reads the file on its own; the live window and a recording go on untouched.
    if (const std::optional<std::string> path = ui.ChooseRecordingFile()) ui.OpenReview(*path);
}

}  // namespace ts
