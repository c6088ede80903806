#pragma once

#include <QWidget>

#include "app/form_layout.h"

namespace ts {

// Makes the Qt widget of one control of a window description: its kind of widget under the
// control's name, with its caption, hint, place, font and alignment. The window connects it.
QWidget* MakeWidget(const layout::ControlSpec& spec, QWidget* parent);

}  // namespace ts
