#include "emulated_bridge/usb_bus.h"

#include <pthread.h>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <thread>

#include "emulated_bridge/bridge_list.h"

namespace ts::emulated {

namespace {

constexpr std::size_t kStateOffset = (sizeof(TransferState) + alignof(std::max_align_t) - 1) /
                                     alignof(std::max_align_t) * alignof(std::max_align_t);

std::vector<std::uint8_t> ReadCapture(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr,
                     "emulated bridge: cannot read the capture %s; the bridge stays silent\n",
                     path.c_str());
        return {};
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

TransferState& StateOf(libusb_transfer* transfer) {
    return *reinterpret_cast<TransferState*>(reinterpret_cast<std::byte*>(transfer) - kStateOffset);
}

libusb_transfer* TransferOf(InRequest* request) {
    // InRequest is TransferState's first member, so the two share an address.
    return reinterpret_cast<libusb_transfer*>(reinterpret_cast<std::byte*>(request) + kStateOffset);
}

libusb_transfer* NewTransfer(int isoPackets) {
    const std::size_t size =
        kStateOffset + sizeof(libusb_transfer) +
        static_cast<std::size_t>(isoPackets) * sizeof(libusb_iso_packet_descriptor);
    auto* block =
        static_cast<std::byte*>(::operator new (size, std::align_val_t{alignof(std::max_align_t)}));
    new (block) TransferState{};
    auto* transfer = reinterpret_cast<libusb_transfer*>(block + kStateOffset);
    std::memset(static_cast<void*>(transfer), 0, size - kStateOffset);
    transfer->num_iso_packets = isoPackets;
    return transfer;
}

void DeleteTransfer(libusb_transfer* transfer) {
    TransferState* state = &StateOf(transfer);
    state->~TransferState();
    ::operator delete (static_cast<void*>(state), std::align_val_t{alignof(std::max_align_t)});
}

Bus& Bus::Get() {
    static Bus* bus = new Bus;
    return *bus;
}

Bus::Bus() {
    if (const char* text = std::getenv("TS_EMULATED_BRIDGES")) {
        const BridgeList list = ParseBridgeList(text);
        for (const std::string& item : list.rejected) {
            std::fprintf(stderr, "emulated bridge: \"%s\" is not description,serial,capture-file\n",
                         item.c_str());
        }
        for (const BridgeEntry& entry : list.bridges) {
            AddBridge(entry.description, entry.serial, ReadCapture(entry.capturePath));
        }
    }
    std::thread([this] { Run(); }).detach();
}

std::uint8_t Bus::NextAddress() {
    const std::uint8_t address = nextAddress_;
    // Addresses run from 1 to 127 on a bus; the root hub keeps 1.
    nextAddress_ = nextAddress_ == 127 ? 2 : static_cast<std::uint8_t>(nextAddress_ + 1);
    return address;
}

Bridge& Bus::AddBridge(std::string description, std::string serial,
                       std::vector<std::uint8_t> stream, std::int64_t bytesPerSecond) {
    const int id = static_cast<int>(bridges.size());
    bridges.push_back(std::make_unique<Bridge>(id, std::move(description), std::move(serial),
                                               std::move(stream), Clock::now(), bytesPerSecond));
    bridges.back()->address = NextAddress();
    return *bridges.back();
}

Bridge* Bus::Find(int id) {
    if (id < 0 || id >= static_cast<int>(bridges.size())) return nullptr;
    return bridges[static_cast<std::size_t>(id)].get();
}

void Bus::Advance(Bridge& bridge) {
    finished_.clear();
    bridge.chip.Advance(Clock::now(), bridge.pending, finished_);
    for (InRequest* request : finished_) Finish(TransferOf(request), request->status);
}

void Bus::Finish(libusb_transfer* transfer, int status) {
    TransferState& state = StateOf(transfer);
    state.inFlight = false;
    transfer->status = static_cast<libusb_transfer_status>(status);
    transfer->actual_length = state.in.actual;
    if (state.sync) {
        state.syncDone = true;
    } else {
        state.context->completions.push_back(transfer);
    }
    changed.notify_all();
}

void Bus::Unplug(Bridge& bridge) {
    if (!bridge.plugged) return;
    Advance(bridge);
    while (!bridge.pending.empty()) {
        InRequest* request = bridge.pending.front();
        bridge.pending.pop_front();
        Finish(TransferOf(request), LIBUSB_TRANSFER_NO_DEVICE);
    }
    bridge.chip.PowerOff(Clock::now());
    bridge.plugged = false;
    ++bridge.generation;
    bridge.claimedBy = nullptr;
}

void Bus::Replug(Bridge& bridge) {
    if (bridge.plugged || bridge.removed) return;
    bridge.plugged = true;
    bridge.kernelDriverAttached = true;
    bridge.address = NextAddress();
    bridge.chip.PowerOn(Clock::now());
    changed.notify_all();
}

void Bus::TakeStall() {
    std::chrono::milliseconds pause{0};
    {
        const std::lock_guard lock(mutex);
        std::swap(pause, stall);
    }
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
}

void Bus::Run() {
    using namespace std::chrono_literals;
    // Named, so that a measurement of the program can leave out what stands in for the hardware.
    pthread_setname_np(pthread_self(), "emulated-usb");
    std::unique_lock lock(mutex);
    for (;;) {
        Time next = Time::max();
        for (const auto& bridge : bridges) {
            if (!bridge->pending.empty())
                next = std::min(next, bridge->chip.NextEvent(bridge->pending));
        }
        const Time now = Clock::now();
        if (next > now) {
            // Waking for every packet would cost more than it shows: nothing the program does
            // can tell a millisecond's batching from the wire.
            changed.wait_until(lock, next == Time::max() ? now + 1s : std::max(next, now + 1ms));
        }
        for (const auto& bridge : bridges) {
            if (!bridge->pending.empty()) Advance(*bridge);
        }
    }
}

}  // namespace ts::emulated
