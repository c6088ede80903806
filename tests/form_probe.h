#pragma once

// Drives a window's mirror from the description: for each control tied to the model, changes
// the model's field the control must show (named here field by field, not through the window's
// own tie) and says what the control must then show. The window tests read every control before
// and after, so that a control showing another control's field is caught too.

#include <functional>
#include <string>
#include <vector>

#include "app/form_layout.h"
#include "base/form.h"

namespace ts::probe {

// What a control shows, read back from a window; the parts a kind has not stay at their defaults.
struct Shown {
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    Color colour = 0;
    int index = -1;
    bool operator==(const Shown&) const = default;
};

// Sets the field of `entry` to a value unlike what the window starts with and applies the same
// change to `expected`, what the control showed before.
inline bool ChangeField(Form& f, const layout::ControlEntry& entry, Shown& expected) {
    using layout::Field;
    const auto ch = static_cast<std::size_t>(entry.index - 1);
    const std::string text = "проба " + entry.name;
    constexpr Color kProbeColour = 0x3366CC;
    switch (entry.field) {
        case Field::Label_ErrDeviceNum:
            f.Label_ErrDeviceNum.Visible = true;
            expected.visible = true;
            return true;
        case Field::Label_ResCH:
            f.Label_ResCH[ch].Caption = text;
            break;
        case Field::Label_FileRecordTime:
            f.Label_FileRecordTime.Caption = text;
            break;
        case Field::Label_ResultFileName:
            f.Label_ResultFileName.Caption = text;
            break;
        case Field::Label_Connection_Indicator:
            f.Label_Connection_Indicator.Caption = text;
            break;
        case Field::CheckBox_ChartStop:
            f.CheckBox_ChartStop.Checked = expected.checked = !expected.checked;
            return true;
        case Field::CheckBox_ChartAver:
            f.CheckBox_ChartAver.Checked = expected.checked = !expected.checked;
            return true;
        case Field::ChartEN_CH:
            f.ChartEN_CH[ch].Checked = expected.checked = !expected.checked;
            return true;
        case Field::FileEN_CH:
            f.FileEN_CH[ch].Checked = expected.checked = !expected.checked;
            return true;
        case Field::CheckBox_FileDataAver:
            f.CheckBox_FileDataAver.Checked = expected.checked = !expected.checked;
            return true;
        case Field::RadioGroup_X:
            f.RadioGroup_X = entry.index;
            expected.checked = true;
            return true;
        case Field::RadioB_File:
            f.SelectRecordChoice(entry.index);
            expected.checked = true;
            return true;
        case Field::ButtonChartClear:
            f.ButtonChartClear.Enabled = expected.enabled = !expected.enabled;
            return true;
        case Field::B_ListF_CH:
            f.B_ListF_CH[ch].Enabled = expected.enabled = !expected.enabled;
            return true;
        case Field::Label_FileOnChangeSens:
            f.Label_FileOnChangeSens.Enabled = expected.enabled = !expected.enabled;
            return true;
        case Field::B_File:
            f.B_File.Enabled = expected.enabled = !expected.enabled;
            return true;
        case Field::B_FileSaveStart:
            f.B_FileSaveStart.Enabled = expected.enabled = !expected.enabled;
            return true;
        case Field::B_FileSaveStop:
            f.B_FileSaveStop.Enabled = expected.enabled = !expected.enabled;
            return true;
        case Field::ComboBox_FileOnChangeThresh:
            f.ComboBox_FileOnChangeThresh.ItemIndex = expected.index = 41;
            return true;
        case Field::PanelColor_ChartBackGround:
            f.PanelColor_ChartBackGround = expected.colour = kProbeColour;
            return true;
        case Field::PanelColor_ChartGrid:
            f.PanelColor_ChartGrid = expected.colour = kProbeColour;
            return true;
        case Field::PanelColor_CurveCH:
            f.PanelColor_CurveCH[ch] = expected.colour = kProbeColour;
            return true;
        case Field::Chart:
            f.ChartBackground = expected.colour = kProbeColour;
            return true;
        default:
            return false;
    }
    expected.text = text;
    return true;
}

// The model's own reading of a tick or a radio button's choice, after a click on it.
inline bool ModelChecked(const Form& f, const layout::ControlEntry& entry) {
    using layout::Field;
    const auto ch = static_cast<std::size_t>(entry.index - 1);
    switch (entry.field) {
        case Field::CheckBox_ChartStop:
            return f.CheckBox_ChartStop.Checked;
        case Field::CheckBox_ChartAver:
            return f.CheckBox_ChartAver.Checked;
        case Field::ChartEN_CH:
            return f.ChartEN_CH[ch].Checked;
        case Field::FileEN_CH:
            return f.FileEN_CH[ch].Checked;
        case Field::CheckBox_FileDataAver:
            return f.CheckBox_FileDataAver.Checked;
        case Field::RadioGroup_X:
            return f.RadioGroup_X == entry.index;
        case Field::RadioB_File:
            return f.SelectedRecordChoice() == entry.index;
        default:
            return false;
    }
}

// The controls whose shown state a change of `entry`'s field may change besides its own: the
// other radio buttons of its group.
inline bool MayChangeWith(const layout::ControlEntry& changed, const layout::ControlEntry& other) {
    return changed.radioGroup != layout::RadioGroup::None && changed.radioGroup == other.radioGroup;
}

// Changes each tied field in turn, mirrors, and reads every control: the control of the field
// must show the change and every other control (but its radio group) what it showed before. The
// model is put back after each. Returns what went wrong, one line each.
inline std::vector<std::string> CheckEveryTie(Form& form,
                                              const std::function<std::vector<Shown>()>& readAll,
                                              const std::function<void()>& mirror) {
    std::vector<std::string> faults;
    const auto& controls = layout::MainWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Form saved = form;
        const std::vector<Shown> before = readAll();
        Shown expected = before[i];
        if (!ChangeField(form, controls[i], expected)) continue;
        mirror();
        const std::vector<Shown> after = readAll();
        if (!(after[i] == expected)) faults.push_back(controls[i].name + " does not show it");
        for (std::size_t j = 0; j < controls.size(); ++j) {
            if (j != i && !MayChangeWith(controls[i], controls[j]) && !(after[j] == before[j])) {
                faults.push_back(controls[i].name + " changed " + controls[j].name + " too");
            }
        }
        form = saved;
        mirror();
    }
    return faults;
}

}  // namespace ts::probe
