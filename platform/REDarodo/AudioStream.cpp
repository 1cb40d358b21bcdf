#include "REDarodo/AudioStream.h"

#include "REDarodo/Media.h"
#include "REDarodo/ReaderAudio.h"

#include <algorithm>
#include <cstring>

TZVAudioStream::TZVAudioStream(TZVMedia* pMedia) {
    if (pMedia && pMedia->GetMemorySound()) {
        aMemory = pMedia->GetMemorySound();
        aFormat = aMemory->aFormat;
        if (aFormat.aBlockAlign)
            aSampleCount = uint32_t(aMemory->aData.size() / aFormat.aBlockAlign);
        return;
    }
    const TZVAudioTrack* track = pMedia ? pMedia->GetAudio() : nullptr;
    if (!track)
        return;
    aReader.reset(track->CreateReader());
    const TAudioFormat format = aReader->GetFormat();
    aFormat.aFormatTag = 1;
    aFormat.aChannels = uint16_t(format.aChannels);
    aFormat.aSamplesPerSec = uint32_t(format.aRate);
    aFormat.aBitsPerSample = 16;
    aFormat.aBlockAlign = uint16_t(format.aChannels * 2);
    aFormat.aAvgBytesPerSec = aFormat.aSamplesPerSec * aFormat.aBlockAlign;
    aSampleCount = uint32_t(aReader->GetFrameCount());
}

TZVAudioStream::~TZVAudioStream() = default;

double TZVAudioStream::GetDuration() const {
    if (aMemory)
        return aMemory->aDuration;
    return aFormat.aSamplesPerSec ? double(aSampleCount) / aFormat.aSamplesPerSec : 0.0;
}

int TZVAudioStream::Read(void* pBuffer, int pFrames) {
    if (aMemory)
        return readMemory(pBuffer, pFrames);
    return aReader ? aReader->Read(static_cast<int16_t*>(pBuffer), pFrames) : 0;
}

int TZVAudioStream::readMemory(void* pBuffer, int pFrames) {
    const size_t block = aFormat.aBlockAlign;
    const size_t left = block ? (aMemory->aData.size() - aMemoryOffset) / block : 0;
    const size_t frames = std::min(left, size_t(std::max(pFrames, 0)));
    int answer = int(frames);
    if (aMemoryRead < aMemory->aReadCounts.size())
        answer = aMemory->aReadCounts[aMemoryRead++];
    const size_t copied = std::min(frames, size_t(std::max(answer, 0)));
    if (copied)
        std::memcpy(pBuffer, aMemory->aData.data() + aMemoryOffset, copied * block);
    aMemoryOffset += copied * block;
    return answer;
}
