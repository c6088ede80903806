// What a test can do with the emulated bridges beyond what libusb offers.
#include "emulated_bridge/emulated_ft232r.h"

#include <cstdio>
#include <cstdlib>

#include "emulated_bridge/usb_bus.h"

namespace ts::emulated {

namespace {

template <typename Action>
auto WithBridge(int id, Action&& action) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    Bridge* bridge = bus.Find(id);
    if (bridge == nullptr) {
        std::fprintf(stderr, "emulated bridge: no bridge %d\n", id);
        std::abort();
    }
    return action(bus, *bridge);
}

}  // namespace

int AddBridge(const std::string& description, const std::string& serial,
              std::vector<std::uint8_t> stream, std::int64_t bytesPerSecond) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    return bus.AddBridge(description, serial, std::move(stream), bytesPerSecond).id;
}

void Unplug(int bridge) {
    WithBridge(bridge, [](Bus& bus, Bridge& b) { bus.Unplug(b); });
}

void Replug(int bridge) {
    WithBridge(bridge, [](Bus& bus, Bridge& b) { bus.Replug(b); });
}

void HoldElsewhere(int bridge, bool held) {
    WithBridge(bridge, [held](Bus&, Bridge& b) { b.heldElsewhere = held; });
}

void RemoveAllBridges() {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    for (const auto& bridge : bus.bridges) {
        bus.Unplug(*bridge);
        bridge->removed = true;
    }
}

void StallReader(std::chrono::milliseconds pause) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    bus.stall = pause;
}

BridgeCounters Counters(int bridge) {
    return WithBridge(bridge, [](Bus& bus, Bridge& b) {
        bus.Advance(b);
        return BridgeCounters{b.chip.Counters(), b.hostMisuses};
    });
}

LineSettings Line(int bridge) {
    return WithBridge(bridge, [](Bus&, Bridge& b) { return b.chip.Settings(); });
}

std::vector<ControlRequest> Requests(int bridge) {
    return WithBridge(bridge, [](Bus&, Bridge& b) { return b.requests; });
}

std::uint8_t Address(int bridge) {
    return WithBridge(bridge, [](Bus&, Bridge& b) { return b.address; });
}

int ContextsCreated() {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    return bus.contextsCreated;
}

}  // namespace ts::emulated
