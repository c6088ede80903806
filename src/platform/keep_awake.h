#pragma once

#include <memory>
#include <string_view>

namespace ts {

// Keeps the computer from going to sleep by itself while a recording runs; the display may still
// turn off. The core says only when a recording starts and stops.
class KeepAwake {
public:
    virtual ~KeepAwake() = default;
    // Asks the system to stay awake until Release, naming `program` and `why` where the system
    // shows who holds it off. False
    // when the system could not be asked (no system bus, no login manager): the recording runs
    // all the same. Holding twice holds once.
    virtual bool Hold(std::string_view program, std::string_view why) = 0;
    // Holds nothing any more; nothing happens when nothing is held.
    virtual void Release() = 0;
    // As Release, for a program that closes in the middle of a recording it carries on at its
    // next start: what has the system start the program again (after an update's restart) stays.
    virtual void ReleaseKeepingRestart() { Release(); }
};

// The system's own: a login manager's inhibitor lock on Linux, the thread's execution state and
// the window's shutdown reason on Windows.
std::unique_ptr<KeepAwake> MakeSystemKeepAwake();

}  // namespace ts
