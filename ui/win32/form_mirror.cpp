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

void TMF::MirrorControl(std::size_t index) {
    const FormTie& tie = ties_[index];
    Control* control = made_[index].get();
    switch (layout::MainWindowControls()[index].kind) {
        case layout::Kind::Chart:
            chart_.SetBackgroundColor(*tie.color);
            chart_.SetGridColor(*tie.gridColor);
            return;
        case layout::Kind::Label:
            if (tie.label != nullptr) {
                SetLabel(static_cast<Label&>(*control), *tie.label);
            } else if (tie.state != nullptr) {
                control->SetEnabled(tie.state->Enabled);
            }
            if (tie.hint != nullptr) controls_->SetHint(*control, *tie.hint);
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

void TMF::ApplyForm() {
    for (std::size_t i = 0; i < made_.size(); ++i) MirrorControl(i);
    // Sized to its text, within the room the group leaves it.
    const int fileNameWidth = std::min(
        ui_->LabelTextWidth(station_->form.Label_ResultFileName.Caption) + 2, layout::kFileNameRoom);
    if (resultFileName_->place.width != fileNameWidth) {
        resultFileName_->place.width = fileNameWidth;
        controls_->PlaceControl(*resultFileName_);
    }
    MirrorMenus();
}

namespace {

// Items that show a bullet when checked, the others a tick.
MENUITEMINFOW MenuItemInfo(const layout::MenuItemSpec& spec, const MenuItemState& state,
                           UINT id, std::wstring& caption) {
    caption = Widen(state.Caption);
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    item.fType = MFT_STRING | (spec.mark == layout::Mark::Bullet ? MFT_RADIOCHECK : 0);
    item.fState = (state.Checked ? MFS_CHECKED : MFS_UNCHECKED) |
                  (state.Enabled ? MFS_ENABLED : MFS_DISABLED);
    item.wID = id;
    item.dwTypeData = caption.data();
    return item;
}

}  // namespace

void TMF::MirrorMenus() {
    const auto& menus = layout::MainWindowMenus();
    for (std::size_t m = 0; m < menus.size(); ++m) {
        MenuState& menu = menus_[m];
        if (menu.tie.menuItem != nullptr && menu.shownTitle != menu.tie.menuItem->Caption) {
            menu.shownTitle = menu.tie.menuItem->Caption;
            ModifyMenuW(menuBar_, static_cast<UINT>(m), MF_BYPOSITION | MF_POPUP | MF_STRING,
                        reinterpret_cast<UINT_PTR>(menu.popup), Widen(menu.shownTitle).c_str());
            DrawMenuBar(hwnd());
        }
        if (menus[m].items.empty() || menus[m].items.front().field == layout::Field::None) continue;
        bool same = menu.shown && menu.shownItems.size() == menu.items.size();
        for (std::size_t k = 0; same && k < menu.items.size(); ++k) {
            same = menu.shownItems[k] == *menu.items[k].menuItem;
        }
        if (same) continue;
        // A menu has no hidden items: the visible ones are made afresh.
        while (GetMenuItemCount(menu.popup) > 0) DeleteMenu(menu.popup, 0, MF_BYPOSITION);
        menu.shownItems.clear();
        for (std::size_t k = 0; k < menu.items.size(); ++k) {
            const MenuItemState& state = *menu.items[k].menuItem;
            menu.shownItems.push_back(state);
            if (!state.Visible) continue;
            std::wstring caption;
            const MENUITEMINFOW item = MenuItemInfo(menus[m].items[k], state,
                                                    static_cast<UINT>(menu.firstId + static_cast<int>(k)),
                                                    caption);
            InsertMenuItemW(menu.popup, static_cast<UINT>(GetMenuItemCount(menu.popup)), TRUE,
                            &item);
        }
        menu.shown = true;
    }
}

}  // namespace ts::win32
