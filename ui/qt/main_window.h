#pragma once

#include <QMainWindow>
#include <array>
#include <memory>

#include "app/station.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace ts {

class ColorSwatch;
class QtUi;
class StripChart;
class TFA;

// The main window: builds every control under its name, forwards each user
// event to the station's handler and mirrors the station's presentation model
// after every handler and every timer tick. It owns no behaviour of its own.
class TMF final : public QMainWindow {
    Q_OBJECT
public:
    TMF(Driver& driver, Platform& platform, QWidget* parent = nullptr);
    ~TMF() override;

    Station& station() { return *station_; }
    StripChart* chart() const { return chart_; }
    TFA* aboutBox() const { return about_; }
    // Copies the presentation model to the widgets, touching only what differs.
    void ApplyForm();
    // Runs a station handler and mirrors the result.
    template <typename F>
    void Run(F&& handler) {
        handler();
        ApplyForm();
    }

    void M_Menu_Help_AboutClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildChartArea(QWidget* client);
    void BuildScaleGroup(QWidget* client);
    void BuildChannelPanels(QWidget* client);
    void BuildRecordingGroup(QWidget* client);
    void BuildStatusLine(QWidget* client);
    void BuildMenu();
    void StartTimers();
    void ReadUserInput();

    std::unique_ptr<QtUi> qtUi_;
    std::unique_ptr<Station> station_;
    TFA* about_ = nullptr;
    bool closed_ = false;

    StripChart* chart_ = nullptr;
    QLabel* errDeviceNum_ = nullptr;
    QCheckBox* chartStop_ = nullptr;
    QCheckBox* chartAver_ = nullptr;
    QPushButton* chartClear_ = nullptr;
    ColorSwatch* backgroundSwatch_ = nullptr;
    ColorSwatch* gridSwatch_ = nullptr;
    QGroupBox* scaleGroup_ = nullptr;
    QButtonGroup* scaleButtons_ = nullptr;

    std::array<QLabel*, kChannels> readouts_{};
    std::array<QToolButton*, kChannels> tableButtons_{};
    std::array<QCheckBox*, kChannels> chartEnables_{};
    std::array<QCheckBox*, kChannels> fileEnables_{};
    std::array<ColorSwatch*, kChannels> curveSwatches_{};

    QButtonGroup* recordButtons_ = nullptr;
    std::array<QRadioButton*, kRecordChoices> recordChoices_{};
    QLabel* onChangeSens_ = nullptr;
    QComboBox* threshold_ = nullptr;
    QPushButton* fileButton_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QCheckBox* dataAver_ = nullptr;
    QLabel* recordTime_ = nullptr;
    QLabel* resultFileName_ = nullptr;

    QLabel* connectionIndicator_ = nullptr;

    QMenu* portMenu_ = nullptr;
    std::array<QAction*, kDeviceMenuItems> deviceItems_{};
    QMenu* modeMenu_ = nullptr;
    QAction* modeNorm_ = nullptr;
    QAction* modeDemo_ = nullptr;

    QTimer* timer25Hz_ = nullptr;
    QTimer* timerPort_ = nullptr;
    QTimer* timerDemo_ = nullptr;
};

}  // namespace ts
