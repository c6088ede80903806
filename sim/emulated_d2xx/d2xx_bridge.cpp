#include "emulated_d2xx/d2xx_bridge.h"

#include <algorithm>
#include <array>

namespace ts::emulated {

D2xxBridge::D2xxBridge(std::string description, std::string serial, InstrumentStream stream,
                       std::size_t queueBytes)
    : description_(std::move(description)),
      serial_(std::move(serial)),
      stream_(std::move(stream)),
      queueBytes_(std::min(queueBytes, kQueueBytes)) {}

void D2xxBridge::Advance(Time now) {
    if (!plugged_ || !streamStart_) return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - *streamStart_);
    const std::uint64_t sent = stream_.SentBy(static_cast<std::uint64_t>(elapsed.count()));
    if (sent > sent_ && open_) Receive(sent - sent_);
    sent_ = std::max(sent_, sent);
    const bool ended = !stream_.Endless() && sent_ == stream_.Length();
    if (ended && (!open_ || queue_.Size() == 0)) {
        plugged_ = false;
        open_ = false;
        queue_.Clear();
    }
}

void D2xxBridge::Receive(std::uint64_t count) {
    const std::uint64_t room = queueBytes_ - queue_.Size();
    const std::uint64_t kept = std::min(count, room);
    std::array<std::uint8_t, 4096> chunk;
    for (std::uint64_t done = 0; done < kept;) {
        const auto part =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), kept - done));
        stream_.Copy(sent_ + done, chunk.data(), part);
        queue_.Push(chunk.data(), part);
        done += part;
    }
    dropped_ += count - kept;
}

bool D2xxBridge::Open() {
    if (open_ || !plugged_) return false;
    open_ = true;
    dropped_ = 0;
    queue_.Clear();
    return true;
}

void D2xxBridge::Close() {
    open_ = false;
    queue_.Clear();
}

void D2xxBridge::Reset() { queue_.Clear(); }

void D2xxBridge::StartStream(Time now) {
    if (!streamStart_) streamStart_ = now;
}

}  // namespace ts::emulated
