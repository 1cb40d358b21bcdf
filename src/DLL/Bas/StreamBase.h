// The video stream bases: TZVVideoStream (change tracking and the defaults of a stream
// without size handles), TZVVideoStreamBase (a stream that owns its frame bitmap) and
// TZVVideoFilterStream (a filter's stream, masked by the filter row's mask source).
#pragma once

#include "DLL/Bas/StreamInt.h"

#include "REDarodo/Bitmap.h"

class TZVVideoStream : public IZVVideoStream {
public:
    TZVVideoStream() : aChangeStamp(0) {}
    ~TZVVideoStream() override;

    // True when the change stamp differs from pContext's stamp (the image did not change in
    // that frame); false, with a report, for a null context.
    bool IsUnchanged(const IZVRenderContext* pContext) const override;
    bool UnchangedSince(unsigned int pStamp) const override;
    // The stream has no size handle: reported ("false"), nothing filled.
    void FillSizeHandle(TSizeData* pData, const IZVRenderContext* pContext) const override;
    // The stream has no size handle: reported ("false"), null.
    TParamUpdate* ComputeUpdate(const TUpdateData& pData) const override;

protected:
    // The render context's stamp of the frame in which the image last changed; 0 = never.
    uint32_t aChangeStamp;
};

class TZVVideoStreamBase : public TZVVideoStream {
public:
    TZVVideoStreamBase() : aSize(0, 0), aOffset(0, 0), aNoAlpha(false) {}
    // Frees the bitmap's pixels.
    ~TZVVideoStreamBase() override;

    // aBitmap itself: the bitmap is its own format.
    const TBitmap* GetBitmapFormat() const override;
    wxPoint GetSize() const override;
    wxPoint GetOffset() const override;
    bool HasNoAlpha() const override;
    // aBitmap's pixels, for the host.
    virtual void* GetRawData() const;

protected:
    // The frame; derived streams keep its width and height equal to aSize.
    TAllocBitmap aBitmap;
    wxPoint aSize;
    wxPoint aOffset;
    bool aNoAlpha;
};

class TZVVideoFilterStream : public TZVVideoStreamBase {
public:
    TZVVideoFilterStream() : aHasMask(false) {}
    ~TZVVideoFilterStream() override;

    // Takes pOther's size and offset: the filter's frame covers its input's.
    void SizeAsStream(const IZVVideoStream* pOther);
    // Decides whether the frame is to be masked by the mask source (source 1) and sets
    // aHasMask. False only when an opaque mask covers the whole input (aHasMask then stays
    // as it was); true otherwise, with aHasMask false when there is no mask to apply.
    // pMaskUnchanged: true when the frame is masked by a shown mask source whose image did
    // not change since this stream's last change; false on every other path.
    bool TestMask(const IZVRenderContext* pContext, const IZVVideoStream* pInput,
                  bool& pMaskUnchanged);
    // When aHasMask: aBitmap becomes pImage scaled by the mask source's alpha, the mask
    // placed at its offset relative to this stream's. Without a mask video stream the
    // bitmap is left as it is.
    void ApplyMask(const IZVRenderContext* pContext, const TBitmap& pImage);

protected:
    // The frame is to be masked by the filter row's mask source.
    bool aHasMask;

private:
    // The mask source's video stream, from the sub-context of source 1 taken with pPhase;
    // null when there is none.
    static const IZVVideoStream* MaskStream(const IZVRenderContext* pContext, int pPhase);
};
