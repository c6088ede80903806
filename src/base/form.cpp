#include "base/form.h"

#include "base/texts.h"

namespace ts {

LinkFields::LinkFields() {
    Label_ErrDeviceNum.Caption = text::kWrongDeviceNumber;
    Label_ErrDeviceNum.FontColor = kColorRed;
    Label_ErrDeviceNum.Visible = false;
    Label_Connection_Indicator.Caption = " ";
    for (auto& item : M_Menu_Setting_Connection) {
        item.Visible = false;
        item.Enabled = false;
    }
}

MeasurementFields::MeasurementFields() {
    for (auto& readout : Label_ResCH) readout.Caption = text::kReadoutInitial;
    // Red until a table loads.
    for (auto& button : B_ListF_CH) button.FontColor = kColorRed;
}

DemoFields::DemoFields() {
    M_Menu_Mode.Caption = text::kMenuMode;
    M_Menu_Mode_Norm.Caption = text::kMenuModeNorm;
    M_Menu_Mode_Norm.Checked = true;
    M_Menu_Mode_Demo.Caption = text::kMenuModeDemo;
}

RecordingFields::RecordingFields() {
    Label_FileOnChangeSens.Enabled = false;
    ComboBox_FileOnChangeThresh.ItemIndex = 1;
    ComboBox_FileOnChangeThresh.Enabled = false;
    B_File.Enabled = false;
    B_FileSaveStart.Enabled = false;
    B_FileSaveStop.Enabled = false;
    Label_FileRecordTime.Caption = text::kRecordTimeIdle;
    Label_FileRecordTime.FontColor = kColorRed;
    Label_FileRecordTime.Hint = text::kResultFileHint;
    Label_ResultFileName.Caption = text::kResultFileNone;
}

int RecordingFields::SelectedRecordChoice() const {
    for (int i = 0; i < kRecordChoices; ++i) {
        if (RadioB_File[i].Checked) return i;
    }
    return -1;
}

void RecordingFields::SelectRecordChoice(int choice) {
    for (int i = 0; i < kRecordChoices; ++i) RadioB_File[i].Checked = (i == choice);
}

}  // namespace ts
