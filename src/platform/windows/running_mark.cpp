#include "platform/running_mark.h"

#include <windows.h>

namespace ts {

void HoldRunningMark() {
    // The name the installer looks for (tools/windows/installer), in the global namespace so that
    // a program in any user's session counts. Never closed: the system closes it as the process
    // ends, however it ends.
    ::CreateMutexW(nullptr, FALSE, L"Global\\trend-station-running");
}

}  // namespace ts
