// The resampler behind IMediaAudioStream: band-limited interpolation between the medium's
// frames (TSincKernel), each output at an exact position from the sought frame. State is only
// the position and a window of the medium's frames, so each frame of the project can seek anew
// and gives the same samples in any order.
//
// Written here rather than over libswresample, libsoxr or libsamplerate: those keep their
// position as state and start every conversion at their first input frame, so an output that
// starts between two frames at a rate that follows the playing speed (47,953 frames a second
// from 44,100 steps 44,100 / 47,953 frames) could only be reproduced by running them over as
// many frames as the reduced ratio's numerator before each frame of the project.
#pragma once

#include "REDarodo/MediaAudioStream.h"

#include "SincKernel.h"

#include <memory>
#include <vector>

class TSincResampler : public IMediaAudioStream, public IMediaAudioOutput {
public:
    explicit TSincResampler(TReaderAudio* pReader);
    ~TSincResampler() override;

    void SetStereo(bool pStereo) override;
    void SetOutputRate(int pRate) override;
    void Seek(int64_t pFrame) override;
    IMediaAudioOutput* GetOutput() override;
    TAudioFormat GetFormat() const override;
    int Read(int16_t* pBuffer, int pFrames) override;

private:
    // The channels the window holds: the medium's two for stereo output, else one (a stereo
    // medium's two averaged).
    int Planes() const;
    // Makes the window hold medium frames pFrom to pTo - 1 (at most theWindowFrames).
    void Hold(int64_t pFrom, int64_t pTo);
    // Reads medium frames pFrom to pTo - 1 into the window from its frame pAt on; silence
    // outside the medium.
    void Fill(int64_t pFrom, int64_t pTo, int64_t pAt);
    // Equal rates, same channels: straight from the reader. Answers the frames done.
    int Copy(int16_t* pBuffer, int pFrames);
    // Through the kernel; answers the frames done.
    int Filter(int16_t* pBuffer, int pFrames);

    TReaderAudio* aReader;
    TAudioFormat aFormat;
    int64_t aFrames;
    bool aStereo = false;
    int aRate = 0;
    int64_t aFirst = 0;
    // Output frames delivered since the seek.
    int64_t aDone = 0;
    // The filter for aRate, made on first use at that rate.
    std::unique_ptr<TSincKernel> aKernel;
    // Medium frames aWindowStart to aWindowEnd - 1, each plane theWindowFrames long.
    std::vector<float> aWindow;
    int aWindowPlanes = 0;
    int64_t aWindowStart = 0;
    int64_t aWindowEnd = 0;
    std::vector<int16_t> aRead;
};
