// The sound the module plays: a medium's sound resampled to the rate and channels each
// frame of the project asks for.
#pragma once

#include "REDarodo/ReaderAudio.h"

#include <cstdint>

// What delivers the resampled frames.
class IMediaAudioOutput {
public:
    // Writes up to pFrames frames (signed 16-bit, interleaved when stereo) into pBuffer and
    // answers how many: fewer only where the medium ends, never below 0.
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
    // Output frames per second. Each output frame steps the medium rate / this rate medium
    // frames on, band-limited to the lower of the two rates (no alias, no image); equal rates
    // copy exactly. At 0 or less, nothing is delivered.
    virtual void SetOutputRate(int pRate) = 0;
    // The medium frame the next output starts at; frames before 0 are silence.
    virtual void Seek(int64_t pFrame) = 0;
    virtual IMediaAudioOutput* GetOutput() = 0;
    // The medium's format: its own rate and channels.
    virtual TAudioFormat GetFormat() const = 0;
};
