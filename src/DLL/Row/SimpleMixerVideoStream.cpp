#include "DLL/Row/SimpleMixerVideoStream.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Row/RenderParam.h"

#include <wx/region.h>

#include <algorithm>

namespace {

// The video stream of source pIndex's sub-context taken in pPhase, or null.
const IZVVideoStream* SourceStream(const IZVRenderContext& pContext, int pIndex, int pPhase) {
    const IZVRenderContext* source = pContext.GetSourceContext(pIndex, pPhase, 0, 0.0);
    return source ? IZVVideoStream::Cast(source->GetStream()) : nullptr;
}

// Where a source picture lands in the frame: centred, moved by its offset, clipped.
struct TPlacement {
    int64_t aX, aY, aSrcX, aSrcY, aWidth, aHeight;
};

// Places pSource in a pFrameWidth x pFrameHeight frame; the halves of odd differences are
// truncated toward zero. Worked in 64 bits, so that no size or offset wraps.
TPlacement Place(const TBitmap& pSource, wxPoint pOffset, int pFrameWidth, int pFrameHeight) {
    TPlacement place = {(int64_t(pFrameWidth) - pSource.GetWidth()) / 2 + pOffset.x,
                        (int64_t(pFrameHeight) - pSource.GetHeight()) / 2 + pOffset.y,
                        0,
                        0,
                        pSource.GetWidth(),
                        pSource.GetHeight()};
    if (place.aX < 0) {
        place.aSrcX = -place.aX;
        place.aWidth -= place.aSrcX;
        place.aX = 0;
    }
    if (place.aY < 0) {
        place.aSrcY = -place.aY;
        place.aHeight -= place.aSrcY;
        place.aY = 0;
    }
    place.aWidth = std::min(place.aWidth, pFrameWidth - place.aX);
    place.aHeight = std::min(place.aHeight, pFrameHeight - place.aY);
    return place;
}

} // namespace

TZVSimpleMixerVideoStream::TZVSimpleMixerVideoStream()
    : aSourceDone(-1), aBackColour(0), aLastBackColour(0), aBackUsed(false), aBackKnown(false),
      aComposedStamp(0) {
    aNoAlpha = true;
}

TZVSimpleMixerVideoStream::~TZVSimpleMixerVideoStream() = default;

int32_t TZVSimpleMixerVideoStream::SetRenderContext(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return 0;
    NSRenderParam::CheckParamCount(*pContext, 4,
                                   "pContext->GetParamCount() == TZVMainVideoMixerRow::paramTOTAL");
    aBackKnown = false;
    const int previous = aSourceDone;
    aSourceDone = 0;
    const int width = pContext->GetWidth(), height = pContext->GetHeight();
    // The size the bitmap takes: none at all when either side is below 1.
    aSize = width < 1 || height < 1 ? wxPoint(0, 0) : wxPoint(width, height);
    if (aChangeStamp != 0 && aComposedStamp == aChangeStamp &&
        !NeedsComposing(*pContext, previous)) {
        // The host may skip Update now: the count must stay that of the picture shown.
        aSourceDone = previous;
        return 0;
    }
    if (aBitmap.IsOwned() || !aBitmap.GetRawData())
        aBitmap.Resize(aSize.x, aSize.y);
    aChangeStamp = pContext->GetStamp();
    return 0;
}

bool TZVSimpleMixerVideoStream::NeedsComposing(const IZVRenderContext& pContext, int pPrevious) {
    if (aBackUsed)
        EvaluateBackground(pContext);
    if (aSize != wxPoint(aBitmap.GetWidth(), aBitmap.GetHeight()))
        return true;
    const int count = pContext.GetSourceCount();
    if (pPrevious > count)
        return true;
    for (int i = 0; i < pPrevious; ++i)
        if (SourceChanged(pContext, i))
            return true;
    return aBackUsed && (count != pPrevious || aLastBackColour != aBackColour);
}

bool TZVSimpleMixerVideoStream::SourceChanged(const IZVRenderContext& pContext, int pIndex) const {
    const IZVVideoStream* stream = SourceStream(pContext, pIndex, 0);
    if (!pContext.IsSourceShown(pIndex))
        return true;
    const bool hadStream = size_t(pIndex) < aHadStream.size() && aHadStream[pIndex];
    if ((stream != nullptr) != hadStream)
        return true;
    return stream && !stream->UnchangedSince(aChangeStamp);
}

void TZVSimpleMixerVideoStream::EvaluateBackground(const IZVRenderContext& pContext) {
    const TVariant value = COLOR_PARAM_TYPE().Constrain(NSRenderParam::FirstValue(pContext, 1));
    const int colour = value.IsNumeric() ? RoundToInt(value.GetDouble(), roundHALF_AWAY) : 0;
    aBackColour = uint32_t(std::clamp(colour, 0, 0xFFFFFF));
    aBackKnown = true;
}

void TZVSimpleMixerVideoStream::Update(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return;
    if (aChangeStamp != pContext->GetStamp() && aComposedStamp == aChangeStamp)
        return;
    ZV_ASSERT((aBitmap.GetWidth() == aSize.x) && (aBitmap.GetHeight() == aSize.y));
    aComposedStamp = aChangeStamp;
    aHadStream.clear();
    aSourceDone = 0;
    if (!aBitmap.Allocate())
        return;
    const int count = pContext->GetSourceCount();
    wxRegion uncovered(0, 0, aBitmap.GetWidth(), aBitmap.GetHeight());
    bool first = true;
    for (; !uncovered.IsEmpty() && aSourceDone < count; ++aSourceDone) {
        const IZVVideoStream* stream = SourceStream(*pContext, aSourceDone, 1);
        aHadStream.push_back(stream != nullptr);
        if (stream)
            Compose(*stream, uncovered, first);
    }
    if (!uncovered.IsEmpty())
        DrawBackground(*pContext, first);
}

void TZVSimpleMixerVideoStream::Compose(const IZVVideoStream& pSource, wxRegion& pUncovered,
                                        bool& pFirst) {
    const TBitmap* bitmap = pSource.GetBitmapFormat();
    if (!bitmap)
        return;
    const TPlacement place =
        Place(*bitmap, pSource.GetOffset(), aBitmap.GetWidth(), aBitmap.GetHeight());
    if (place.aWidth <= 0 || place.aHeight <= 0)
        return;
    // Inside the frame now, so every figure fits an int.
    const int x = int(place.aX), y = int(place.aY), w = int(place.aWidth), h = int(place.aHeight);
    const int sx = int(place.aSrcX), sy = int(place.aSrcY);
    const wxRect rect(x, y, w, h);
    if (pSource.HasNoAlpha())
        pUncovered.Subtract(rect);
    if (!pFirst) {
        aBitmap.Blend(x, y, *bitmap, sx, sy, w, h);
        return;
    }
    // The front picture is copied; what lies outside it is cleared, so that the pictures
    // behind and the background are laid under a clean frame.
    wxRegion outside(pUncovered);
    if (!pSource.HasNoAlpha())
        outside.Subtract(rect);
    aBitmap.BitBlt(x, y, *bitmap, sx, sy, w, h);
    for (wxRegionIterator part(outside); part; ++part)
        aBitmap.FillRectangle(part.GetX(), part.GetY(), part.GetW(), part.GetH(), 0);
    pFirst = false;
}

void TZVSimpleMixerVideoStream::DrawBackground(const IZVRenderContext& pContext, bool pFirst) {
    if (!aBackKnown)
        EvaluateBackground(pContext);
    aBackUsed = true;
    if (pFirst)
        aBitmap.FillRectangle(0, 0, aBitmap.GetWidth(), aBitmap.GetHeight(), aBackColour);
    // A fill of colour 0 clears to transparent: black must be laid behind to be opaque.
    if (!pFirst || aBackColour == 0)
        aBitmap.BlendBackground(aBackColour);
    aLastBackColour = aBackColour;
}

void TZVSimpleMixerVideoStream::SetBitmapData(void* pData, int pWidth, int pHeight) {
    ZV_ASSERT(!aBitmap.IsOwned());
    aBitmap.LoadDIB(pData, pWidth, pHeight);
    // New memory holds no composition yet.
    aComposedStamp = 0;
}
