#include "platform/file_size_signal.h"

#include <signal.h>

namespace ts {

void TakeFileSizeLimitAsFullDisk() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace ts
