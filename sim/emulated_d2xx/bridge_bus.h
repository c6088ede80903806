#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "emulated_d2xx/d2xx_bridge.h"

namespace ts::emulated {

// Every emulated bridge of the process, the device list as the program last built it, and the
// open handles. Made on first use from the environment:
//   TS_EMULATED_BRIDGES   "description,serial,capture;..." (the word sim in place of a capture
//                         streams the simulated instrument without end)
//   TS_EMULATED_D2XX_HELD "serial;..." bridges held by another program: FT_Open fails on them
//                         (read at every open, so a test may change it on the way)
//   TS_EMULATED_D2XX_LOG  a file to which every configuration call is appended as a text line,
//                         and on closing, the bytes dropped at a full queue ("dropped SERIAL N")
//   TS_EMULATED_D2XX_QUEUE_BYTES  a smaller receive queue than the driver's, for tests
class BridgeBus {
public:
    static BridgeBus& Get();

    // Callers hold it for the whole of each library call.
    std::mutex mutex;

    // Snapshots the bridges plugged in now as the device list; returns its length.
    std::uint32_t BuildList(Time now);
    // The bridge at `index` of the last list, if it is still plugged in.
    D2xxBridge* Listed(std::uint32_t index);

    // A new handle for an opened bridge; handles are never used twice.
    void* AddHandle(D2xxBridge& bridge);
    // The bridge behind an open handle, advanced to `now`; null once unplugged or unknown.
    D2xxBridge* Usable(void* handle, Time now);
    // Forgets the handle; false when it was not open.
    bool RemoveHandle(void* handle);

    bool HeldElsewhere(const std::string& serial) const;
    // Appends one line to the configuration log, if there is one.
    void Log(const std::string& line) const;

private:
    BridgeBus();

    std::deque<D2xxBridge> bridges_;
    std::vector<D2xxBridge*> list_;
    struct OpenHandle {
        void* handle;
        D2xxBridge* bridge;
    };
    std::vector<OpenHandle> handles_;
    std::uintptr_t nextHandle_ = 0x7500;
};

}  // namespace ts::emulated
