#include "DLL/Bas/AudioBuffer.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

typedef std::vector<unsigned char> TBytes;

// A malloc'ed block holding pBytes, as a producer hands it over.
void* Block(const TBytes& pBytes) {
    void* data = std::malloc(pBytes.size() + 1);
    std::memcpy(data, pBytes.data(), pBytes.size());
    return data;
}

TBytes Read(TAudioBuffer& pQueue, unsigned long pCount) {
    TBytes bytes(pCount, 0xEE);
    bytes.resize(pQueue.ReadData(bytes.data(), pCount));
    return bytes;
}

} // namespace

TEST(AudioBuffer, ReadsAcrossBlocksAndRecyclesTheOnesReadCompletely) {
    TAudioBuffer queue(2);
    TFakeAudioStream receiver; // owns what it receives
    receiver.aBufferSize = 9;
    EXPECT_EQ(Read(queue, 8), TBytes{});
    EXPECT_TRUE(queue.GetFreeBuffer(receiver)); // room, nothing read: the producer allocates
    EXPECT_EQ(std::make_pair(receiver.aBuffer, receiver.aBufferSize),
              std::make_pair(static_cast<void*>(nullptr), 0u));
    void* first = Block({1, 2, 3, 4});
    queue.AddBuffer(first, 0, 4);
    queue.AddBuffer(Block({5, 6, 7, 8, 9, 10}), 0, 6);
    EXPECT_EQ(Read(queue, 0), TBytes{});
    EXPECT_EQ(Read(queue, 5), (TBytes{1, 2, 3, 4, 5}));
    EXPECT_TRUE(queue.GetFreeBuffer(receiver));
    EXPECT_EQ(std::make_pair(receiver.aBuffer, receiver.aBufferSize), std::make_pair(first, 4u));
    // Refilled, the block makes the queue full of unread blocks again.
    std::memcpy(first, "\x0B\x0C\x0D\x0E", 4);
    queue.AddBuffer(std::exchange(receiver.aBuffer, nullptr), 0, 4);
    EXPECT_FALSE(queue.GetFreeBuffer(receiver));
    EXPECT_EQ(Read(queue, 10), (TBytes{6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(Read(queue, 10), TBytes{});
    EXPECT_TRUE(queue.GetFreeBuffer(receiver)); // read exactly to its end
    EXPECT_EQ(receiver.aBufferSize, 6u);
}

TEST(AudioBuffer, AppendingToAFullQueueIsReportedAndDoneAndFreeAllStartsAfresh) {
    TAudioBuffer queue(1);
    queue.AddBuffer(Block({1}), 0, 1);
    EXPECT_ASSERTS(queue.AddBuffer(Block({2, 3}), 0, 2), "aBufferQueue.size() < aMaxSize");
    EXPECT_EQ(Read(queue, 2), (TBytes{1, 2}));
    queue.FreeAllBuffer();
    EXPECT_EQ(Read(queue, 4), TBytes{});
    queue.AddBuffer(Block({7, 8, 9}), 0, 3);
    EXPECT_EQ(Read(queue, 2), (TBytes{7, 8}));
}

// A negative size made the readable rest huge (a copy past the block) and came back to the
// producer as an enormous capacity; null memory cannot be read either.
TEST(AudioBuffer, BlocksWithNegativeSizeOrNoMemoryHoldNothing) {
    TAudioBuffer queue(4);
    queue.AddBuffer(Block({1, 2}), 0, -5);
    queue.AddBuffer(nullptr, 0, 8);
    queue.AddBuffer(Block({3, 4}), 0, 2);
    EXPECT_EQ(Read(queue, 10), (TBytes{3, 4}));
    TFakeAudioStream receiver;
    for (unsigned size : {0u, 0u, 2u}) {
        EXPECT_TRUE(queue.GetFreeBuffer(receiver));
        EXPECT_EQ(receiver.aBufferSize, size);
        std::free(std::exchange(receiver.aBuffer, nullptr));
    }
}
