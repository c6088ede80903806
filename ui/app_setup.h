#pragma once

class QApplication;

namespace ts {

// Application-wide set-up shared by the program and its simulator: the title,
// the window font, and Qt's own Russian translations for the platform dialogs.
void PrepareApplication(QApplication& app);

}  // namespace ts
