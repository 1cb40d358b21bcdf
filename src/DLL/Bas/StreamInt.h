// The render-stream interfaces. Rendering pulls one frame at a time out of a tree of
// reference-counted streams: for each frame the host calls SetRenderContext and then, when
// that answered 0, Update on every stream, sources before the streams that use them; the
// data queries then read what Update produced.
#pragma once

#include "ALL/RefCount.h"

#include <wx/gdicmn.h>

#include <cstdint>

class IZVRenderContext;
class TBitmap;
class TParamUpdate;
class TSizeData;

class IZVRenderStream : public TRefCounted {
public:
    ~IZVRenderStream() override;

    // Prepares the stream for the frame pContext describes. 0: the stream has output for
    // it; another code: it has none (2 silent sound, 4 no picture) and Update is not called.
    virtual int32_t SetRenderContext(const IZVRenderContext* pContext) = 0;
    // Produces the frame prepared by the last SetRenderContext.
    virtual void Update(const IZVRenderContext* pContext) = 0;
};

class IZVAudioStream : public IZVRenderStream {
public:
    ~IZVAudioStream() override;

    // The frame's samples: signed 16-bit, channels interleaved when stereo.
    virtual const int16_t* GetAudioData() const = 0;

    // pStream as an audio stream; null for null, and null with a report for a stream of
    // another kind.
    static IZVAudioStream* Cast(IZVRenderStream* pStream);
};

class IZVVideoStream : public IZVRenderStream {
public:
    // What a size-handle drag passes to ComputeUpdate (defined with the size handles).
    struct TUpdateData;

    ~IZVVideoStream() override;

    // The frame's bitmap, which also tells its format (width, height).
    virtual const TBitmap* GetBitmapFormat() const = 0;
    // The frame size: x the width, y the height.
    virtual wxPoint GetSize() const = 0;
    // The frame's position.
    virtual wxPoint GetOffset() const = 0;
    // True when every pixel of the frame is opaque.
    virtual bool HasNoAlpha() const = 0;
    // True when the image did not change in the frame of pContext.
    virtual bool IsUnchanged(const IZVRenderContext* pContext) const = 0;
    // True when the image last changed in the pass of stamp pStamp or before it; false when
    // it never has.
    virtual bool UnchangedSince(unsigned int pStamp) const = 0;
    // Fills the size-handle record of the stream's geometry parameters.
    virtual void FillSizeHandle(TSizeData* pData, const IZVRenderContext* pContext) const = 0;
    // Turns a size-handle drag into new parameter values: an array made with new[] that the
    // caller deletes, or null when nothing changes.
    virtual TParamUpdate* ComputeUpdate(const TUpdateData& pData) const = 0;

    // pStream as a video stream; null for null, and null with a report for a stream of
    // another kind.
    static IZVVideoStream* Cast(IZVRenderStream* pStream);
};
