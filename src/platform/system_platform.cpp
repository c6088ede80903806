#include "platform/system_platform.h"

#include <chrono>

#include "platform/process_start.h"

namespace ts {

SystemPlatform::SystemPlatform()
    : regional_(ReadRegionalSettings()), awake_(MakeSystemKeepAwake()) {}

std::int64_t SystemPlatform::SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SystemPlatform::StartProcess(std::string_view commandLine) {
    return StartDetachedProcess(commandLine);
}

void SystemPlatform::ReapFinishedProcesses() { ReapFinishedChildren(); }

}  // namespace ts
