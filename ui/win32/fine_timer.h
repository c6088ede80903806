#pragma once

namespace ts::win32 {

// The window's 40 ms tick would come every 47 ms on the system's own 15.6 ms clock, and the
// demonstration's 10 ms timer every 16 ms. For as long as this lives the clock ticks every
// millisecond. winmm.dll, which offers that, is not one the
// loader always takes from the system folder, so it is loaded from there at run time rather than
// imported; without it the timers run at the system's own pace.
class FineTimer {
public:
    FineTimer();
    ~FineTimer();
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
    void* library_ = nullptr;
};

}  // namespace ts::win32
