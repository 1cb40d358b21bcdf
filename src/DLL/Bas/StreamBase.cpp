#include "DLL/Bas/StreamBase.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Bas/RenderContext.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// pMask, opaque, lies over the whole of pInput: the mask is at least as large on both axes
// and its centre is displaced by at most half the difference. Worked in 64 bits, so that
// no size or offset wraps.
bool CoversInput(const IZVVideoStream& pMask, const IZVVideoStream& pInput) {
    const TBitmap* mask = pMask.GetBitmapFormat();
    const TBitmap* input = pInput.GetBitmapFormat();
    if (!mask || !input)
        return false;
    const int64_t dw = int64_t(mask->GetWidth()) - input->GetWidth();
    const int64_t dh = int64_t(mask->GetHeight()) - input->GetHeight();
    const wxPoint om = pMask.GetOffset(), oi = pInput.GetOffset();
    return dw >= 0 && dh >= 0 && 2 * std::llabs(int64_t(om.x) - oi.x) <= dw &&
           2 * std::llabs(int64_t(om.y) - oi.y) <= dh;
}

// pA - pB, limited to the int range (an offset that far out covers nothing anyway).
int OffsetBetween(int pA, int pB) {
    return SaturateToInt(int64_t(pA) - pB);
}

} // namespace

TZVVideoStream::~TZVVideoStream() = default;

bool TZVVideoStream::IsUnchanged(const IZVRenderContext* pContext) const {
    // Without a context, "changed" is the answer that makes no caller keep a stale image.
    return ZV_ASSERT(pContext != NULL) && aChangeStamp != pContext->GetStamp();
}

bool TZVVideoStream::UnchangedSince(unsigned int pStamp) const {
    return aChangeStamp != 0 && aChangeStamp <= pStamp;
}

void TZVVideoStream::FillSizeHandle(TSizeData*, const IZVRenderContext*) const {
    ZV_ASSERT(false);
}

TParamUpdate* TZVVideoStream::ComputeUpdate(const TUpdateData&) const {
    ZV_ASSERT(false);
    return nullptr;
}

TZVVideoStreamBase::~TZVVideoStreamBase() {
    aBitmap.Empty();
}

const TBitmap* TZVVideoStreamBase::GetBitmapFormat() const {
    return &aBitmap;
}

wxPoint TZVVideoStreamBase::GetSize() const {
    return aSize;
}

wxPoint TZVVideoStreamBase::GetOffset() const {
    return aOffset;
}

bool TZVVideoStreamBase::HasNoAlpha() const {
    return aNoAlpha;
}

void* TZVVideoStreamBase::GetRawData() const {
    return aBitmap.GetRawData();
}

TZVVideoFilterStream::~TZVVideoFilterStream() = default;

void TZVVideoFilterStream::SizeAsStream(const IZVVideoStream* pOther) {
    if (!ZV_ASSERT(pOther != NULL))
        return;
    aSize = pOther->GetSize();
    aOffset = pOther->GetOffset();
}

bool TZVVideoFilterStream::TestMask(const IZVRenderContext* pContext, const IZVVideoStream* pInput,
                                    bool& pMaskUnchanged) {
    pMaskUnchanged = false;
    const IZVVideoStream* mask = nullptr;
    if (ZV_ASSERT(pContext != NULL) && pContext->GetSourceCount() > 1)
        mask = MaskStream(pContext, 0);
    if (!mask) {
        aHasMask = false;
        return true;
    }
    if (mask->HasNoAlpha() && ZV_ASSERT(pInput != NULL) && CoversInput(*mask, *pInput))
        return false;
    if (pContext->IsSourceShown(1))
        pMaskUnchanged = mask->UnchangedSince(aChangeStamp);
    aHasMask = true;
    return true;
}

void TZVVideoFilterStream::ApplyMask(const IZVRenderContext* pContext, const TBitmap& pImage) {
    ZV_ASSERT(aHasMask);
    if (!ZV_ASSERT(pContext != NULL))
        return;
    const IZVVideoStream* mask = MaskStream(pContext, 1);
    if (!aHasMask || !mask || !mask->GetBitmapFormat())
        return;
    const wxPoint om = mask->GetOffset();
    aBitmap.ApplyMask(pImage, *mask->GetBitmapFormat(), OffsetBetween(om.x, aOffset.x),
                      OffsetBetween(om.y, aOffset.y));
}

const IZVVideoStream* TZVVideoFilterStream::MaskStream(const IZVRenderContext* pContext,
                                                       int pPhase) {
    const IZVRenderContext* source = pContext->GetSourceContext(1, pPhase, 0, 0.0);
    return source ? IZVVideoStream::Cast(source->GetStream()) : nullptr;
}
