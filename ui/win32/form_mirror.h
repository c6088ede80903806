#pragma once

#include "app/form_binding.h"
#include "controls.h"

namespace ts::win32 {

// Copies what `tie` shows of a model to the control MakeControl made of a control of that kind,
// touching only what differs. The charts, which their windows make, are left to them.
void MirrorTie(layout::Kind kind, Control* control, const FormTie& tie, ControlSet& set);

}  // namespace ts::win32
