#include "DLL/Row/AudioMediaStream.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Row/RenderParam.h"

#include "REDarodo/MediaAudioStream.h"

#include <algorithm>
#include <cmath>

TZVAudioMediaStream::TZVAudioMediaStream(TReaderAudio* pReader)
    : aReader(pReader), aAudioStream(pReader ? IMediaAudioStream::Create(pReader) : nullptr),
      aFirstSample(0.0), aSpan(0.0), aSampleCount(0), aStart(0.0), aEnd(0.0) {}

TZVAudioMediaStream::~TZVAudioMediaStream() {
    delete aAudioStream;
    delete aReader;
}

int32_t TZVAudioMediaStream::SetRenderContext(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL) || !aAudioStream || !aType || !ReadSpan(*pContext))
        return 2;
    aSpan = aEnd - aStart;
    aFirstSample = FirstPosition(*pContext);
    return 0;
}

double TZVAudioMediaStream::FirstPosition(const IZVRenderContext& pContext) const {
    const double frames = pContext.GetFrameSampleCount();
    // The host counts the frame's first sample as floor(frame x frames) in whole numbers: a
    // product within rounding of a whole sample is that sample.
    double lead = 0.0;
    if (frames > 0 && std::isfinite(frames)) {
        const double at = double(pContext.GetFrame(0)) * frames;
        if (std::fabs(at - std::nearbyint(at)) > std::fabs(at) * 0x1p-44)
            lead = (at - std::floor(at)) / frames;
    }
    // That sample lies lead frames before the frame's time, and "Seconds" runs straight
    // across the frame: it plays the medium aSpan x lead seconds before aStart.
    return double(aAudioStream->GetFormat().aRate) * (aStart - aSpan * lead);
}

bool TZVAudioMediaStream::ReadSpan(const IZVRenderContext& pContext) {
    const IFormula* formula = NSRenderParam::FirstFormula(pContext, 0);
    const double frame = double(pContext.GetFrame(0));
    const TVariant start = NSRenderParam::ValueAt(formula, frame);
    const TVariant end = NSRenderParam::ValueAt(formula, frame + 1);
    // The frame plays the line between the values as they are: limited, the part of a frame
    // beyond the medium's start or end would stretch the rest over the whole frame, at another
    // pitch. What lies beyond is silence; the limits only tell a frame wholly beyond.
    TTypeDef unlimited(*aType);
    unlimited.aRangeCheck = false;
    aStart = unlimited.Constrain(start).GetDouble();
    aEnd = unlimited.Constrain(end).GetDouble();
    if (!std::isfinite(aStart) || !std::isfinite(aEnd))
        return false;
    if (!(aEnd > aStart))
        return aType->Constrain(start).GetDouble() != aType->Constrain(end).GetDouble();
    // Beyond the medium by less than its filter's reach, the frame holds the ringing of the
    // medium's first or last frames.
    const double rate = double(aAudioStream->GetFormat().aRate);
    const double reach =
        double(aAudioStream->GetReach(pContext.GetFrameSampleCount() / (aEnd - aStart))) / rate;
    return aType->Constrain(TVariant(aStart - reach)).GetDouble() !=
           aType->Constrain(TVariant(aEnd + reach)).GetDouble();
}

void TZVAudioMediaStream::Update(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL) || !aAudioStream)
        return;
    const bool stereo = pContext->IsStereo() != 0;
    aAudioStream->SetStereo(stereo);
    const double frames = pContext->GetFrameSampleCount();
    aAudioStream->SetOutputRate(frames / aSpan);
    aAudioStream->Seek(aFirstSample);
    aSampleCount = std::max(pContext->GetSampleCount(), 0);
    // Room for what is read, which the host may ask beyond the frame's own count.
    AllocateBuffer(std::max(double(aSampleCount), std::ceil(frames)), stereo);
    const int room = int(aBufferSize / (stereo ? 4 : 2));
    const int asked = aBuffer ? std::min(aSampleCount, room) : 0;
    const int delivered =
        asked > 0 ? aAudioStream->GetOutput()->Read(static_cast<int16_t*>(aBuffer), asked) : 0;
    ClearBuffer(std::max(delivered, 0), aSampleCount, stereo);
}
