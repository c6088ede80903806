#pragma once

#include "app/settings_file.h"
#include "base/form.h"
#include "base/ui_port.h"
#include "chart/demo_signal.h"
#include "chart/live_chart.h"
#include "device/driver.h"
#include "device/instrument_link.h"
#include "measure/measurement.h"
#include "platform/platform.h"
#include "record/recording.h"

namespace ts {

// The program without any toolkit: the instrument's link, the measurement, the chart, the
// demonstration, the recording and the settings, wired together. Samples flow one way, from
// the link (or the demonstration) to the measurement, and from there to the chart and the
// recording. The window forwards user input by setting the fields of `form()` and calling a
// handler named after its control, and mirrors `form()` afterwards.
class Station final : private LinkEvents, private RecordingNeeds {
public:
    Station(Driver& driver, Platform& platform, Ui& ui);
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;
    ~Station();

    // ---- The main window's timers and its life ----
    void Construct();
    void Timer_25HzTimer();
    void TimerPortTimer();
    void TimerDemoTimer();
    void FormClose();

    // ---- Handlers of the window's controls ----
    void M_Menu_Setting_PortClick() { link_.BuildDeviceMenu(); }
    void M_Menu_Setting_ConnectionClick(int item) { link_.ChooseDevice(item); }  // item 1..8
    void B_ListF_Click(int channel) { measurement_.Tables().Choose(channel); }   // channel 1..6
    void RadioGroup_XClick() { chart_.Redraw(); }
    void ButtonChartClearClick();
    void ChartEN_Click(int) { chart_.Redraw(); }
    void CheckBox_ChartAverClick() { chart_.Redraw(); }
    void PanelColorClick(int swatch);  // 1..6 curves, 7 background, 8 grid
    void M_Menu_Mode_NormClick() { EnterMode(false); }
    void M_Menu_Mode_DemoClick() { EnterMode(true); }
    // Asks for a result file and shows it in a review window of its own.
    void M_Menu_Review_OpenClick();
    void B_FileClick() { recording_.ChooseResultFile(); }
    void B_FileSaveStartClick() { recording_.Start(); }
    void B_FileSaveStopClick() { recording_.Stop(); }

    // ---- Steps that take several parts ----
    // Every indicator and control state that follows from the parts' state.
    void RefreshStatus();
    // The chart's points, the measurement's sums and time and the readouts back to zero.
    void ResetMeasurement();

    // ---- The parts ----
    InstrumentLink& link() { return link_; }
    Measurement& measurement() { return measurement_; }
    LiveChart& chart() { return chart_; }
    DemoSignal& demo() { return demo_; }
    Recording& recording() { return recording_; }
    SettingsStore& settings() { return settings_; }
    const InstrumentLink& link() const { return link_; }
    const Measurement& measurement() const { return measurement_; }
    const LiveChart& chart() const { return chart_; }
    const DemoSignal& demo() const { return demo_; }
    const Recording& recording() const { return recording_; }
    const SettingsStore& settings() const { return settings_; }
    Ui& ui() { return ui_; }
    // The presentation model: what the windows show, each part writing its own controls. The
    // windows mirror it and set the fields of a control before they call its handler.
    Form& form() { return form_; }
    const Form& form() const { return form_; }

private:
    void WrongInstrument() override;
    void LinkSilent() override;
    void DeviceChosen() override { settings_.Save(); }

    // What the recording asks of the measurement.
    std::uint64_t Elapsed() const override { return measurement_.Elapsed(); }
    const SampleCodes& Latest() const override { return measurement_.Latest(); }
    bool Streaming() const override { return measurement_.Streaming(); }
    void RestartRecordPeriods() override { measurement_.RestartRecordPeriods(); }
    void CloseRecordPeriod(int period) override { measurement_.CloseRecordPeriod(period); }
    double Calibrate(int channel, double raw) const override {
        return measurement_.Tables().Calibrate(channel, raw);
    }
    const std::array<std::string, kChannels>& TablePaths() const override {
        return measurement_.Tables().Paths();
    }
    void LoadTable(int channel, const std::string& path) override;
    void LockTables(bool locked) override { measurement_.Tables().Lock(locked); }

    // Both mode choices run the same sequence, even when the mode does not change.
    void EnterMode(bool demo);

    Form form_;
    Platform& platform_;
    Ui& ui_;
    InstrumentLink link_;
    Measurement measurement_;
    LiveChart chart_;
    DemoSignal demo_;
    Recording recording_;
    SettingsStore settings_;
};

}  // namespace ts
