#include <QApplication>
#include <string>

#include "app/window_options.h"
#include "app_setup.h"
#include "close_on_signals.h"
#include "device/libftdi/ftdi_driver.h"
#include "main_window.h"
#include "platform/file_size_signal.h"
#include "platform/system_platform.h"

int main(int argc, char** argv) {
    ts::TakeFileSizeLimitAsFullDisk();
    const ts::WindowOptions options = ts::ParseWindowOptions(
        {argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)}, false);
    std::string folderError;
    if (const auto status = ts::ActBeforeWindow(options, {}, folderError)) {
        return *status;
    }
    QApplication app(argc, argv);  // also takes the regional settings: setlocale(LC_ALL, "")
    ts::PrepareApplication(app);
    if (!folderError.empty()) return ts::ReportDataFolderFailure(folderError);
    ts::FtdiDriver driver;
    ts::SystemPlatform platform;
    ts::CloseOnSignals closer;
    ts::TMF window(driver, platform, nullptr,
                   options.open.empty() ? ts::TMF::Start::MainWindow : ts::TMF::Start::Reviews);
    if (closer.Watch(window)) return 0;
    window.show();
    if (!options.open.empty()) window.OpenAtStart(options.open);
    return app.exec();
}
