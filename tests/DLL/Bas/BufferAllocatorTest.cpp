#include "DLL/Bas/BufferAllocator.h"

#include "DLL/Bas/FakeRenderContext.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

typedef std::vector<unsigned char> TBytes;

TBytes Bytes(const TFakeAudioStream& pStream) {
    const unsigned char* data = static_cast<const unsigned char*>(pStream.aBuffer);
    return TBytes(data, data + pStream.aBufferSize);
}

} // namespace

TEST(BufferAllocator, AllocateBufferGrowsToWholeFramesAndNeverShrinks) {
    TFakeAudioStream stream;
    for (double frames : {0.0, -3.0, std::nan("")}) // nothing to allocate
        stream.AllocateBuffer(frames, true);
    EXPECT_EQ(stream.aBuffer, nullptr);
    stream.AllocateBuffer(10.2, true); // 11 stereo frames
    ASSERT_EQ(stream.aBufferSize, 44u);
    EXPECT_EQ(stream.GetAudioData(), stream.aBuffer);
    std::memset(stream.aBuffer, 7, 44);
    void* first = stream.aBuffer;
    stream.AllocateBuffer(5, false);
    stream.AllocateBuffer(22, false); // exactly the capacity
    EXPECT_EQ(stream.aBuffer, first);
    EXPECT_EQ(Bytes(stream), TBytes(44, 7));
    stream.AllocateBuffer(22.5, false);
    EXPECT_EQ(stream.aBufferSize, 46u);
}

TEST(BufferAllocator, AFailedAllocationKeepsTheOldBufferAndIsReported) {
    TFakeAudioStream stream;
    stream.AllocateBuffer(3, false);
    std::memset(stream.aBuffer, 5, 6);
    void* old = stream.aBuffer;
    // More than 4294967295 bytes cannot be held: the memory is not even asked for.
    for (double frames : {1073741824.0, std::numeric_limits<double>::infinity()})
        EXPECT_ASSERTS(stream.AllocateBuffer(frames, true), "buffer != __null");
    EXPECT_EQ(stream.aBuffer, old);
    EXPECT_EQ(Bytes(stream), TBytes(6, 5));
}

TEST(BufferAllocator, ClearBufferZeroesTheFramesWithinTheBuffer) {
    const TBytes ones(12, 1);
    struct TCase {
        int aFrom, aTo;
        bool aStereo;
        TBytes aAfter;
    } cases[] = {
        {2, 4, false, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1}},
        {1, 2, true, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1}},
        {-3, 1, true, {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1}},
        {5, 100, false, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}},
        {INT_MIN, INT_MAX, true, TBytes(12, 0)},
        {3, 3, false, ones},
        {4, 2, false, ones},
        {7, 9, false, ones},
    };
    for (const TCase& c : cases) {
        TFakeAudioStream stream;
        stream.AllocateBuffer(6, false);
        std::memset(stream.aBuffer, 1, 12);
        stream.ClearBuffer(c.aFrom, c.aTo, c.aStereo);
        EXPECT_EQ(Bytes(stream), c.aAfter) << c.aFrom << ".." << c.aTo << " " << c.aStereo;
    }
    TFakeAudioStream empty;
    empty.SetBufferSize(100); // a capacity without a buffer: nothing to clear
    empty.ClearBuffer(0, 10, true);
}

// A queue's free block goes to a receiver, which swaps it into the stream; whatever ends in
// an allocator is freed with it.
TEST(BufferAllocator, BuffersPassFromTheQueueThroughASwap) {
    TAudioBuffer queue(1);
    void* block = std::malloc(8);
    queue.AddBuffer(block, 0, 8);
    unsigned char read[8];
    ASSERT_EQ(queue.ReadData(read, 8), 8u);
    TFakeAudioStream stream, receiver;
    stream.AllocateBuffer(2, false);
    void* own = stream.aBuffer;
    ASSERT_TRUE(queue.GetFreeBuffer(receiver));
    stream.SwapBuffer(receiver);
    EXPECT_EQ(stream.aBuffer, block);
    EXPECT_EQ(stream.aBufferSize, 8u);
    EXPECT_EQ(receiver.aBuffer, own);
    EXPECT_EQ(receiver.aBufferSize, 4u);
    receiver.SetBufferSize(0x1FFFFFFFFul);
    EXPECT_EQ(receiver.aBufferSize, 0xFFFFFFFFu);
}
