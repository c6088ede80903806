#include "app/form_binding.h"

#include <cstddef>

#include "app/station.h"
#include "review/review_model.h"

namespace ts {

using layout::Field;
using layout::Handler;

namespace {

// Channel, swatch and menu item numbers start at 1; the model's arrays at 0.
std::size_t Element(int number) { return static_cast<std::size_t>(number - 1); }

FormTie LabelTie(const LabelState& label) { return {.state = &label, .label = &label}; }
FormTie CheckTie(const CheckState& check) { return {.state = &check, .check = &check}; }

}  // namespace

FormTie TieOf(const Form& f, Field field, int index) {
    switch (field) {
        case Field::None:
            return {};
        case Field::Chart:
            return {.color = &f.ChartBackground, .gridColor = &f.ChartGrid};
        case Field::Label_ErrDeviceNum:
            return LabelTie(f.Label_ErrDeviceNum);
        case Field::CheckBox_ChartStop:
            return CheckTie(f.CheckBox_ChartStop);
        case Field::CheckBox_ChartAver:
            return CheckTie(f.CheckBox_ChartAver);
        case Field::ButtonChartClear:
            return {.state = &f.ButtonChartClear};
        case Field::PanelColor_ChartBackGround:
            return {.color = &f.PanelColor_ChartBackGround};
        case Field::PanelColor_ChartGrid:
            return {.color = &f.PanelColor_ChartGrid};
        case Field::RadioGroup_X:
            return {.selected = &f.RadioGroup_X, .item = index};
        case Field::Label_ResCH:
            return LabelTie(f.Label_ResCH[Element(index)]);
        case Field::B_ListF_CH:
            return {.state = &f.B_ListF_CH[Element(index)],
                    .textColor = &f.B_ListF_CH[Element(index)].FontColor};
        case Field::ChartEN_CH:
            return CheckTie(f.ChartEN_CH[Element(index)]);
        case Field::FileEN_CH:
            return CheckTie(f.FileEN_CH[Element(index)]);
        case Field::PanelColor_CurveCH:
            return {.color = &f.PanelColor_CurveCH[Element(index)]};
        case Field::RadioB_File:
            return CheckTie(f.RadioB_File[static_cast<std::size_t>(index)]);
        case Field::Label_FileOnChangeSens:
            return {.state = &f.Label_FileOnChangeSens};
        case Field::ComboBox_FileOnChangeThresh:
            return {.state = &f.ComboBox_FileOnChangeThresh,
                    .combo = &f.ComboBox_FileOnChangeThresh};
        case Field::B_File:
            return {.state = &f.B_File};
        case Field::B_FileSaveStart:
            return {.state = &f.B_FileSaveStart};
        case Field::B_FileSaveStop:
            return {.state = &f.B_FileSaveStop};
        case Field::CheckBox_FileDataAver:
            return CheckTie(f.CheckBox_FileDataAver);
        case Field::Label_FileRecordTime: {
            FormTie tie = LabelTie(f.Label_FileRecordTime);
            tie.hint = &f.Label_FileRecordTime.Hint;
            return tie;
        }
        case Field::Label_ResultFileName:
            return LabelTie(f.Label_ResultFileName);
        case Field::Label_Connection_Indicator: {
            FormTie tie = LabelTie(f.Label_Connection_Indicator);
            tie.hint = &f.Label_Connection_Indicator.Hint;
            return tie;
        }
        case Field::M_Menu_Setting_Connection:
            return {.menuItem = &f.M_Menu_Setting_Connection[Element(index)]};
        case Field::M_Menu_Mode:
            return {.menuItem = &f.M_Menu_Mode};
        case Field::M_Menu_Mode_Norm:
            return {.menuItem = &f.M_Menu_Mode_Norm};
        case Field::M_Menu_Mode_Demo:
            return {.menuItem = &f.M_Menu_Mode_Demo};
        default:
            break;
    }
    return {};
}

void TakeClick(Form& form, const layout::ControlEntry& entry, bool checked) {
    switch (entry.field) {
        case Field::RadioGroup_X:
            form.RadioGroup_X = entry.index;
            return;
        case Field::RadioB_File:
            form.SelectRecordChoice(entry.index);
            return;
        case Field::CheckBox_ChartStop:
            form.CheckBox_ChartStop.Checked = checked;
            return;
        case Field::CheckBox_ChartAver:
            form.CheckBox_ChartAver.Checked = checked;
            return;
        case Field::ChartEN_CH:
            form.ChartEN_CH[Element(entry.index)].Checked = checked;
            return;
        case Field::FileEN_CH:
            form.FileEN_CH[Element(entry.index)].Checked = checked;
            return;
        case Field::CheckBox_FileDataAver:
            form.CheckBox_FileDataAver.Checked = checked;
            return;
        default:
            return;
    }
}

void TakeItemIndex(Form& form, const layout::ControlEntry& entry, int index) {
    if (entry.field == Field::ComboBox_FileOnChangeThresh) {
        form.ComboBox_FileOnChangeThresh.ItemIndex = index;
    }
}

bool RunHandler(Station& s, Handler handler, int index) {
    switch (handler) {
        case Handler::None:
            return true;
        case Handler::CheckBox_ChartAverClick:
            s.CheckBox_ChartAverClick();
            return true;
        case Handler::ButtonChartClearClick:
            s.ButtonChartClearClick();
            return true;
        case Handler::PanelColorClick:
            s.PanelColorClick(index);
            return true;
        case Handler::RadioGroup_XClick:
            s.RadioGroup_XClick();
            return true;
        case Handler::B_ListF_Click:
            s.B_ListF_Click(index);
            return true;
        case Handler::ChartEN_Click:
            s.ChartEN_Click(index);
            return true;
        case Handler::B_FileClick:
            s.B_FileClick();
            return true;
        case Handler::B_FileSaveStartClick:
            s.B_FileSaveStartClick();
            return true;
        case Handler::B_FileSaveStopClick:
            s.B_FileSaveStopClick();
            return true;
        case Handler::M_Menu_Setting_PortClick:
            s.M_Menu_Setting_PortClick();
            return true;
        case Handler::M_Menu_Setting_ConnectionClick:
            s.M_Menu_Setting_ConnectionClick(index);
            return true;
        case Handler::M_Menu_Mode_NormClick:
            s.M_Menu_Mode_NormClick();
            return true;
        case Handler::M_Menu_Mode_DemoClick:
            s.M_Menu_Mode_DemoClick();
            return true;
        case Handler::M_Menu_Review_OpenClick:
            s.M_Menu_Review_OpenClick();
            return true;
        case Handler::M_Menu_Help_AboutClick:
        case Handler::B_CloseClick:
            return false;
        default:
            return true;
    }
    return false;
}

FormTie TieOf(const ReviewForm& f, Field field, int index) {
    switch (field) {
        case Field::Review_Chart:
            return {.color = &f.ChartBackground, .gridColor = &f.ChartGrid};
        case Field::Review_Span:
            return {.selected = &f.RadioGroup_Span, .item = index};
        case Field::Review_ShowCH:
            return CheckTie(f.CheckBox_ShowCH[Element(index)]);
        case Field::Review_CurveCH:
            return {.color = &f.PanelColor_CurveCH[Element(index)]};
        case Field::Review_Follow:
            return CheckTie(f.CheckBox_Follow);
        case Field::Review_Every:
            return {.state = &f.ComboBox_Every, .combo = &f.ComboBox_Every};
        case Field::Review_ExportCsv:
            return {.state = &f.B_ExportCsv};
        case Field::Review_ExportPng:
            return {.state = &f.B_ExportPng};
        case Field::Review_Cursor:
            return LabelTie(f.Label_Cursor);
        case Field::Review_Selection:
            return LabelTie(f.Label_Selection);
        case Field::Review_Progress:
            return LabelTie(f.Label_Progress);
        case Field::Review_Damage:
            return LabelTie(f.Label_Damage);
        case Field::Review_Scroll:
            return {.state = &f.ScrollBar_Time, .scroll = &f.ScrollBar_Time};
        default:
            return {};
    }
}

void TakeClick(ReviewForm& form, const layout::ControlEntry& entry, bool checked) {
    switch (entry.field) {
        case Field::Review_Span:
            form.RadioGroup_Span = entry.index;
            return;
        case Field::Review_ShowCH:
            form.CheckBox_ShowCH[Element(entry.index)].Checked = checked;
            return;
        case Field::Review_Follow:
            form.CheckBox_Follow.Checked = checked;
            return;
        default:
            return;
    }
}

void TakeItemIndex(ReviewForm& form, const layout::ControlEntry& entry, int index) {
    if (entry.field == Field::Review_Every) form.ComboBox_Every.ItemIndex = index;
}

void TakeScroll(ReviewForm& form, int position) { form.ScrollBar_Time.Position = position; }

void RunHandler(ReviewModel& r, Handler handler, int index) {
    switch (handler) {
        case Handler::Review_SpanClick:
            r.SpanClick(index);
            return;
        case Handler::Review_ChannelClick:
            r.ChannelClick(index);
            return;
        case Handler::Review_FollowClick:
            r.FollowClick();
            return;
        case Handler::Review_ScrollChange:
            r.ScrollChanged();
            return;
        case Handler::Review_ExportCsvClick:
            r.ExportCsvClick();
            return;
        case Handler::Review_ExportPngClick:
            r.ExportPngClick();
            return;
        default:
            return;
    }
}

}  // namespace ts
