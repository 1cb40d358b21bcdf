// TZVSimpleMixerVideoStream: the render stream of the video mixer row. It composes its
// sources' pictures front to back (source 0 in front) over the "Background colour", and
// recomposes only when something it showed may have changed.
#pragma once

#include "DLL/Bas/StreamBase.h"

#include <vector>

class wxRegion;

class TZVSimpleMixerVideoStream : public TZVVideoStreamBase {
public:
    TZVSimpleMixerVideoStream();
    ~TZVSimpleMixerVideoStream() override;

    // Always 0. Moves the change stamp to the context's when the picture must be composed
    // again: the first frame, a changed frame size, a source examined last time that is
    // hidden, changed, gained or lost its stream, fewer sources than were examined, or, once
    // background has shown, a changed source count or background colour; also when the last
    // change was never composed.
    int32_t SetRenderContext(const IZVRenderContext* pContext) override;
    // Composes the picture; returns at once when the picture of the last change stands.
    void Update(const IZVRenderContext* pContext) override;

    // Makes the picture use the host's pixel memory, which must have the frame size; the
    // stream never resizes it. The bitmap must not own pixels then ("!aBitmap.IsOwned()").
    void SetBitmapData(void* pData, int pWidth, int pHeight);

private:
    // True when the picture needs composing again (steps after the first-frame test).
    bool NeedsComposing(const IZVRenderContext& pContext, int pPrevious);
    // True when source pIndex, examined by the last composition, may look different now.
    bool SourceChanged(const IZVRenderContext& pContext, int pIndex) const;
    // "Background colour" for the frame, into aBackColour.
    void EvaluateBackground(const IZVRenderContext& pContext);
    // Draws source aSourceDone's picture, if it has one inside the frame, and takes what it
    // covers opaquely out of pUncovered. pFirst: nothing has been drawn yet.
    void Compose(const IZVVideoStream& pSource, wxRegion& pUncovered, bool& pFirst);
    // Shows the background through the uncovered part (pFirst: nothing was drawn).
    void DrawBackground(const IZVRenderContext& pContext, bool pFirst);

    int aSourceDone; // sources the last composition examined; -1 before the first
    uint32_t aBackColour;
    uint32_t aLastBackColour;
    bool aBackUsed;  // background has shown in some composition
    bool aBackKnown; // aBackColour is this frame's
    // The change stamp whose picture was composed; differs from aChangeStamp while a
    // change waits for its composition.
    uint32_t aComposedStamp;
    // For each source the last composition examined: whether it had a video stream.
    std::vector<bool> aHadStream;
};
