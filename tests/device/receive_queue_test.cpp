#include "device/receive_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace ts {
namespace {

constexpr std::size_t kCapacity = ReceiveQueue::kCapacity;

// A sequence whose bytes differ from their neighbours and do not repeat every 256 bytes, so
// lost, doubled or reordered blocks show up.
std::uint8_t Pattern(std::uint64_t i) {
    return static_cast<std::uint8_t>(i * 7 + (i >> 8) * 13 + (i >> 16));
}

std::vector<std::uint8_t> PatternBytes(std::uint64_t first, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = Pattern(first + i);
    }
    return bytes;
}

TEST(ReceiveQueueTest, PopReturnsBytesInOrderAcrossTheWrapPoint) {
    ReceiveQueue queue;
    // Leave the positions just short of the end of the storage.
    std::vector<std::uint8_t> filler(kCapacity - 100);
    queue.Push(filler.data(), filler.size());
    std::vector<std::uint8_t> sink(filler.size());
    ASSERT_EQ(queue.Pop(sink.data(), sink.size()), filler.size());

    const std::vector<std::uint8_t> sent = PatternBytes(0, 1000);
    EXPECT_EQ(queue.Push(sent.data(), sent.size()), sent.size());
    EXPECT_EQ(queue.Size(), sent.size());

    std::vector<std::uint8_t> received(sent.size());
    EXPECT_EQ(queue.Pop(received.data(), 300), 300u);
    EXPECT_EQ(queue.Pop(received.data() + 300, 5000), 700u);
    EXPECT_EQ(received, sent);
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_EQ(queue.Pop(received.data(), received.size()), 0u);
    EXPECT_EQ(queue.OverrunBytes(), 0u);
}

TEST(ReceiveQueueTest, FullQueueKeepsWhatFitsAndCountsTheRest) {
    ReceiveQueue queue;
    const std::vector<std::uint8_t> sent = PatternBytes(0, kCapacity + 100);
    EXPECT_EQ(queue.Push(sent.data(), sent.size()), kCapacity);
    EXPECT_EQ(queue.Size(), kCapacity);
    EXPECT_EQ(queue.OverrunBytes(), 100u);

    const std::uint8_t more[3] = {1, 2, 3};
    EXPECT_EQ(queue.Push(more, sizeof more), 0u);
    EXPECT_EQ(queue.OverrunBytes(), 103u);

    // Room freed by the consumer is usable again, and the kept bytes are the oldest ones.
    std::vector<std::uint8_t> head(10);
    ASSERT_EQ(queue.Pop(head.data(), head.size()), head.size());
    EXPECT_EQ(head, PatternBytes(0, 10));
    EXPECT_EQ(queue.Push(more, sizeof more), 3u);
    EXPECT_EQ(queue.OverrunBytes(), 103u);

    std::vector<std::uint8_t> rest(kCapacity);
    ASSERT_EQ(queue.Pop(rest.data(), rest.size()), kCapacity - 7);
    EXPECT_EQ(rest[kCapacity - 11], Pattern(kCapacity - 1));
    EXPECT_EQ(rest[kCapacity - 10], 1);
    EXPECT_EQ(rest[kCapacity - 8], 3);
}

TEST(ReceiveQueueTest, ClearDiscardsWaitingBytesOnly) {
    ReceiveQueue queue;
    const std::vector<std::uint8_t> old = PatternBytes(0, 500);
    queue.Push(old.data(), old.size());
    queue.Clear();
    EXPECT_EQ(queue.Size(), 0u);

    const std::vector<std::uint8_t> fresh = PatternBytes(1000, 20);
    queue.Push(fresh.data(), fresh.size());
    std::vector<std::uint8_t> received(100);
    received.resize(queue.Pop(received.data(), received.size()));
    EXPECT_EQ(received, fresh);
}

// Drains `queue` until `producerDone` is set and nothing is left; returns the bytes taken.
// `check(position, byte)` sees every byte received.
template <typename Check>
std::uint64_t Drain(ReceiveQueue& queue, const std::atomic<bool>& producerDone, std::size_t bite,
                    Check check) {
    std::vector<std::uint8_t> buffer(bite);
    std::uint64_t received = 0;
    for (;;) {
        const bool finished = producerDone;
        const std::size_t got = queue.Pop(buffer.data(), buffer.size());
        for (std::size_t i = 0; i < got; ++i) {
            check(received + i, buffer[i]);
        }
        received += got;
        if (got == 0) {
            if (finished) {
                return received;
            }
            std::this_thread::yield();
        }
    }
}

TEST(ReceiveQueueTest, ConcurrentConsumerReceivesEveryByteInOrder) {
    ReceiveQueue queue;
    constexpr std::uint64_t kTotal = 64ull << 20;
    std::atomic<bool> done{false};
    std::thread producer([&queue, &done] {
        std::uint64_t sent = 0;
        std::size_t size = 1;
        while (sent < kTotal) {
            // Odd chunk sizes so pushes straddle the wrap point in many different ways.
            size = size * 5 % 9973 + 1;
            const auto count =
                static_cast<std::size_t>(std::min<std::uint64_t>(size, kTotal - sent));
            if (queue.Size() + count > kCapacity) {
                std::this_thread::yield();
                continue;
            }
            const std::vector<std::uint8_t> chunk = PatternBytes(sent, count);
            queue.Push(chunk.data(), chunk.size());
            sent += count;
        }
        done = true;
    });

    std::uint64_t mismatches = 0;
    const std::uint64_t received = Drain(queue, done, 7919, [&](std::uint64_t at, std::uint8_t b) {
        mismatches += b != Pattern(at) ? 1 : 0;
    });
    producer.join();

    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(received, kTotal);
    EXPECT_EQ(queue.OverrunBytes(), 0u);
}

TEST(ReceiveQueueTest, ConcurrentOverrunAccountsForEveryByte) {
    ReceiveQueue queue;
    constexpr std::uint64_t kTotal = 16ull << 20;
    std::atomic<bool> done{false};
    std::thread producer([&queue, &done] {
        const std::vector<std::uint8_t> chunk = PatternBytes(0, 4096);
        for (std::uint64_t sent = 0; sent < kTotal; sent += chunk.size()) {
            queue.Push(chunk.data(), chunk.size());
        }
        done = true;
    });

    // Start consuming only once the producer has overrun, then race it with small bites.
    while (queue.OverrunBytes() == 0 && !done) {
        std::this_thread::yield();
    }
    const std::uint64_t received = Drain(queue, done, 64, [](std::uint64_t, std::uint8_t) {});
    producer.join();

    EXPECT_GT(queue.OverrunBytes(), 0u);
    EXPECT_EQ(received + queue.OverrunBytes(), kTotal);
}

}  // namespace
}  // namespace ts
