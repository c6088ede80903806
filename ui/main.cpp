#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/build_config.h"
#include "app/data_folder.h"
#include "app/posix_platform.h"
#include "app/texts.h"
#include "app/window_options.h"
#include "app_setup.h"
#include "close_on_signals.h"
#include "device/ftdi_driver.h"
#include "main_window.h"
#include "qt_text.h"

int main(int argc, char** argv) {
    // Read before Qt starts, so that --help and --version need no display.
    const ts::WindowOptions options = ts::ParseWindowOptions(
        {argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)}, false);
    if (!options.error.empty()) {
        std::fprintf(stderr, "trend-station: %s\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(ts::WindowUsage(false).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("trend-station %s\n", std::string(ts::kVersion).c_str());
        return 0;
    }
    std::string folderError;
    const bool inFolder =
        !options.userData ||
        ts::EnterFolder(ts::UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")),
                        folderError);

    QApplication app(argc, argv);  // also takes the regional settings: setlocale(LC_ALL, "")
    ts::PrepareApplication(app);
    if (!inFolder) {
        // Started from the menu there is no terminal to tell; and the home folder itself is
        // no place for the settings.
        QMessageBox box(QMessageBox::NoIcon, ts::Q(ts::text::kAppTitle),
                        ts::Q(std::string(ts::text::kMsgDataFolderFailed) + folderError));
        box.exec();
        return 1;
    }
    ts::FtdiDriver driver;
    ts::PosixPlatform platform;
    ts::CloseOnSignals closer;
    ts::TMF window(driver, platform);
    if (closer.Watch(window)) return 0;
    window.show();
    return app.exec();
}
