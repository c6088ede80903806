#pragma once

#include <array>
#include <string>

#include "base/color.h"
#include "base/form.h"
#include "base/sample.h"

namespace ts {

// A scroll bar over the timeline: its thumb at Position, Page wide, in 0 .. Maximum + Page.
struct ScrollState : ControlState {
    int Position = 0;
    int Page = 1;
    int Maximum = 0;
    bool operator==(const ScrollState&) const = default;
};

// The review window's presentation model: one plain field per control whose state the review
// reads or writes, mirrored by each window after every event and tick as the main window's Form.
struct ReviewForm {
    std::string Caption;
    Color ChartBackground = kColorBlack;
    Color ChartGrid = kColorGrey;
    int RadioGroup_Span = -1;  // item 0..24 of the main window's spans; -1: none of them
    std::array<CheckState, kChannels> CheckBox_ShowCH;
    std::array<Color, kChannels> PanelColor_CurveCH{};
    CheckState CheckBox_Follow;
    ComboState ComboBox_Every;  // 0: a row for every record
    ControlState B_ExportCsv;
    ControlState B_ExportPng;
    LabelState Label_Cursor;
    LabelState Label_Selection;
    LabelState Label_Progress;
    LabelState Label_Damage;
    ScrollState ScrollBar_Time;
};

}  // namespace ts
