#pragma once

namespace ts {

// Called at the start of each program. A limit on the size of the files a process writes
// (`ulimit -f`, a service's LimitFSIZE) ends a Linux program by a signal as soon as a write
// passes it, in the middle of a line and without a word. The program takes it as a full disk
// instead: the write fails (EFBIG), and the program says so and keeps its files whole. Programs it
// starts get the signal's usual action back. Windows has no such limit.
void TakeFileSizeLimitAsFullDisk();

}  // namespace ts
