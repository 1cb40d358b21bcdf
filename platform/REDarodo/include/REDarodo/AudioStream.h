// The sequential sound reader the waveform summaries are built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class TZVMedia;
class TReaderAudio;
struct TZVMemorySound;

// The format block, laid out as the Windows WAVEFORMATEX structure (18 bytes, packed).
#pragma pack(push, 1)
struct TZVWaveFormatEx {
    uint16_t aFormatTag; // 1: PCM
    uint16_t aChannels;
    uint32_t aSamplesPerSec;
    uint32_t aAvgBytesPerSec;
    uint16_t aBlockAlign; // bytes a frame
    uint16_t aBitsPerSample;
    uint16_t aExtraSize; // bytes after the block: none
};
#pragma pack(pop)
static_assert(sizeof(TZVWaveFormatEx) == 18, "WAVEFORMATEX is 18 bytes");
static_assert(offsetof(TZVWaveFormatEx, aChannels) == 2, "channels at byte 2");
static_assert(offsetof(TZVWaveFormatEx, aSamplesPerSec) == 4, "rate at byte 4");
static_assert(offsetof(TZVWaveFormatEx, aBlockAlign) == 12, "block size at byte 12");
static_assert(offsetof(TZVWaveFormatEx, aBitsPerSample) == 14, "bits at byte 14");

class TZVAudioStream {
public:
    // Reads pMedia's sound from its start: 16-bit, one or two channels. A medium without
    // sound gives a format of 0 channels, no frames and nothing to read. An in-memory medium
    // reports its sound's format and duration as they are.
    explicit TZVAudioStream(TZVMedia* pMedia);
    ~TZVAudioStream();
    TZVAudioStream(const TZVAudioStream&) = delete;
    TZVAudioStream& operator=(const TZVAudioStream&) = delete;

    const TZVWaveFormatEx& GetFormat() const { return aFormat; }
    // Frames of the whole sound (at most 2^31 - 1).
    uint32_t GetSampleCount() const { return aSampleCount; }
    // Seconds: frames / rate (an in-memory sound's own duration).
    double GetDuration() const;
    // Reads the next pFrames frames at most into pBuffer (signed 16-bit little-endian,
    // interleaved) and answers how many; 0 at the end.
    int Read(void* pBuffer, int pFrames);

private:
    int readMemory(void* pBuffer, int pFrames);

    std::unique_ptr<TReaderAudio> aReader;
    TZVWaveFormatEx aFormat = {};
    uint32_t aSampleCount = 0;
    std::shared_ptr<const TZVMemorySound> aMemory;
    size_t aMemoryRead = 0;   // answers of aReadCounts given
    size_t aMemoryOffset = 0; // bytes of the data read
};
