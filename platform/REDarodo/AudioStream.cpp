#include "REDarodo/AudioStream.h"

#include "REDarodo/Media.h"
#include "REDarodo/ReaderAudio.h"

TZVAudioStream::TZVAudioStream(TZVMedia* pMedia) {
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
    return aFormat.aSamplesPerSec ? double(aSampleCount) / aFormat.aSamplesPerSec : 0.0;
}

int TZVAudioStream::Read(void* pBuffer, int pFrames) {
    return aReader ? aReader->Read(static_cast<int16_t*>(pBuffer), pFrames) : 0;
}
