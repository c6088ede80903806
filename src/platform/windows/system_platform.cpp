#include "platform/system_platform.h"

#include <windows.h>

#include <vector>

#include "platform/process_start.h"
#include "platform/windows/wide_text.h"
#include "platform/windows_picture_format.h"

namespace ts {

namespace {

std::string UserLocaleText(LCTYPE item) {
    wchar_t buffer[128];
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
    // The length counts the closing zero.
    return length > 1 ? Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                      : std::string();
}

}  // namespace

RegionalSettings ReadRegionalSettings() {
    RegionalSettings r;
    // The program writes numbers byte by byte: a separator of one ASCII character is taken,
    // anything longer keeps the point.
    const std::string point = UserLocaleText(LOCALE_SDECIMAL);
    if (point.size() == 1 && static_cast<unsigned char>(point[0]) < 0x80) {
        r.DecimalSeparator = point[0];
    }
    const std::string date = UserLocaleText(LOCALE_SSHORTDATE);
    if (!date.empty()) r.ShortDateFormat = WindowsPictureToFormat(date);
    const std::string time = UserLocaleText(LOCALE_STIMEFORMAT);
    if (!time.empty()) r.LongTimeFormat = WindowsPictureToFormat(time);
    // The settings come as UTF-16 and are kept as UTF-8.
    r.Charset = "UTF-8";
    return r;
}

SystemPlatform::SystemPlatform() : regional_(ReadRegionalSettings()) {}

bool SystemPlatform::StartProcess(std::string_view commandLine) {
    return StartDetachedProcess(commandLine);
}

void SystemPlatform::ReapFinishedProcesses() { ReapFinishedChildren(); }

void SystemPlatform::SleepMs(int milliseconds) {
    ::Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds));
}

LocalDateTime SystemPlatform::Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string SystemPlatform::CurrentDirectory() {
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return ".";
    std::vector<wchar_t> buffer(length);
    const DWORD written = ::GetCurrentDirectoryW(length, buffer.data());
    if (written == 0 || written >= length) return ".";
    return Narrow(std::wstring_view(buffer.data(), written));
}

}  // namespace ts
