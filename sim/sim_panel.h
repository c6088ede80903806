#pragma once

#include <QWidget>
#include <array>

#include "base/sample.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace ts::sim {

// The simulator's second window: steers the virtual instrument while the
// program runs, so every path of the program can be seen without hardware.
// Every control acts on the instrument at once; nothing is kept in between.
class SimPanel final : public QWidget {
    Q_OBJECT
public:
    SimPanel(SimDriver& driver, int deviceId, SimInstrument& instrument, QWidget* parent = nullptr);

    // Seconds of the pause still to run, in the instrument's time.
    double PauseLeft() const;
    // Brings the status line up to date (also done four times a second).
    void RefreshStatus();

private:
    struct ChannelRow {
        QComboBox* shape = nullptr;
        QSpinBox* level = nullptr;
        QSpinBox* amplitude = nullptr;
        QDoubleSpinBox* period = nullptr;
    };

    QWidget* BuildLinkGroup();
    QWidget* BuildSignalGroup();
    QWidget* BuildFaultGroup();
    void ApplyShape(int channel);
    void StartPause();

    SimDriver& driver_;
    int deviceId_;
    SimInstrument& instrument_;
    double pauseUntil_ = 0;

    QCheckBox* plugged_ = nullptr;
    QSpinBox* number_ = nullptr;
    std::array<ChannelRow, kChannels> rows_{};
    QSpinBox* noiseBytes_ = nullptr;
    QSpinBox* corruptFrames_ = nullptr;
    QDoubleSpinBox* pauseSeconds_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* statusTimer_ = nullptr;
};

}  // namespace ts::sim
