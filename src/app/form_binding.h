#pragma once

#include "app/form_layout.h"
#include "base/form.h"
#include "review/review_form.h"

namespace ts {

class Station;
class ReviewModel;

// What one control of the window description shows of the presentation model: pointers into one
// `Form`, worked out once when the window is built, so that the mirror of every tick only follows
// them. Null where the control shows no such part.
struct FormTie {
    const ControlState* state = nullptr;  // enabled and visible
    const LabelState* label = nullptr;    // caption and its colour
    const std::string* hint = nullptr;    // a hint the program rewrites
    const CheckState* check = nullptr;    // a tick, or a radio button's own selection
    const int* selected = nullptr;        // the item a radio group holds
    int item = 0;                         // this radio button's item in it
    const Color* textColor = nullptr;     // a button's caption colour
    const Color* color = nullptr;         // a swatch's colour, a chart's background
    const Color* gridColor = nullptr;     // a chart's grid
    const ComboState* combo = nullptr;
    const MenuItemState* menuItem = nullptr;  // a menu item, or a menu's title
    const ScrollState* scroll = nullptr;

    bool Checked() const { return check != nullptr ? check->Checked : *selected == item; }
};

FormTie TieOf(const Form& form, layout::Field field, int index);
inline FormTie TieOf(const Form& form, const layout::ControlEntry& entry) {
    return TieOf(form, entry.field, entry.index);
}

// What a click on a check box or radio button puts into the model before its handler runs.
void TakeClick(Form& form, const layout::ControlEntry& entry, bool checked);
// A combo box's item chosen or typed (-1: typed text that names no item).
void TakeItemIndex(Form& form, const layout::ControlEntry& entry, int index);

// Calls the station's handler; false for a handler the window carries out itself (its about box).
bool RunHandler(Station& station, layout::Handler handler, int index);

// The same for the review window and its model.
FormTie TieOf(const ReviewForm& form, layout::Field field, int index);
inline FormTie TieOf(const ReviewForm& form, const layout::ControlEntry& entry) {
    return TieOf(form, entry.field, entry.index);
}
void TakeClick(ReviewForm& form, const layout::ControlEntry& entry, bool checked);
void TakeItemIndex(ReviewForm& form, const layout::ControlEntry& entry, int index);
// The scroll bar's thumb moved by the user to `position`.
void TakeScroll(ReviewForm& form, int position);
void RunHandler(ReviewModel& review, layout::Handler handler, int index);

}  // namespace ts
