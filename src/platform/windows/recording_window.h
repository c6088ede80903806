#pragma once

#include <windows.h>

#include <string>

namespace ts {

// What the window program tells the system while it records (see KeepAwake), set once its window
// exists: the window where Windows names the recording that holds up a shutdown, and the
// arguments to start the program again with after an update's restart or a crash, so that the
// recording goes on by itself. Without them only sleep is held off.
void SetShutdownReasonWindow(HWND window);
void SetRestartArguments(std::wstring arguments);

}  // namespace ts
