#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ts {

class DataSync;
class KeepAwake;

struct LocalDateTime {
    int Year = 2000;
    int Month = 1;  // 1..12
    int Day = 1;    // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// The user's regional settings as the program reads them; it never changes them.
struct RegionalSettings {
    char DecimalSeparator = '.';
    // strftime-style formats ("%d.%m.%Y", "%H:%M:%S"); the program formats them itself.
    std::string ShortDateFormat = "%d.%m.%Y";
    std::string LongTimeFormat = "%H:%M:%S";
    // Character set of the locale, the source of conversions to code page 1251.
    std::string Charset = "UTF-8";
};

// The operating system as the core sees it.
class Platform {
public:
    virtual ~Platform() = default;
    // Starts a process from one command line (Windows quoting rules), without a
    // shell and without waiting for it. Returns whether it started.
    virtual bool StartProcess(std::string_view commandLine) = 0;
    // Collects the exit status of started processes that have ended, so that
    // none lingers as a zombie; never waits.
    virtual void ReapFinishedProcesses() = 0;
    // Blocks the calling (user-interface) thread.
    virtual void SleepMs(int milliseconds) = 0;
    virtual LocalDateTime Now() = 0;
    virtual const RegionalSettings& Regional() = 0;
    // The process's current directory at the time of the call.
    virtual std::string CurrentDirectory() = 0;
    // Milliseconds of a clock that only goes forward, whatever the user does to the date.
    virtual std::int64_t SteadyMilliseconds() = 0;
    // The result file's sync to its medium, away from the calling thread.
    virtual DataSync& Sync() = 0;
    // Holds off the computer's sleep while a recording runs.
    virtual KeepAwake& Awake() = 0;
};

}  // namespace ts
