// The sound the module plays: a medium's sound resampled to the rate and channels each
// frame of the project asks for.
#pragma once

#include "REDarodo/ReaderAudio.h"

#include <cstdint>

// What delivers the resampled frames.
class IMediaAudioOutput {
public:
    // Writes up to pFrames frames (signed 16-bit, interleaved when stereo) into pBuffer and
    // answers how many: fewer only where the medium's sound ends (after its last frame, as far
    // as the filter rings: GetReach), never below 0.
    virtual int Read(int16_t* pBuffer, int pFrames) = 0;

protected:
    virtual ~IMediaAudioOutput();
};

class IMediaAudioStream {
public:
    // A resampler over pReader, owned by the caller; it does not own the reader.
    static IMediaAudioStream* Create(TReaderAudio* pReader);
    virtual ~IMediaAudioStream();

    // Two channels out (a mono medium's one duplicated), or one (a stereo medium's two
    // averaged, rounded).
    virtual void SetStereo(bool pStereo) = 0;
    // Output frames per second, with its fraction. Each output frame steps the medium rate /
    // this rate medium frames on, band-limited to the lower of the two rates (no alias, no
    // image); equal rates on whole frames copy exactly. At 0 or less, nothing is delivered.
    // The next output stays where it is.
    virtual void SetOutputRate(double pRate) = 0;
    // Where in the medium the next output lies, in frames, with its fraction; frames before 0
    // are silence.
    virtual void Seek(double pFrame) = 0;
    virtual IMediaAudioOutput* GetOutput() = 0;
    // The medium's format: its own rate and channels.
    virtual TAudioFormat GetFormat() const = 0;
    // Medium frames before the medium's first and after its last within which outputs at pRate
    // still sound, as the band-limited filter rings from the medium's edges; 0 at the medium's
    // own rate.
    virtual int64_t GetReach(double pRate) const = 0;
};
