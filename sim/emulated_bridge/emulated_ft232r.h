#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "emulated_bridge/ft232r_chip.h"

// What a test can do with the emulated bridges beyond what libusb offers. The bridges named in
// TS_EMULATED_BRIDGES ("description,serial,capture-file;...") exist from the first libusb call
// on; tests may add more here.
namespace ts::emulated {

struct BridgeCounters {
    ChipCounters chip;
    // Handles closed, or transfers freed, while transfers were still in flight: a host bug.
    std::uint64_t hostMisuses = 0;
};

// Plugs in a new bridge (0403:6001) whose instrument streams `stream` once, from the moment
// the program first sets the instrument's baud rate, at `bytesPerSecond` (at most the line
// rate). Returns its id.
int AddBridge(const std::string& description, const std::string& serial,
              std::vector<std::uint8_t> stream, std::int64_t bytesPerSecond = kLineBytesPerSecond);
void Unplug(int bridge);
// Plugs it back in at a new address, powered up with default settings.
void Replug(int bridge);
// Another program has claimed the bridge's interface: claims fail with "busy".
void HoldElsewhere(int bridge, bool held);
// Unplugs every bridge for good (between tests in one process).
void RemoveAllBridges();

// The next thread that waits for USB events or reads synchronously is kept off the processor
// for `pause` first, as a loaded machine would do to it.
void StallReader(std::chrono::milliseconds pause);

BridgeCounters Counters(int bridge);
LineSettings Line(int bridge);
std::vector<ControlRequest> Requests(int bridge);
std::uint8_t Address(int bridge);
// Number of libusb contexts created: zero means libusb calls did not reach the emulator.
int ContextsCreated();

}  // namespace ts::emulated
