#include "session_log.h"

#include <cstdio>
#include <string>

#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"
#include "win32.h"

namespace ts::win32 {

namespace {

bool AppendToFile(const std::string& path, const std::string& line) {
    // Only ever added to, never written over: the file may hold earlier sessions' lines.
    const HANDLE file =
        OpenFile(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE &&
        written == line.size();
    return CloseHandle(file) != FALSE && whole;
}

void ReportToEventLog(std::string_view text) {
    const HANDLE source = RegisterEventSourceW(nullptr, L"trend-station");
    if (source == nullptr) return;
    const std::wstring wide = Widen(text);
    const wchar_t* strings[] = {wide.c_str()};
    ReportEventW(source, EVENTLOG_WARNING_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

}  // namespace

void LogAtSessionEnd(const std::string& folder, std::string_view text) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    // The program's messages carry blanks of their own around the words.
    std::string_view words = text;
    while (!words.empty() && words.front() == ' ') words.remove_prefix(1);
    while (!words.empty() && words.back() == ' ') words.remove_suffix(1);
    const std::string path = (folder.empty() ? std::string(".") : folder) + "\\" + kSessionLogName;
    if (!AppendToFile(path, stamp + std::string(words) + "\r\n")) ReportToEventLog(words);
}

}  // namespace ts::win32
