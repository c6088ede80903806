#pragma once

#include <libusb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "emulated_bridge/ft232r_chip.h"

namespace ts::emulated {

struct Bridge {
    Bridge(int id, std::string description, std::string serial, std::vector<std::uint8_t> stream,
           Time now, std::int64_t bytesPerSecond)
        : id(id),
          description(std::move(description)),
          serial(std::move(serial)),
          chip(std::move(stream), now, bytesPerSecond) {}

    const int id;
    const std::string manufacturer = "FTDI";
    const std::string description;
    const std::string serial;
    Ft232rChip chip;
    bool plugged = true;
    bool removed = false;
    // Counts plug-ins: devices and handles of an earlier one are dead.
    int generation = 0;
    std::uint8_t address = 0;
    bool heldElsewhere = false;
    bool kernelDriverAttached = true;
    const libusb_device_handle* claimedBy = nullptr;
    // The host's IN transfers, in the order they were submitted.
    std::deque<InRequest*> pending;
    // Every control request the host sent, vendor and standard alike.
    std::vector<ControlRequest> requests;
    std::uint64_t hostMisuses = 0;
};

// What the emulator keeps in front of each libusb_transfer it hands out.
struct TransferState {
    InRequest in;  // first member: the chip hands InRequest pointers back
    bool inFlight = false;
    bool sync = false;
    bool syncDone = false;
    Bridge* bridge = nullptr;
    libusb_context* context = nullptr;
};

TransferState& StateOf(libusb_transfer* transfer);
libusb_transfer* TransferOf(InRequest* request);
libusb_transfer* NewTransfer(int isoPackets);
void DeleteTransfer(libusb_transfer* transfer);

// Every bridge and transfer, behind one lock, and the thread that plays the part of the host
// controller: it runs the chips in real time and finishes transfers when they are due.
class Bus {
public:
    // Created on first use with the bridges of TS_EMULATED_BRIDGES; lives until the process
    // ends (it is never destroyed, so no exit-time order can pull it away from a caller).
    static Bus& Get();

    Bridge& AddBridge(std::string description, std::string serial, std::vector<std::uint8_t> stream,
                      std::int64_t bytesPerSecond = kLineBytesPerSecond);
    Bridge* Find(int id);
    // Runs the bridge's chip to now and finishes what became due. Lock held.
    void Advance(Bridge& bridge);
    // Lock held. Async transfers go to their context's completion list; sync ones wake their
    // waiter.
    void Finish(libusb_transfer* transfer, int status);
    void Unplug(Bridge& bridge);
    void Replug(Bridge& bridge);
    // Sleeps off a stall a test asked for; call without the lock.
    void TakeStall();

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<Bridge>> bridges;
    std::chrono::milliseconds stall{0};
    int contextsCreated = 0;

private:
    Bus();
    void Run();
    std::uint8_t NextAddress();

    std::uint8_t nextAddress_ = 2;
    std::vector<InRequest*> finished_;
};

}  // namespace ts::emulated

// The types libusb.h leaves opaque, as the emulator has them.
struct libusb_context {
    std::deque<libusb_transfer*> completions;
    bool interrupted = false;
    // One device object per bridge and plug-in, as libusb keeps them per context.
    std::map<std::pair<int, int>, libusb_device*> devices;
};

struct libusb_device {
    libusb_context* context;
    ts::emulated::Bridge* bridge;
    int generation;
    std::uint8_t address;
    int refs;
};

struct libusb_device_handle {
    libusb_device* device;
};
