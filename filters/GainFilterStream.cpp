#include "GainFilterStream.h"

#include "ALL/Assert.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"
#include "GainFilterRow.h"

#include <algorithm>
#include <cmath>

namespace {

// The audio stream of source 0 taken in pPhase, or null.
const IZVAudioStream* Input(const IZVRenderContext& pContext, int pPhase) {
    const IZVRenderContext* source =
        pContext.GetSourceCount() > 0
            ? pContext.GetSourceContext(0, pPhase, pPhase ? 0 : pContext.IsStereo(),
                                        pPhase ? 0.0 : pContext.GetFrameSampleCount())
            : nullptr;
    return source ? IZVAudioStream::Cast(source->GetStream()) : nullptr;
}

} // namespace

TZVGainFilterStream::TZVGainFilterStream() : aGain(1.0) {}

TZVGainFilterStream::~TZVGainFilterStream() = default;

int32_t TZVGainFilterStream::SetRenderContext(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL) || !Input(*pContext, 0))
        return 2;
    IFormula* const* formulas = pContext->GetParams(0, 0);
    const TVariant level = TZVGainFilterRow::Control().aTypeDef.Constrain(
        formulas && formulas[0] ? formulas[0]->ComputePointAt(double(pContext->GetFrame(0)))
                                : TVariant());
    // Taken as a float, as the mixer takes its gain: -6.0206 dB is then exactly a half.
    aGain = level.IsNumeric() ? float(std::pow(10.0, level.GetDouble() / 20.0)) : 1.0;
    return 0;
}

void TZVGainFilterStream::Update(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return;
    const bool stereo = pContext->IsStereo() != 0;
    const int count = std::max(pContext->GetSampleCount(), 0);
    AllocateBuffer(std::max(double(count), std::ceil(pContext->GetFrameSampleCount())), stereo);
    const int64_t values = std::min<int64_t>(int64_t(count) * (stereo ? 2 : 1), aBufferSize / 2);
    const IZVAudioStream* input = Input(*pContext, 1);
    const int16_t* data = input ? input->GetAudioData() : nullptr;
    const TBufferAllocator* buffer = dynamic_cast<const TBufferAllocator*>(input);
    const int64_t available =
        data ? (buffer ? std::min<int64_t>(values, buffer->GetBufferSize() / 2) : values) : 0;
    int16_t* out = static_cast<int16_t*>(aBuffer);
    for (int64_t i = 0; i < values; ++i)
        out[i] =
            i < available ? int16_t(std::clamp(std::round(data[i] * aGain), -32768.0, 32767.0)) : 0;
}
