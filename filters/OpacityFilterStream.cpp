#include "OpacityFilterStream.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"

#include <cstring>

namespace {

// The video stream of source 0 taken in pPhase, or null.
const IZVVideoStream* Input(const IZVRenderContext& pContext, int pPhase) {
    const IZVRenderContext* source =
        pContext.GetSourceCount() > 0 ? pContext.GetSourceContext(0, pPhase, 0, 0.0) : nullptr;
    return source ? IZVVideoStream::Cast(source->GetStream()) : nullptr;
}

} // namespace

TZVOpacityFilterStream::TZVOpacityFilterStream() : aOpacity(255), aMasked(false) {}

TZVOpacityFilterStream::~TZVOpacityFilterStream() = default;

int32_t TZVOpacityFilterStream::SetRenderContext(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return 4;
    const IZVVideoStream* input = Input(*pContext, 0);
    if (!input)
        return 4;
    IFormula* const* formulas = pContext->GetParams(0, 1);
    const TVariant value = REAL_0_100_D100_CLAMP_PARAM_TYPE().Constrain(
        formulas && formulas[0] ? formulas[0]->ComputePointAt(double(pContext->GetFrame(1)))
                                : TVariant());
    aOpacity = value.IsNumeric() ? RoundToInt(value.GetDouble() * 2.55, roundHALF_AWAY) : 255;
    if (aOpacity < 0 || aOpacity > 255)
        aOpacity = 255;
    SizeAsStream(input);
    bool maskUnchanged = false;
    aMasked = TestMask(pContext, input, maskUnchanged) && aHasMask;
    aNoAlpha = input->HasNoAlpha() && aOpacity == 255 && !aMasked;
    aChangeStamp = pContext->GetStamp();
    return 0;
}

void TZVOpacityFilterStream::Update(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return;
    const IZVVideoStream* input = Input(*pContext, 1);
    const TBitmap* image = input ? input->GetBitmapFormat() : nullptr;
    if (!image)
        return;
    aBitmap.Resize(image->GetWidth(), image->GetHeight());
    if (!aBitmap.Allocate())
        return;
    aBitmap.BitBlt(0, 0, *image, 0, 0, image->GetWidth(), image->GetHeight());
    // Premultiplied: every byte, alpha included, scales alike.
    uint8_t* bytes = static_cast<uint8_t*>(aBitmap.GetRawData());
    for (long i = 0, count = aBitmap.GetRowBytes() * aBitmap.GetHeight(); i < count; ++i)
        bytes[i] = uint8_t((bytes[i] * aOpacity + 127) / 255);
    if (aMasked)
        ApplyMask(pContext, aBitmap);
}
