#include "device/receive_queue.h"

#include <algorithm>
#include <cstring>

namespace ts {

ReceiveQueue::ReceiveQueue()
    : storage_(std::make_unique_for_overwrite<std::uint8_t[]>(kCapacity)) {}

std::size_t ReceiveQueue::Push(const std::uint8_t* data, std::size_t count) {
    const std::size_t written = written_.load(std::memory_order_relaxed);
    // Acquire pairs with Pop's release: the consumer has finished copying out the bytes whose
    // room we are about to reuse.
    const std::size_t read = read_.load(std::memory_order_acquire);
    const std::size_t stored = std::min(count, kCapacity - (written - read));
    if (stored < count) {
        overrun_.fetch_add(count - stored, std::memory_order_relaxed);
    }
    if (stored == 0) {
        return 0;
    }

    const std::size_t start = written & kMask;
    const std::size_t first = std::min(stored, kCapacity - start);
    std::memcpy(storage_.get() + start, data, first);
    std::memcpy(storage_.get(), data + first, stored - first);

    written_.store(written + stored, std::memory_order_release);
    return stored;
}

std::size_t ReceiveQueue::Size() const {
    // Read position first: it can only catch up with the write position, so this order never
    // yields a negative fill.
    const std::size_t read = read_.load(std::memory_order_acquire);
    const std::size_t written = written_.load(std::memory_order_acquire);
    return written - read;
}

std::size_t ReceiveQueue::Pop(std::uint8_t* out, std::size_t max) {
    const std::size_t read = read_.load(std::memory_order_relaxed);
    const std::size_t written = written_.load(std::memory_order_acquire);
    const std::size_t taken = std::min(max, written - read);
    if (taken == 0) {
        return 0;
    }

    const std::size_t start = read & kMask;
    const std::size_t first = std::min(taken, kCapacity - start);
    std::memcpy(out, storage_.get() + start, first);
    std::memcpy(out + first, storage_.get(), taken - first);

    read_.store(read + taken, std::memory_order_release);
    return taken;
}

void ReceiveQueue::Clear() {
    read_.store(written_.load(std::memory_order_acquire), std::memory_order_release);
}

std::uint64_t ReceiveQueue::OverrunBytes() const {
    return overrun_.load(std::memory_order_relaxed);
}

}  // namespace ts
