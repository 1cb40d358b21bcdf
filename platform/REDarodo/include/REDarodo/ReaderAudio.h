// Reads a sound track as signed 16-bit frames, channels interleaved, at the track's own
// rate: one or two channels (more are mixed to two).
#pragma once

#include <cstdint>
#include <memory>

struct TAudioIndex;
struct TMediaSource;

// The format the reader delivers.
struct TAudioFormat {
    int aRate;
    int aChannels;
};

class TReaderAudio {
public:
    TReaderAudio(std::shared_ptr<const TMediaSource> pSource,
                 std::shared_ptr<const TAudioIndex> pIndex);
    virtual ~TReaderAudio();
    TReaderAudio(const TReaderAudio&) = delete;
    TReaderAudio& operator=(const TReaderAudio&) = delete;

    TAudioFormat GetFormat() const;
    // Frames of the whole track.
    int64_t GetFrameCount() const;
    // Frame the next Read starts with.
    int64_t GetPosition() const;
    // Moves to frame pFrame (limited to the track). Frames read after it are those that one
    // decode from the start gives there, without the priming and padding that lossy encoders
    // add; a lossy decoder starts a second before, so that its state is the same (exactly so
    // for codecs whose state settles within it).
    void Seek(int64_t pFrame);
    // Reads up to pFrames frames into pBuffer and answers how many: fewer only at the end of
    // the track. What cannot be decoded reads as silence; sound lost to a file that could not
    // be read is the medium's read failure (TZVMedia::GetReadFailure) once it is read.
    int Read(int16_t* pBuffer, int pFrames);
    // Reads as Read does, ahead of what is played: sound lost among the frames read is the
    // medium's read failure only once SayLossBefore reaches it.
    int ReadAhead(int16_t* pBuffer, int pFrames);
    // Frames before pEnd are played: sound lost among them is the medium's read failure.
    void SayLossBefore(int64_t pEnd);

private:
    struct TState;
    std::unique_ptr<TState> aState;
};
