#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/ui_port.h"
#include "chart/chart_series.h"
#include "chart/chart_settings.h"
#include "chart/scale_ring.h"
#include "device/driver.h"
#include "device/link_state.h"
#include "device/link_statistics.h"
#include "measure/calibration_table.h"
#include "measure/pipeline_probe.h"
#include "measure/pipeline_state.h"
#include "platform/platform.h"
#include "record/recording_state.h"

namespace ts {

// The whole station: every piece of state and every handler of the main
// window, without any toolkit. The window forwards user input by setting the
// fields of `form` and calling a handler, and mirrors `form` afterwards.
// Handlers are defined in the source folder of their subsystem.
class Station {
public:
    Station(Driver& driver, Platform& platform, Ui& ui);
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;
    ~Station();

    // ---- Application shell (app/) ----
    // The main window's construction steps, in their order.
    void Construct();
    void Timer_25HzTimer();
    void TimerPortTimer();
    void TimerDemoTimer();
    void FormClose();
    void LoadSettings();
    void SaveSettings();

    // ---- Device link (device/) ----
    // True when the device was found, opened and configured. Opening with
    // messages starts the link statistics afresh; a silent open carries them on.
    bool OpenDevice(bool showMessages);
    void PollDevice();
    void DecodeFrame(const std::uint8_t* frame);
    void M_Menu_Setting_PortClick();                // builds the device menu
    void M_Menu_Setting_ConnectionClick(int item);  // item 1..8
    void SelectDevice(int index);
    void WatchSilence();
    void ReenumerateDevice();

    // ---- Measurement (measure/) ----
    void ProcessSample(const Sample& sample);
    // The pipeline's share of the measurement reset: all 42 sets, ElapsedCount
    // and RecordingStart to 0 (FirstSample, PreviousCounter, LatestSample kept).
    void ResetPipeline();
    double CalibrateValue(int channel, double raw) const;  // channel 1..6
    void B_ListF_Click(int channel);                       // channel 1..6
    void LoadTable(int channel);                           // channel 1..6
    void RefreshStatus();
    // Asks the driver for the open handle's losses and writes the link
    // statistics into the connection indicator's hint.
    void ShowLinkStatistics();

    // ---- Chart (chart/) ----
    void EndChartPeriod(int scale);  // scale 1..25
    void ClearScaleRing(int scale);
    void DrawScale(int scale);
    void RedrawChart();
    void EmptySeries();
    // Appends the point at x to the series of every channel ticked for the chart.
    void AddChartPoint(int x, const std::array<std::uint16_t, kChannels>& codes);
    void ResetMeasurement();
    void RadioGroup_XClick();
    void ButtonChartClearClick();
    void ChartEN_Click(int channel);
    void CheckBox_ChartAverClick();
    // Colour swatches: 1..6 curves, 7 background, 8 grid.
    void PanelColorClick(int swatch);
    void M_Menu_Mode_NormClick();
    void M_Menu_Mode_DemoClick();
    // Asks for a result file and shows it in a review window of its own.
    void M_Menu_Review_OpenClick();

    // ---- Recording (record/) ----
    void WriteRecord(std::uint64_t elapsed, const std::array<double, kChannels>& raw);
    void EndRecordPeriod(int period);  // period 1..17
    void CheckChange();
    void B_FileClick();
    void B_FileSaveStartClick();
    void B_FileSaveStopClick();
    void ChooseResultFile();
    void StartRecording();
    void StopRecording();
    // Hands the record lines collected since the last call to the result file.
    void FlushRecords();
    void RefreshRecordingControls();
    // The two parts of RefreshRecordingControls that the status refresh runs
    // at its own places: B_File, B_FileSaveStart and the record time first;
    // averaging box, threshold and table buttons later.
    void RefreshRecordingButtons();
    void RefreshRecordingOptions();
    void ShowRecordTime();
    void FitFileNameLabel();

    // ---- State ----
    Driver& driver;
    Platform& platform;
    Ui& ui;
    Form form;

    std::string SettingsDirectory;
    std::vector<std::string> Memo_Settings;

    LinkState link;
    LinkStatistics linkStatistics;
    PipelineState pipeline;
    // Null in the program; tests attach one to see the pipeline's dispatch.
    PipelineProbe* pipelineProbe = nullptr;

    std::array<CalibrationTable, kChannels> tables{};
    std::array<std::string, kChannels> TablePath;
    std::array<std::vector<std::string>, kChannels> Memo_ListF;

    std::array<ScaleRing, kChartScales> rings{};
    ChartSeries series;
    ChartColors colors;
    DemoState demo;

    RecordingState recording;
};

}  // namespace ts
