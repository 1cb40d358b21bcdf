#include "DLL/Bas/BufferAllocator.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The buffer's bytes as digits: "0101".
std::string Bytes(const TFakeAudioStream& pStream) {
    std::string digits;
    for (uint32_t i = 0; i < pStream.aBufferSize; ++i)
        digits += char('0' + static_cast<const unsigned char*>(pStream.aBuffer)[i]);
    return digits;
}

} // namespace

TEST(BufferAllocator, AllocateBufferGrowsToWholeFramesOnlyAndKeepsItAfterAFailure) {
    TFakeAudioStream stream;
    for (double frames : {0.0, -3.0, double(NAN)}) // nothing to allocate
        stream.AllocateBuffer(frames, true);
    EXPECT_EQ(stream.aBuffer, nullptr);
    stream.AllocateBuffer(2.2, true); // 3 stereo frames
    EXPECT_EQ(stream.GetAudioData(), stream.aBuffer);
    std::memset(stream.aBuffer, 7, stream.aBufferSize);
    void* first = stream.aBuffer;
    stream.AllocateBuffer(1, false);
    stream.AllocateBuffer(6, false); // exactly the capacity
    EXPECT_EQ(stream.aBuffer, first);
    EXPECT_EQ(Bytes(stream), "777777777777");
    // More than 4294967295 bytes cannot be held: the memory is not even asked for.
    for (double frames : {1073741824.0, double(INFINITY)})
        EXPECT_ASSERTS(stream.AllocateBuffer(frames, true), "buffer != __null");
    EXPECT_EQ(Bytes(stream), "777777777777");
    stream.AllocateBuffer(6.5, false);
    EXPECT_EQ(stream.aBufferSize, 14u);
}

// Six mono frames, or three stereo ones; the range is clamped to the buffer.
TEST(BufferAllocator, ClearBufferZeroesTheFramesWithinTheBuffer) {
    const struct {
        int aFrom, aTo;
        bool aStereo;
        const char* aAfter;
    } cases[] = {{2, 4, false, "111100001111"},   {-3, 1, true, "000011111111"},
                 {5, 100, false, "111111111100"}, {INT_MIN, INT_MAX, true, "000000000000"},
                 {4, 2, false, "111111111111"},   {7, 9, false, "111111111111"}};
    for (const auto& c : cases) {
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

TEST(BufferAllocator, SwapExchangesBuffersAndSizesAreHeldIn32Bits) {
    TFakeAudioStream stream, other;
    stream.AllocateBuffer(2, false);
    other.AllocateBuffer(2, true);
    void *own = stream.aBuffer, *others = other.aBuffer;
    stream.SwapBuffer(other);
    EXPECT_EQ(std::make_pair(stream.aBuffer, stream.aBufferSize), std::make_pair(others, 8u));
    EXPECT_EQ(std::make_pair(other.aBuffer, other.aBufferSize), std::make_pair(own, 4u));
    other.SetBufferSize(0x1FFFFFFFFul);
    EXPECT_EQ(other.aBufferSize, 0xFFFFFFFFu);
}
