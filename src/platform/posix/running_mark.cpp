#include "platform/running_mark.h"

namespace ts {

void HoldRunningMark() {}

}  // namespace ts
