#include <QApplication>

#include "app/posix_platform.h"
#include "app_setup.h"
#include "device/ftdi_driver.h"
#include "main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // also takes the regional settings: setlocale(LC_ALL, "")
    ts::PrepareApplication(app);
    ts::FtdiDriver driver;
    ts::PosixPlatform platform;
    ts::TMF window(driver, platform);
    window.show();
    return app.exec();
}
