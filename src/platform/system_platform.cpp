#include "platform/system_platform.h"

#include "platform/process_start.h"

namespace ts {

SystemPlatform::SystemPlatform() : regional_(ReadRegionalSettings()) {}

bool SystemPlatform::StartProcess(std::string_view commandLine) {
    return StartDetachedProcess(commandLine);
}

void SystemPlatform::ReapFinishedProcesses() { ReapFinishedChildren(); }

}  // namespace ts
