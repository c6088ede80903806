#include "platform/system_platform.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/process_start.h"

namespace ts {

RegionalSettings ReadRegionalSettings() {
    RegionalSettings r;
    const char* point = nl_langinfo(RADIXCHAR);
    if (point != nullptr && point[0] != '\0' && point[1] == '\0') r.DecimalSeparator = point[0];
    const char* date = nl_langinfo(D_FMT);
    if (date != nullptr && date[0] != '\0') r.ShortDateFormat = date;
    const char* time = nl_langinfo(T_FMT);
    if (time != nullptr && time[0] != '\0') r.LongTimeFormat = time;
    const char* charset = nl_langinfo(CODESET);
    if (charset != nullptr && charset[0] != '\0') r.Charset = charset;
    return r;
}

SystemPlatform::SystemPlatform() : regional_(ReadRegionalSettings()) {}

bool SystemPlatform::StartProcess(std::string_view commandLine) {
    return StartDetachedProcess(commandLine);
}

void SystemPlatform::ReapFinishedProcesses() { ReapFinishedChildren(); }

void SystemPlatform::SleepMs(int milliseconds) {
    timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

LocalDateTime SystemPlatform::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string SystemPlatform::CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace ts
