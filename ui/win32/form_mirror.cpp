// Mirrors the station's presentation model onto the controls. Every setter is guarded so that
// an unchanged value never causes a repaint.
#include <algorithm>

#include "form_mirror.h"

#include "main_window.h"

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

void MirrorTie(layout::Kind kind, Control* control, const FormTie& tie, ControlSet& set) {
    switch (kind) {
        case layout::Kind::Chart:
        case layout::Kind::ReviewChart:
            return;
        case layout::Kind::ScrollBar: {
            auto& bar = static_cast<ScrollBar&>(*control);
            bar.SetState(tie.scroll->Position, tie.scroll->Page, tie.scroll->Maximum);
            bar.SetEnabled(tie.scroll->Enabled);
            return;
        }
        case layout::Kind::Label:
            if (tie.label != nullptr) {
                SetLabel(static_cast<Label&>(*control), *tie.label);
            } else if (tie.state != nullptr) {
                control->SetEnabled(tie.state->Enabled);
            }
            if (tie.hint != nullptr) set.SetHint(*control, *tie.hint);
            return;
        case layout::Kind::Button:
            if (tie.state != nullptr) control->SetEnabled(tie.state->Enabled);
            if (tie.textColor != nullptr) control->SetTextColor(*tie.textColor);
            return;
        case layout::Kind::CheckBox:
            if (tie.check != nullptr) SetCheck(static_cast<CheckBox&>(*control), *tie.check);
            return;
        case layout::Kind::RadioButton:
            static_cast<RadioButton&>(*control).SetChecked(tie.Checked());
            if (tie.state != nullptr) control->SetEnabled(tie.state->Enabled);
            return;
        case layout::Kind::ColorSwatch:
            static_cast<ColorSwatch&>(*control).SetColor(*tie.color);
            return;
        case layout::Kind::ComboBox: {
            auto& box = static_cast<ComboBox&>(*control);
            box.SetEnabled(tie.state->Enabled);
            // Text typed into the box that names no item means "nothing selected" and stays as
            // typed; clearing the selection would wipe it.
            const int wanted = tie.combo->ItemIndex;
            if (wanted >= 0 || box.FindExact(box.EditText()) >= 0) box.SetIndex(wanted);
            return;
        }
        case layout::Kind::GroupBox:
            return;
    }
}

void TMF::MirrorControl(std::size_t index) {
    const FormTie& tie = ties_[index];
    if (layout::MainWindowControls()[index].kind == layout::Kind::Chart) {
        chart_.SetBackgroundColor(*tie.color);
        chart_.SetGridColor(*tie.gridColor);
        return;
    }
    MirrorTie(layout::MainWindowControls()[index].kind, made_[index].get(), tie, *controls_);
}

void TMF::ApplyForm() {
    for (std::size_t i = 0; i < made_.size(); ++i) MirrorControl(i);
    // Sized to its text, within the room the group leaves it.
    // Measured again only for another caption: measuring asks the system for a device context.
    const std::string& name = station_->form().Label_ResultFileName.Caption;
    if (fittedWidth_ < 0 || fittedName_ != name) {
        fittedName_ = name;
        fittedWidth_ = ui_->LabelTextWidth(name);
    }
    const int fileNameWidth = std::min(fittedWidth_ + 2, layout::kFileNameRoom);
    if (resultFileName_->place.width != fileNameWidth) {
        resultFileName_->place.width = fileNameWidth;
        controls_->PlaceControl(*resultFileName_);
    }
    menus_->Mirror();
}

}  // namespace ts::win32
