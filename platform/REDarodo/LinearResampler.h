// The resampler behind IMediaAudioStream: linear interpolation between the medium's
// frames, stepping from the sought position. State is only the position and a window of
// the medium's frames, so each frame of the project can seek anew without carrying filter
// state across.
#pragma once

#include "REDarodo/MediaAudioStream.h"

#include <vector>

class TLinearResampler : public IMediaAudioStream, public IMediaAudioOutput {
public:
    explicit TLinearResampler(TReaderAudio* pReader);
    ~TLinearResampler() override;

    void SetStereo(bool pStereo) override;
    void SetOutputRate(int pRate) override;
    void Seek(int64_t pFrame) override;
    IMediaAudioOutput* GetOutput() override;
    TAudioFormat GetFormat() const override;
    int Read(int16_t* pBuffer, int pFrames) override;

private:
    // Medium frame pFrame's sample of channel pChannel; 0 outside the medium.
    int Sample(int64_t pFrame, int pChannel);
    // Makes the window hold medium frame pFrame.
    void Load(int64_t pFrame);
    // Equal rates, same channels: straight from the window. Answers the frames done.
    int Copy(int16_t* pBuffer, int pFrames);
    // Output sample of channel pChannel at medium position pPosition.
    int16_t Interpolate(double pPosition, int pChannel);

    TReaderAudio* aReader;
    TAudioFormat aFormat;
    int64_t aFrames;
    bool aStereo = false;
    int aRate = 0;
    int64_t aFirst = 0;
    // Output frames delivered since the seek.
    int64_t aDone = 0;
    std::vector<int16_t> aWindow;
    int64_t aWindowStart = 0;
    int64_t aWindowEnd = 0;
};
