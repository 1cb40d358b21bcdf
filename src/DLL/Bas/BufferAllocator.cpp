#include "DLL/Bas/BufferAllocator.h"

#include "ALL/Assert.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

inline size_t FrameBytes(bool pStereo) {
    return pStereo ? 4 : 2;
}

} // namespace

TBufferAllocator::~TBufferAllocator() {
    std::free(aBuffer);
}

void TBufferAllocator::SetBuffer(void* pData) {
    aBuffer = pData;
}

void TBufferAllocator::SetBufferSize(unsigned long pSize) {
    aBufferSize = uint32_t(std::min<unsigned long>(pSize, UINT32_MAX));
}

void TBufferAllocator::SwapBuffer(TBufferAllocator& pOther) {
    std::swap(aBuffer, pOther.aBuffer);
    std::swap(aBufferSize, pOther.aBufferSize);
}

void TBufferAllocator::ClearBuffer(int pFrom, int pTo, bool pStereo) {
    if (!aBuffer)
        return;
    const int64_t frames = int64_t(aBufferSize / FrameBytes(pStereo));
    const int64_t from = std::clamp<int64_t>(pFrom, 0, frames);
    const int64_t to = std::clamp<int64_t>(pTo, 0, frames);
    if (from < to)
        std::memset(static_cast<char*>(aBuffer) + from * FrameBytes(pStereo), 0,
                    size_t(to - from) * FrameBytes(pStereo));
}

void TBufferAllocator::AllocateBuffer(double pFrames, bool pStereo) {
    if (!(pFrames > 0))
        return;
    const double bytes = std::ceil(pFrames) * double(FrameBytes(pStereo));
    if (aBuffer && bytes <= aBufferSize)
        return;
    void* buffer = bytes <= UINT32_MAX ? std::malloc(size_t(bytes)) : nullptr;
    if (!ZV_ASSERT(buffer != NULL))
        return;
    std::free(aBuffer);
    aBuffer = buffer;
    aBufferSize = uint32_t(bytes);
}

TZVAudioBufferStream::~TZVAudioBufferStream() = default;

const int16_t* TZVAudioBufferStream::GetAudioData() const {
    return static_cast<const int16_t*>(aBuffer);
}
