#include "app/process_start.h"

namespace ts {

// Not built yet.
bool StartDetachedProcess(std::string_view) { return false; }

}  // namespace ts
