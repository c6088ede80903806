#pragma once

namespace ts {

// Called at the start of each program. On Windows the program holds, for as long as it runs, a
// named mutex by which the installer and the uninstaller see that a program of ours is running
// and ask for it to be closed before they replace or remove its files; Linux's package manager
// needs nothing of the kind.
void HoldRunningMark();

}  // namespace ts
