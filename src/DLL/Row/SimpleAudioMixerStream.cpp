#include "DLL/Row/SimpleAudioMixerStream.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Row/RenderParam.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// ln(10) / 20: a level in dB times this is the natural log of the gain.
const double DB_TO_LOG = 0.11512925464970229;

// The audio stream of pSource, or null.
const IZVAudioStream* AudioStreamOf(const IZVRenderContext* pSource) {
    return pSource ? IZVAudioStream::Cast(pSource->GetStream()) : nullptr;
}

// Sums of this many sources of 16-bit samples fit 32 bits.
const size_t SOURCES_PER_INT32 = 65536;

// A mixed value times its gain as a sample: clamped to 16 bits, through float, halves away
// from zero; a product that is no number is silence. The float plus or minus a half is exact
// in double, and the conversion truncates.
inline int16_t ToSample(double pProduct) {
    double product = pProduct == pProduct ? pProduct : 0.0;
    product = product > 32767.0 ? 32767.0 : product;
    product = product < -32768.0 ? -32768.0 : product;
    const float value = float(product);
    return int16_t(int(double(value) + (value < 0.0f ? -0.5 : 0.5)));
}

} // namespace

TZVSimpleAudioMixerStream::TZVSimpleAudioMixerStream()
    : aSourceCount(0), aSampleCount(0), aBlockCount(0), aGainStep(0.0) {}

TZVSimpleAudioMixerStream::~TZVSimpleAudioMixerStream() = default;

const TTypeDef& TZVSimpleAudioMixerStream::GainType() {
    static const TTypeDef theType = [] {
        TTypeDef type(paramTypeREAL);
        type.aDefault = 0.0;
        type.aMin = -100.0;
        type.aMax = 50.0;
        return type;
    }();
    return theType;
}

float TZVSimpleAudioMixerStream::GainAt(const IFormula* pFormula, double pTime) {
    const double level = GainType().Constrain(NSRenderParam::ValueAt(pFormula, pTime)).GetDouble();
    const double gain = std::exp(level * DB_TO_LOG);
    // Beyond the float range the conversion would be undefined; infinity clamps alike.
    return gain > std::numeric_limits<float>::max() ? std::numeric_limits<float>::infinity()
                                                    : float(gain);
}

int32_t TZVSimpleAudioMixerStream::SetRenderContext(const IZVRenderContext* pContext) {
    aSourceCount = 0;
    if (!ZV_ASSERT(pContext != NULL))
        return 2;
    NSRenderParam::CheckParamCount(
        *pContext, 1, "pContext->GetParamCount() == TZVSimpleAudioMixerRow::paramTOTAL");
    const IFormula* formula = NSRenderParam::FirstFormula(*pContext, 0);
    const long frame = pContext->GetFrame(0);
    const TVariant level = NSRenderParam::ValueAt(formula, double(frame));
    if (level.IsUndefined())
        return 2;
    if (level.GetDouble() < -90.0 && formula->IsFlatFormula(frame))
        return 2;
    const int stereo = pContext->IsStereo();
    const double frames = pContext->GetFrameSampleCount();
    for (int i = 0, count = pContext->GetSourceCount(); i < count; ++i)
        if (AudioStreamOf(pContext->GetSourceContext(i, 0, stereo, frames)))
            ++aSourceCount;
    return aSourceCount == 0 ? 2 : 0;
}

void TZVSimpleAudioMixerStream::Update(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return;
    const long frame = pContext->GetFrame(0);
    const double frames = pContext->GetFrameSampleCount();
    const bool stereo = pContext->IsStereo() != 0;
    const int count = std::max(pContext->GetSampleCount(), 0);
    // The host may ask more frames than the frame has: room and gains for the larger.
    const double larger = std::max(double(count), std::ceil(frames));
    AllocateBuffer(larger, stereo);
    const int64_t room = aBuffer ? aBufferSize / (stereo ? 4 : 2) : 0;
    aSampleCount = int(std::min<int64_t>(count, room));
    aBlockCount = unsigned(std::ceil(std::min(larger, double(room)) * 0.03125));
    aGainStep = 32.0 / (frames > 0.0 ? frames : double(count));
    FillGains(NSRenderParam::FirstFormula(*pContext, 0), frame);
    const int channels = stereo ? 2 : 1;
    CollectSources(*pContext, int64_t(aSampleCount) * channels);
    Mix(int64_t(aSampleCount) * channels, 32 * channels);
}

void TZVSimpleAudioMixerStream::FillGains(const IFormula* pFormula, long pFrame) {
    if (aGainTab.size() < aBlockCount)
        aGainTab.resize(aBlockCount);
    if (!pFormula || pFormula->IsFlatFormula(pFrame)) {
        std::fill_n(aGainTab.begin(), aBlockCount, GainAt(pFormula, double(pFrame)));
        return;
    }
    // Added up block by block, so that each gain is taken where its block starts.
    double time = double(pFrame);
    for (unsigned block = 0; block < aBlockCount; ++block, time += aGainStep)
        aGainTab[block] = GainAt(pFormula, time);
}

void TZVSimpleAudioMixerStream::CollectSources(const IZVRenderContext& pContext, int64_t pValues) {
    aSources.clear();
    int found = 0;
    for (int i = 0, count = pContext.GetSourceCount(); i < count && found < aSourceCount; ++i) {
        const IZVAudioStream* stream = AudioStreamOf(pContext.GetSourceContext(i, 1, 0, 0.0));
        if (!stream)
            continue;
        ++found;
        int64_t length = pValues;
        // A source that keeps its samples in a buffer of its own is never read past it.
        if (const TBufferAllocator* buffer = dynamic_cast<const TBufferAllocator*>(stream))
            length = std::min<int64_t>(length, buffer->GetBufferSize() / 2);
        if (stream->GetAudioData() && length > 0)
            aSources.push_back({stream->GetAudioData(), length});
    }
}

void TZVSimpleAudioMixerStream::Mix(int64_t pValues, int pPerBlock) {
    // Summed source by source in 32 bits, as many sources as cannot overflow at a time, and
    // carried into doubles, which hold any sum of int-many sources exactly.
    aTotals.assign(size_t(pValues), 0.0);
    for (size_t first = 0; first < aSources.size(); first += SOURCES_PER_INT32) {
        aSums.assign(size_t(pValues), 0);
        const size_t last = std::min(aSources.size(), first + SOURCES_PER_INT32);
        for (size_t k = first; k < last; ++k) {
            const int16_t* data = aSources[k].aData;
            for (int64_t i = 0, length = aSources[k].aLength; i < length; ++i)
                aSums[size_t(i)] += data[i];
        }
        for (int64_t i = 0; i < pValues; ++i)
            aTotals[size_t(i)] += aSums[size_t(i)];
    }
    int16_t* out = static_cast<int16_t*>(aBuffer);
    for (int64_t start = 0, block = 0; start < pValues; start += pPerBlock, ++block) {
        const double gain = aGainTab[size_t(block)];
        for (int64_t i = start, end = std::min(pValues, start + pPerBlock); i < end; ++i)
            out[i] = ToSample(aTotals[size_t(i)] * gain);
    }
}
