// TZVAudioMediaStream: the render stream of an audio media row. Each frame plays the span of
// the medium between the row's "Seconds" at the frame and at the next frame, resampled so
// that it fills the frame: the playing speed follows the slope of "Seconds". The frame's first
// sample, where the host puts it, plays the medium where "Seconds" is at that time, fraction
// of a medium frame included, and each next one the frame's exact step on: a "Seconds" that
// runs straight over many frames plays as one pass over the medium. Where "Seconds" lies
// before the medium's start or past its end, the frame is silent there and keeps its pitch.
#pragma once

#include "DLL/Bas/BufferAllocator.h"
#include "DLL/Bas/MediaStream.h"

class IMediaAudioStream;
class TReaderAudio;

class TZVAudioMediaStream : public TZVAudioBufferStream, public TZVMediaStream {
public:
    // Takes ownership of pReader (may be null: the stream is then always silent) and puts
    // a resampler over it.
    explicit TZVAudioMediaStream(TReaderAudio* pReader);
    ~TZVAudioMediaStream() override;

    // 2 (silent) when "Seconds" does not move across the frame, lies wholly before the
    // medium's start or past its end (the type's limits) farther than the resampler's filter
    // rings from there, is not a finite number at either end, or the stream has no reader or
    // no type yet; 0 otherwise.
    int32_t SetRenderContext(const IZVRenderContext* pContext) override;
    // Reads the frame's samples, GetSampleCount frames; what the medium lacks is silence.
    void Update(const IZVRenderContext* pContext) override;

private:
    // Takes "Seconds" at the frame and the next one, not limited; false when the frame is
    // silent for them.
    bool ReadSpan(const IZVRenderContext& pContext);
    // The medium frame, with its fraction, of the frame's first sample.
    double FirstPosition(const IZVRenderContext& pContext) const;

    TReaderAudio* aReader;           // owned
    IMediaAudioStream* aAudioStream; // owned; over aReader
    double aFirstSample;             // at the medium's own rate
    double aSpan;                    // aEnd - aStart
    int aSampleCount;                // frames produced by the last Update
    double aStart;                   // "Seconds" at the frame
    double aEnd;                     // "Seconds" at the next frame
};
