#include "platform/file_size_signal.h"

namespace ts {

void TakeFileSizeLimitAsFullDisk() {}

}  // namespace ts
