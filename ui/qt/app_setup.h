#pragma once

#include <string>

class QApplication;

namespace ts {

// Application-wide set-up shared by the program and its simulator: the title,
// the window font, and Qt's own Russian translations for the platform dialogs.
void PrepareApplication(QApplication& app);

// Started from the menu there is no terminal to tell, and the home folder itself is no place
// for the settings: says so in a box and returns the exit status.
int ReportDataFolderFailure(const std::string& why);

}  // namespace ts
