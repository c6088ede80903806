#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace ts {

// Byte queue between one reader thread (the only caller of Push) and the UI thread (the only
// caller of Pop, Size and Clear). Its memory is allocated once: when the UI falls behind, new
// bytes are dropped and counted instead of growing the buffer.
class ReceiveQueue {
public:
    static constexpr std::size_t kCapacity = std::size_t{1} << 20;

    ReceiveQueue();
    ReceiveQueue(const ReceiveQueue&) = delete;
    ReceiveQueue& operator=(const ReceiveQueue&) = delete;

    // Producer side. Stores as many bytes as fit and returns that number; the rest are dropped.
    std::size_t Push(const std::uint8_t* data, std::size_t count);

    // Consumer side.
    std::size_t Size() const;
    std::size_t Pop(std::uint8_t* out, std::size_t max);
    // Discards the bytes waiting now; bytes pushed afterwards are kept.
    void Clear();

    // Bytes dropped since construction (Clear does not reset it).
    std::uint64_t OverrunBytes() const;

private:
    static constexpr std::size_t kMask = kCapacity - 1;
    static_assert((kCapacity & kMask) == 0, "index wrapping relies on a power-of-two capacity");

    std::unique_ptr<std::uint8_t[]> storage_;
    // Both positions only ever grow; their difference is the fill. Kept on separate cache
    // lines so the two threads do not slow each other down.
    alignas(64) std::atomic<std::size_t> written_{0};
    alignas(64) std::atomic<std::size_t> read_{0};
    alignas(64) std::atomic<std::uint64_t> overrun_{0};
};

}  // namespace ts
