// TBufferAllocator, the owner of a render stream's audio sample buffer, and
// TZVAudioBufferStream, the base of audio streams that keep their frame in one. Samples are
// signed 16-bit; a frame is one sample (mono, 2 bytes) or two interleaved ones (stereo, 4).
#pragma once

#include "DLL/Bas/AudioBuffer.h"
#include "DLL/Bas/StreamInt.h"

#include <cstdint>

class TBufferAllocator : public TAudioBuffer::IBuffer {
public:
    TBufferAllocator() : aBuffer(nullptr), aBufferSize(0) {}
    TBufferAllocator(const TBufferAllocator&) = delete;
    TBufferAllocator& operator=(const TBufferAllocator&) = delete;
    // Frees the buffer.
    ~TBufferAllocator();

    // Takes pData (from malloc) as the buffer. The old buffer is not freed: the receiver of
    // a queue's block starts without one and passes it on with SwapBuffer.
    void SetBuffer(void* pData) override;
    // Takes pSize as the buffer's capacity in bytes (at most 4294967295).
    void SetBufferSize(unsigned long pSize) override;

    // Exchanges buffer and capacity with pOther.
    void SwapBuffer(TBufferAllocator& pOther);
    // Zeroes the frames [pFrom, pTo), limited to the frames the buffer holds; an empty or
    // inverted range does nothing.
    void ClearBuffer(int pFrom, int pTo, bool pStereo);
    // Makes room for ceil(pFrames) frames. A buffer that holds them is kept with its
    // contents (the buffer never shrinks); otherwise a new one of exactly that size, not
    // cleared, replaces it. A count of 0 or less, or NaN, changes nothing; when the memory
    // cannot be had (or needs more than 4294967295 bytes) the old buffer stays and the
    // failure is reported.
    void AllocateBuffer(double pFrames, bool pStereo);
    // The capacity in bytes.
    uint32_t GetBufferSize() const { return aBufferSize; }

protected:
    void* aBuffer;        // owned; from malloc
    uint32_t aBufferSize; // capacity in bytes
};

class TZVAudioBufferStream : public IZVAudioStream, public TBufferAllocator {
public:
    ~TZVAudioBufferStream() override;

    // The buffer: the frame's samples.
    const int16_t* GetAudioData() const override;
};
