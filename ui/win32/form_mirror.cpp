// Mirrors the station's presentation model onto the controls. Every setter is guarded so that
// an unchanged value never causes a repaint.
#include <algorithm>

#include "main_window.h"
#include "platform/windows/wide_text.h"

namespace ts::win32 {

namespace {

void SetLabel(Label& label, const LabelState& state) {
    label.SetText(state.Caption);
    label.SetTextColor(state.FontColor);
    label.SetEnabled(state.Enabled);
    label.SetVisible(state.Visible);
}

void SetCheck(CheckBox& box, const CheckState& state) {
    box.SetChecked(state.Checked);
    box.SetEnabled(state.Enabled);
    box.SetVisible(state.Visible);
}

}  // namespace

void TMF::ApplyForm() {
    const Form& f = station_->form;

    chart_.SetBackgroundColor(f.ChartBackground);
    chart_.SetGridColor(f.ChartGrid);
    SetLabel(errDeviceNum_, f.Label_ErrDeviceNum);
    SetCheck(chartStop_, f.CheckBox_ChartStop);
    SetCheck(chartAver_, f.CheckBox_ChartAver);
    chartClear_.SetEnabled(f.ButtonChartClear.Enabled);
    backgroundSwatch_.SetColor(f.PanelColor_ChartBackGround);
    gridSwatch_.SetColor(f.PanelColor_ChartGrid);
    for (int i = 0; i < kChartScales; ++i) {
        scaleItems_[static_cast<std::size_t>(i)].SetChecked(f.RadioGroup_X == i);
    }

    for (std::size_t c = 0; c < kChannels; ++c) {
        SetLabel(readouts_[c], f.Label_ResCH[c]);
        tableButtons_[c].SetEnabled(f.B_ListF_CH[c].Enabled);
        tableButtons_[c].SetTextColor(f.B_ListF_CH[c].FontColor);
        SetCheck(chartEnables_[c], f.ChartEN_CH[c]);
        SetCheck(fileEnables_[c], f.FileEN_CH[c]);
        curveSwatches_[c].SetColor(f.PanelColor_CurveCH[c]);
    }

    for (std::size_t i = 0; i < kRecordChoices; ++i) {
        recordChoices_[i].SetChecked(f.RadioB_File[i].Checked);
        recordChoices_[i].SetEnabled(f.RadioB_File[i].Enabled);
    }
    onChangeSens_.SetEnabled(f.Label_FileOnChangeSens.Enabled);
    threshold_.SetEnabled(f.ComboBox_FileOnChangeThresh.Enabled);
    // Text typed into the box that names no item means "nothing selected" and stays as
    // typed; clearing the selection would wipe it.
    const int thresholdIndex = f.ComboBox_FileOnChangeThresh.ItemIndex;
    const bool typedNoItem = thresholdIndex < 0 && threshold_.FindExact(threshold_.EditText()) < 0;
    if (!typedNoItem) threshold_.SetIndex(thresholdIndex);
    fileButton_.SetEnabled(f.B_File.Enabled);
    startButton_.SetEnabled(f.B_FileSaveStart.Enabled);
    stopButton_.SetEnabled(f.B_FileSaveStop.Enabled);
    SetCheck(dataAver_, f.CheckBox_FileDataAver);
    SetLabel(recordTime_, f.Label_FileRecordTime);
    controls_->SetHint(recordTime_, f.Label_FileRecordTime.Hint);
    SetLabel(resultFileName_, f.Label_ResultFileName);
    // Sized to its text, within the room the group leaves it.
    const int fileNameWidth =
        std::min(ui_->LabelTextWidth(f.Label_ResultFileName.Caption) + 2, kFileNameRoom);
    if (resultFileName_.place.width != fileNameWidth) {
        resultFileName_.place.width = fileNameWidth;
        controls_->PlaceControl(resultFileName_);
    }

    SetLabel(connectionIndicator_, f.Label_Connection_Indicator);
    controls_->SetHint(connectionIndicator_, f.Label_Connection_Indicator.Hint);

    MirrorDeviceMenu();
    MirrorModeMenu();
}

void TMF::MirrorDeviceMenu() {
    const auto& items = station_->form.M_Menu_Setting_Connection;
    if (deviceMenuShown_ && items == shownDeviceItems_) return;
    // A menu has no hidden items: the visible ones are made afresh.
    while (GetMenuItemCount(portMenu_) > 0) DeleteMenu(portMenu_, 0, MF_BYPOSITION);
    for (int k = 0; k < kDeviceMenuItems; ++k) {
        const MenuItemState& state = items[static_cast<std::size_t>(k)];
        if (!state.Visible) continue;
        const std::wstring caption = Widen(state.Caption);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        // Items 1..4 show a bullet when checked, 5..8 a tick.
        item.fType = MFT_STRING | (k < kDeviceRadioItems ? MFT_RADIOCHECK : 0);
        item.fState = (state.Checked ? MFS_CHECKED : MFS_UNCHECKED) |
                      (state.Enabled ? MFS_ENABLED : MFS_DISABLED);
        item.wID = static_cast<UINT>(kIdDeviceItem + k);
        item.dwTypeData = const_cast<wchar_t*>(caption.c_str());
        InsertMenuItemW(portMenu_, static_cast<UINT>(GetMenuItemCount(portMenu_)), TRUE, &item);
    }
    shownDeviceItems_ = items;
    deviceMenuShown_ = true;
}

void TMF::MirrorModeMenu() {
    const Form& f = station_->form;
    if (shownModeCaption_ != f.M_Menu_Mode.Caption) {
        shownModeCaption_ = f.M_Menu_Mode.Caption;
        ModifyMenuW(menuBar_, 1, MF_BYPOSITION | MF_POPUP | MF_STRING,
                    reinterpret_cast<UINT_PTR>(modeMenu_), Widen(shownModeCaption_).c_str());
        DrawMenuBar(hwnd());
    }
    const auto mirror = [this](int id, const MenuItemState& state) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STATE;
        GetMenuItemInfoW(modeMenu_, static_cast<UINT>(id), FALSE, &item);
        const UINT wanted = (state.Checked ? MFS_CHECKED : MFS_UNCHECKED) |
                            (state.Enabled ? MFS_ENABLED : MFS_DISABLED);
        if ((item.fState & (MFS_CHECKED | MFS_DISABLED)) == wanted) return;
        item.fMask = MIIM_STATE | MIIM_FTYPE;
        item.fType = MFT_STRING | MFT_RADIOCHECK;
        item.fState = wanted;
        SetMenuItemInfoW(modeMenu_, static_cast<UINT>(id), FALSE, &item);
    };
    mirror(kIdModeNorm, f.M_Menu_Mode_Norm);
    mirror(kIdModeDemo, f.M_Menu_Mode_Demo);
}

}  // namespace ts::win32
