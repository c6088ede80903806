#pragma once

#include "win32.h"

namespace ts::win32 {

// A push button's face drawn by the visual style, as the system draws its own buttons. The
// style's library, uxtheme.dll, is not one the loader always takes from the system folder, so it
// is not imported (the loader would look beside the program first, before any code of ours
// runs) but loaded from the system folder when first needed. False when no style is in force or
// the library is not there: the caller then draws the classic face.
bool DrawStyledButton(HWND button, HDC dc, const RECT& area, int state);

}  // namespace ts::win32
