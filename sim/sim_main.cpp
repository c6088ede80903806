// The whole program with a simulated instrument attached: what a newcomer
// runs first. The virtual instrument streams on the wall clock.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/window_options.h"
#include "app_setup.h"
#include "close_on_signals.h"
#include "device/line_rate.h"
#include "main_window.h"
#include "platform/system_platform.h"
#include "sim/demo_folder.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"
#include "sim/sim_panel.h"

namespace {

// Side by side where the screen has room, the panel on the right; otherwise
// the panel goes to the screen's top right corner, over the window.
void PlaceBesideEachOther(QWidget& window, QWidget& panel) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    constexpr int kGap = 8;
    const int windowWidth = window.frameGeometry().width();
    const int total = windowWidth + kGap + panel.frameGeometry().width();
    if (total <= area.width()) {
        const int left = area.left() + (area.width() - total) / 2;
        window.move(left, window.y());
        panel.move(left + windowWidth + kGap, window.y());
    } else {
        panel.move(area.right() - panel.frameGeometry().width(), area.top());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const ts::WindowOptions options =
        ts::ParseWindowOptions({argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)}, true);
    std::string folderError;
    if (const auto status = ts::ActBeforeWindow(options, {.simulator = true}, folderError)) {
        return *status;
    }
    QApplication app(argc, argv);
    ts::PrepareApplication(app);
    if (!folderError.empty()) return ts::ReportDataFolderFailure(folderError);
    ts::SystemPlatform platform;
    if (!ts::sim::PrepareDemoFolder(platform.CurrentDirectory(),
                                    platform.Regional().DecimalSeparator)) {
        std::fprintf(stderr, "trend-station-sim: could not prepare the demo files in %s\n",
                     platform.CurrentDirectory().c_str());
    }

    ts::sim::SimDriver driver;
    const int device = driver.AddDevice(ts::sim::kSimDescription, ts::sim::kSimSerial);
    ts::sim::SimInstrument instrument(driver, device);
    // Frames back to back, as fast as the line carries them, for measuring the program at its
    // heaviest load.
    if (options.lineRate) {
        instrument.samplesPerSecond = ts::kLineBytesPerSecond / 14.0;
        instrument.timeUnitsPerSample = 2;
    }

    // The instrument runs before the window exists: its bytes are lost until
    // the program opens the device, as with a real one.
    QElapsedTimer clock;
    clock.start();
    double sent = 0;
    QTimer stream;
    stream.setTimerType(Qt::PreciseTimer);
    QObject::connect(&stream, &QTimer::timeout, [&] {
        const double now = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
        instrument.Advance(now - sent);
        sent = now;
    });
    stream.start(5);

    ts::CloseOnSignals closer;
    ts::TMF window(driver, platform, nullptr,
                   options.open.empty() ? ts::TMF::Start::MainWindow : ts::TMF::Start::Reviews);
    if (closer.Watch(window)) return 0;
    window.show();

    // The panel is a helper: closing the program's window ends the simulator.
    ts::sim::SimPanel panel(driver, device, instrument);
    panel.setAttribute(Qt::WA_QuitOnClose, false);
    panel.adjustSize();
    PlaceBesideEachOther(window, panel);
    panel.show();
    if (!options.open.empty()) window.OpenAtStart(options.open);
    return app.exec();
}
