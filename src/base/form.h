#pragma once

#include <array>
#include <string>

#include "base/color.h"
#include "base/sample.h"

namespace ts {

// The presentation model: one plain field per window control whose state the
// program reads or writes. The core changes only these fields; the window
// mirrors them after every handler and every timer tick and forwards user
// input by setting the same fields before it calls a handler.

struct ControlState {
    bool Enabled = true;
    bool Visible = true;
    bool operator==(const ControlState&) const = default;
};

struct LabelState : ControlState {
    std::string Caption;
    Color FontColor = kColorWindowText;
};

// A label whose hint the program writes; the other hints are fixed texts of the window.
struct HintedLabelState : LabelState {
    std::string Hint;
};

struct CheckState : ControlState {
    bool Checked = false;
};

struct ButtonState : ControlState {
    Color FontColor = kColorWindowText;
};

struct MenuItemState : ControlState {
    std::string Caption;
    bool Checked = false;
    bool operator==(const MenuItemState&) const = default;
};

struct ComboState : ControlState {
    int ItemIndex = -1;  // -1: nothing selected
};

constexpr int kDeviceMenuItems = 8;
// The device menu's first items are radio items, the rest plain ones.
constexpr int kDeviceRadioItems = 4;
// The 19 recording choices in window order: "Всё", the 17 fixed periods, "По изменению".
constexpr int kRecordChoices = 19;
constexpr int kRecordChoiceAll = 0;
constexpr int kRecordChoiceOnChange = 18;
constexpr int kThresholdItems = 99;

// Each part of the program writes only its own fields; the windows and their description see
// the sum of them as one `Form`.

// The instrument link's: the wrong-instrument warning, the connection indicator, the device menu.
struct LinkFields {
    LabelState Label_ErrDeviceNum;
    // Its hint shows the link statistics.
    HintedLabelState Label_Connection_Indicator;
    std::array<MenuItemState, kDeviceMenuItems> M_Menu_Setting_Connection;

    LinkFields();
};

// The measurement's: the channels' readouts and their table buttons.
struct MeasurementFields {
    std::array<LabelState, kChannels> Label_ResCH;
    std::array<ButtonState, kChannels> B_ListF_CH;

    MeasurementFields();
};

// The chart's: its area, its colours and which curves it shows.
struct ChartFields {
    Color ChartBackground = kColorBlack;
    Color ChartGrid = kColorGrey;
    CheckState CheckBox_ChartStop;
    CheckState CheckBox_ChartAver;
    ControlState ButtonChartClear;
    Color PanelColor_ChartBackGround = kColorBlack;
    Color PanelColor_ChartGrid = kColorGrey;
    int RadioGroup_X = 0;  // item index 0..24, -1: no scale selected
    std::array<CheckState, kChannels> ChartEN_CH;
    std::array<Color, kChannels> PanelColor_CurveCH = kDefaultCurveColors;
};

// The demonstration's: the mode menu.
struct DemoFields {
    MenuItemState M_Menu_Mode;
    MenuItemState M_Menu_Mode_Norm;
    MenuItemState M_Menu_Mode_Demo;

    DemoFields();
};

// The recording's: its group box and which channels it records.
struct RecordingFields {
    std::array<CheckState, kChannels> FileEN_CH;
    std::array<CheckState, kRecordChoices> RadioB_File;
    ControlState Label_FileOnChangeSens;
    ComboState ComboBox_FileOnChangeThresh;
    ControlState B_File;
    ControlState B_FileSaveStart;
    ControlState B_FileSaveStop;
    CheckState CheckBox_FileDataAver;
    // Its hint is the file's hint followed by what the program has to say about the recordings
    // (a computer that may sleep, a recording resumed), one note a line.
    HintedLabelState Label_FileRecordTime;
    LabelState Label_ResultFileName;

    RecordingFields();

    // Index of the selected recording choice, or -1 when none is selected.
    int SelectedRecordChoice() const;
    // Selects one recording choice (or none with -1), clearing the others.
    void SelectRecordChoice(int choice);
};

// The presentation model whole, as the windows mirror it.
struct Form : LinkFields, MeasurementFields, ChartFields, DemoFields, RecordingFields {};

}  // namespace ts
