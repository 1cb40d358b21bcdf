#include "REDarodo/Media.h"

#include "MediaIndex.h"
#include "REDarodo/ReaderAudio.h"
#include "REDarodo/WaveformFactory.h"
#include "ReaderVideoAhead.h"
#include "ReaderVideoFF.h"

IZVWaveformFactory* IZVWaveformFactory::theSingleton = nullptr;

IZVWaveformFactory::~IZVWaveformFactory() = default;

IReaderVideo::~IReaderVideo() = default;

TZVVideoTrack::TZVVideoTrack(std::shared_ptr<const TMediaSource> pSource,
                             std::shared_ptr<const TVideoIndex> pIndex)
    : aSource(std::move(pSource)), aIndex(std::move(pIndex)) {}

TZVVideoTrack::~TZVVideoTrack() = default;

IReaderVideo* TZVVideoTrack::CreateReader() const {
    return new TReaderVideoAhead(std::make_unique<TReaderVideoFF>(aSource, aIndex), aIndex);
}

long TZVVideoTrack::GetImageCount() const {
    return aIndex->ImageCount();
}

double TZVVideoTrack::GetImageRate() const {
    return double(aIndex->aRate.num) / aIndex->aRate.den;
}

int TZVVideoTrack::GetWidth() const {
    return aIndex->aWidth;
}

int TZVVideoTrack::GetHeight() const {
    return aIndex->aHeight;
}

TZVAudioTrack::TZVAudioTrack(std::shared_ptr<const TMediaSource> pSource,
                             std::shared_ptr<const TAudioIndex> pIndex)
    : aSource(std::move(pSource)), aIndex(std::move(pIndex)) {}

TZVAudioTrack::~TZVAudioTrack() = default;

TReaderAudio* TZVAudioTrack::CreateReader() const {
    return new TReaderAudio(aSource, aIndex);
}

int TZVAudioTrack::GetChannelCount() const {
    return aIndex->aChannels > 1 ? 2 : 1;
}

int TZVAudioTrack::GetSampleRate() const {
    return aIndex->aRate;
}

int64_t TZVAudioTrack::GetFrameCount() const {
    return aIndex->aFrames;
}

TZVMedia* TZVMedia::Open(const wxString& pPath, wxString* pReason) {
    auto source = std::make_shared<TMediaSource>(pPath);
    std::shared_ptr<TVideoIndex> video;
    std::shared_ptr<TAudioIndex> audio;
    if (!ScanMedia(*source, &video, &audio, pReason))
        return nullptr;
    return new TZVMedia(pPath, source,
                        video ? std::make_unique<TZVVideoTrack>(source, video) : nullptr,
                        audio ? std::make_unique<TZVAudioTrack>(source, audio) : nullptr);
}

TZVMedia* TZVMedia::OpenMemory(std::shared_ptr<const TZVMemorySound> pSound) {
    TZVMedia* media = new TZVMedia(L"memory", nullptr, nullptr, nullptr);
    media->aMemory = std::move(pSound);
    return media;
}

TZVMedia::TZVMedia(const wxString& pPath, std::shared_ptr<const TMediaSource> pSource,
                   std::unique_ptr<TZVVideoTrack> pVideo, std::unique_ptr<TZVAudioTrack> pAudio)
    : aFilename(pPath), aSource(std::move(pSource)), aVideo(std::move(pVideo)),
      aAudio(std::move(pAudio)) {}

TZVMedia::~TZVMedia() {
    if (aWaveform && IZVWaveformFactory::theSingleton)
        IZVWaveformFactory::theSingleton->Destroy(aWaveform);
}

double TZVMedia::GetDuration() const {
    if (aMemory)
        return aMemory->aDuration;
    if (aAudio)
        return double(aAudio->GetFrameCount()) / aAudio->GetSampleRate();
    return double(aVideo->GetImageCount()) / aVideo->GetImageRate();
}

int TZVMedia::GetWidth() const {
    return aVideo ? aVideo->GetWidth() : 0;
}

int TZVMedia::GetHeight() const {
    return aVideo ? aVideo->GetHeight() : 0;
}

TZVWaveform* TZVMedia::GetWaveform() {
    if (!aWaveform && IZVWaveformFactory::theSingleton)
        aWaveform = IZVWaveformFactory::theSingleton->Create(this);
    return aWaveform;
}

std::vector<TZVMediaProblem> TZVMedia::GetProblems() const {
    return aSource ? aSource->aLog.GetProblems() : std::vector<TZVMediaProblem>();
}

wxString TZVMedia::GetReadFailure() const {
    return aSource ? aSource->GetFailure() : wxString();
}
