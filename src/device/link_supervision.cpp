#include <string>
#include <string_view>

#include "device/instrument_link.h"

namespace ts {

namespace {

// After this many polls without a valid frame the link counts as lost.
constexpr std::int32_t kSilentTicksLimit = 11;
// Time the disabled USB device is given before it is enabled again.
constexpr int kReenumerationPauseMs = 1000;

constexpr std::string_view kDisableCommand = "devcon.exe disable ";
constexpr std::string_view kEnableCommand = "devcon.exe enable ";
constexpr std::string_view kInstancePrefix = "@USB\\VID_0403&PID_6001\\";

// The serial comes from the device or from an editable settings file and is
// pasted into a command line: a quote could end the argument and add others,
// "*" and "?" would make the instance a pattern matching other devices, and a
// control character has no business in a serial.
bool SafeInCommandLine(std::string_view serial) {
    for (const char c : serial) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '*' || c == '?' || byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

std::string DeviceCommand(std::string_view verb, std::string_view serial) {
    std::string line(verb);
    line += '"';
    line += kInstancePrefix;
    line += serial;
    line += '"';
    return line;
}

}  // namespace

void InstrumentLink::WatchSilence() {
    if (state_.SilentTicks < kSilentTicksLimit) {
        ++state_.SilentTicks;
        return;
    }
    // Repeated on every silent tick until a valid frame comes.
    state_.DataReceived = false;
    form_.Label_ErrDeviceNum.Visible = false;
    state_.WrongDeviceLatch = false;
    events_->LinkSilent();
}

void InstrumentLink::Supervise() {
    // The tool's processes are never waited for; those that have ended are
    // collected here, once a second, whether or not the link is up.
    platform_.ReapFinishedProcesses();
    if (state_.DataReceived) return;
    if (state_.DeviceNumber < 0) {
        if (Open(false)) statistics_.CountReopening();
        return;
    }
    Reenumerate();
}

void InstrumentLink::Reenumerate() {
    if (SafeInCommandLine(state_.DeviceSerial)) {
        // Neither start is checked nor waited for: a missing or refusing tool
        // only means the reopening below goes on without its help.
        platform_.StartProcess(DeviceCommand(kDisableCommand, state_.DeviceSerial));
        platform_.SleepMs(kReenumerationPauseMs);
        platform_.StartProcess(DeviceCommand(kEnableCommand, state_.DeviceSerial));
    }
    state_.DeviceNumber = -1;
}

}  // namespace ts
