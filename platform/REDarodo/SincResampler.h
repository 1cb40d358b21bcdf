// The resampler behind IMediaAudioStream: band-limited interpolation between the medium's
// frames (TSincKernel), each output at an exact position from the sought one. State is only
// the position and a window of the medium's frames, so each frame of the project can seek anew
// and gives the same samples in any order.
//
// Positions count medium frames and phases of a grid: at a whole output rate, the phases
// of the rates' reduced ratio (split further, so that a position between them is kept too), and
// outputs on them take weights of their own; at any other rate 2^32 phases, and weights
// interpolated between those of fixed phases.
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
    void SetOutputRate(double pRate) override;
    void Seek(double pFrame) override;
    IMediaAudioOutput* GetOutput() override;
    TAudioFormat GetFormat() const override;
    int64_t GetReach(double pRate) const override;
    int Read(int16_t* pBuffer, int pFrames) override;

private:
    // The channels the window holds: the medium's two for stereo output, else one (a stereo
    // medium's two averaged).
    int Planes() const;
    // Makes the window hold medium frames pFrom to pTo - 1 (at most aWindowFrames).
    void Hold(int64_t pFrom, int64_t pTo);
    // Reads medium frames pFrom to pTo - 1 into the window from its frame pAt on; silence
    // outside the medium.
    void Fill(int64_t pFrom, int64_t pTo, int64_t pAt);
    // Sets the grid, the step, the kernel and the position of the next output from the rate
    // and the sought position.
    void Place();
    // Places the next output at pFrame on the grid of pPhases phases, a grid phase pSpacing
    // apart: at the nearest of the pPhases when pFrame lies that near (within what rounding
    // of times in seconds leaves), else at the nearest grid phase.
    void PlaceAt(double pFrame, int64_t pPhases, int64_t pSpacing);
    // Equal rates on whole frames, same channels: straight from the reader. Answers the frames
    // done.
    int Copy(int16_t* pBuffer, int pFrames);
    // Through the kernel; answers the frames done.
    int Filter(int16_t* pBuffer, int pFrames);
    // The same with tPlanes planes in the window, the weights interpolated (tBlended) or the
    // kernel's own.
    template <int tPlanes, bool tBlended>
    int FilterWith(int16_t* pBuffer, int pFrames);

    TReaderAudio* aReader;
    TAudioFormat aFormat;
    int64_t aFrames;
    bool aStereo = false;
    double aRate = 0;
    double aSought = 0;
    // The grid, the step and the position follow the rate and the sought position.
    bool aPlaced = false;
    // Phases a medium frame, and those an output steps on.
    int64_t aGrid = 1;
    int64_t aStep = 0;
    // The next output: aPhase / aGrid past medium frame aFrame.
    int64_t aFrame = 0;
    int64_t aPhase = 0;
    // The outputs lie on the kernel's own phases, one every aSpacing grid phases.
    bool aOnPhases = false;
    // Medium frames past the last one that outputs still weigh: none when each output is its
    // medium frame.
    int64_t aRinging = 0;
    int64_t aSpacing = 1;
    // The filter for the rate, kept while the rate keeps its band and phases.
    std::unique_ptr<TSincKernel> aKernel;
    // Medium frames aWindowStart to aWindowEnd - 1, each plane aWindowFrames long: twice the
    // filter's length, 8,192 at least.
    std::vector<float> aWindow;
    int aWindowFrames = 0;
    int aWindowPlanes = 0;
    int64_t aWindowStart = 0;
    int64_t aWindowEnd = 0;
    std::vector<int16_t> aRead;
};
