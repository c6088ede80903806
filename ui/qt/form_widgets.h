#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/form_binding.h"
#include "app/form_layout.h"

namespace ts {

// What a user does to a control of a description, handed to its window.
struct ControlEvents {
    std::function<void(bool checked)> clicked;   // a button, swatch, check box or radio button
    std::function<void(int item)> itemChosen;    // a list's item chosen or typed (-1: none)
    std::function<void(int position)> scrolled;  // a scroll bar moved by the user
};

// Makes the Qt widget of one control of a window description: its kind of widget under the
// control's name, with its caption, hint, place, font and alignment, its events handed on. The
// radio buttons of a group box make one exclusive group, "<box>_Buttons", for the arrow keys.
QWidget* MakeWidget(const layout::ControlEntry& entry, QWidget* parent, ControlEvents events = {});

// Per control, what the mirror last gave it of what only the mirror sets: an unchanged caption,
// colour or hint then costs a comparison, not a conversion for the toolkit.
struct ShownValues {
    std::optional<std::string> text, hint;
    std::optional<Color> textColor;
};

// Copies what `tie` shows of a model to the widget MakeWidget made of a control of that kind,
// touching only what differs from `shown`.
void MirrorTie(layout::Kind kind, QWidget* widget, const FormTie& tie, ShownValues& shown);

}  // namespace ts
