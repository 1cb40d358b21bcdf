// Drives the main render streams (both mixers, both media streams) through a render context
// the input makes up: source counts that change between SetRenderContext and Update, sample
// counts above the frame's, null and wrong-kind streams, short source buffers, values that
// are NaN, texts, huge or missing. No crash, no undefined behaviour, no access past a
// buffer: every sample and pixel produced is read back.
#include "FuzzInput.h"

#include "DLL/Row/AudioMediaStream.h"
#include "DLL/Row/SimpleAudioMixerStream.h"
#include "DLL/Row/SimpleMixerVideoStream.h"
#include "DLL/Row/VideoMediaStream.h"

#include "ALL/TypeDef.h"
#include "REDarodo/Media.h"
#include "support/FakeRenderContext.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

const TExpectedAsserts theExpected{
    "pContext->GetParamCount() == TZVMediaSourceRow::paramTOTAL",
    "pContext->GetParamCount() == TZVMainVideoMixerRow::paramTOTAL",
    "pContext->GetParamCount() == TZVSimpleAudioMixerRow::paramTOTAL",
    "dynamic_cast<IZVVideoStream*>(pStream) returned NULL",
    "dynamic_cast<IZVAudioStream *>(pStream) returned NULL"};

// A reader of the given count of images, all of one size, filled with one byte.
class TFuzzReader : public IReaderVideo {
public:
    TFuzzReader(long pCount, int pWidth, int pHeight)
        : aCount(pCount), aPixels(size_t(pWidth) * pHeight, 0x80402010u),
          aImage(aPixels.data(), pWidth, pHeight) {}
    const TBitmap& GetImage(long pImage) override {
        Require(pImage >= 0 && pImage < aCount);
        return aImage;
    }
    TImageFormat GetFormat() const override { return {aImage.GetWidth(), aImage.GetHeight()}; }
    bool HasAlpha() const override { return true; }
    long GetImageCount() const override { return aCount; }

private:
    long aCount;
    std::vector<uint32_t> aPixels;
    TBitmap aImage;
};

// A parameter value the input chooses: a number, NaN, a text, undefined, huge, or a line.
TFakeValueFormula Formula(TFuzzInput& pInput) {
    const double a = pInput.Take<float>(), b = pInput.Take<float>();
    switch (pInput.Byte() % 7) {
    case 0:
        return TFakeValueFormula::Constant(a);
    case 1:
        return TFakeValueFormula::Constant(std::numeric_limits<double>::quiet_NaN());
    case 2:
        return TFakeValueFormula::Constant(TVariant(wxString("text")));
    case 3:
        return TFakeValueFormula::Constant(TVariant());
    case 4:
        return TFakeValueFormula::Line(a * 1e300, b);
    case 5:
        return TFakeValueFormula::Line(a, b * 1e-300);
    default:
        return TFakeValueFormula::Line(a, b);
    }
}

double FrameSampleCount(TFuzzInput& pInput) {
    const double counts[] = {0.0,   -3.0,   0.5,
                             100.0, 1920.0, std::numeric_limits<double>::quiet_NaN()};
    return pInput.Byte() < 128 ? pInput.Pick(counts) : double(pInput.Take<uint16_t>() % 5000) / 2;
}

// The sources: null, video or audio streams of sizes the input gives.
struct TSources {
    std::vector<std::unique_ptr<TFakeVideoStream>> aVideo;
    std::vector<std::unique_ptr<TFakeAudioStream>> aAudio;

    IZVRenderStream* Make(TFuzzInput& pInput) {
        switch (pInput.Byte() % 3) {
        case 0:
            return nullptr;
        case 1: {
            aVideo.push_back(std::make_unique<TFakeVideoStream>());
            TFakeVideoStream& video = *aVideo.back();
            video.SetFrame(pInput.Byte() % 40, pInput.Byte() % 40, pInput.Take<uint32_t>(),
                           wxPoint(int(pInput.Take<int8_t>()), int(pInput.Take<int8_t>())));
            video.aNoAlpha = pInput.Byte() & 1;
            video.aChangeStamp = pInput.Byte() % 4;
            return &video;
        }
        default: {
            aAudio.push_back(std::make_unique<TFakeAudioStream>());
            TFakeAudioStream& audio = *aAudio.back();
            const int frames = pInput.Take<uint16_t>() % 3000;
            audio.AllocateBuffer(frames, true);
            if (audio.aBuffer)
                std::fill_n(static_cast<int16_t*>(audio.aBuffer), frames * 2,
                            int16_t(pInput.Take<int16_t>()));
            return &audio;
        }
        }
    }
};

// Every value the stream produced, read.
void ReadAudio(const IZVAudioStream& pStream, const TFakeRenderContext& pContext) {
    const int16_t* data = pStream.GetAudioData();
    const int values = std::max(pContext.aSampleCount, 0) * (pContext.aStereo ? 2 : 1);
    long sum = 0;
    for (int i = 0; data && i < values; ++i)
        sum += data[i];
    Require(sum >= -32768L * values && sum <= 32767L * values);
}

void ReadVideo(const TZVVideoStreamBase& pStream) {
    const TBitmap& bitmap = *pStream.GetBitmapFormat();
    const uint8_t* data = static_cast<const uint8_t*>(bitmap.GetRawData());
    unsigned sum = 0;
    for (long i = 0; data && i < 4L * bitmap.GetWidth() * bitmap.GetHeight(); ++i)
        sum += data[i];
    Require(sum < 0xFFFFFFFFu);
}

// One pass: prepare every stream, change what the input says, then produce. Answers which
// streams produced.
std::vector<bool> Pass(TFuzzInput& pInput, TFakeRenderContext& pContext, TSources& pSources,
                       const std::vector<IZVRenderStream*>& pStreams) {
    pContext.NextPass();
    pContext.aParamCount = pInput.Pick({1, 4, 1, 4, 0});
    pContext.aWidth = int(pInput.Byte() % 48) - 4;
    pContext.aHeight = int(pInput.Byte() % 48) - 4;
    pContext.aStereo = pInput.Byte() & 1;
    pContext.aFrameSampleCount = FrameSampleCount(pInput);
    pContext.aSampleCount = int(pInput.Take<uint16_t>() % 4000) - 10;
    pContext.aFrame = long(pInput.Take<int16_t>());
    const int sources = pInput.Byte() % 6;
    while (pContext.aSourceCount < sources)
        pContext.AddSource(pSources.Make(pInput));
    pContext.aSourceCount = sources;
    std::vector<int> codes;
    for (IZVRenderStream* stream : pStreams)
        codes.push_back(stream->SetRenderContext(&pContext));
    // Between the two calls the host may lose sources or change the counts.
    if (pInput.Byte() & 1) {
        pContext.aSourceCount = pInput.Byte() % (sources + 1);
        pContext.aSampleCount = int(pInput.Take<uint16_t>() % 4000) - 10;
        pContext.aHidden = {int(pInput.Byte() % 6)};
    }
    std::vector<bool> produced;
    for (size_t i = 0; i < pStreams.size(); ++i) {
        produced.push_back(codes[i] == 0 || (pInput.Byte() & 1));
        if (produced.back())
            pStreams[i]->Update(&pContext);
    }
    return produced;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    static std::unique_ptr<TZVMedia> theMedia = [] {
        wxString reason;
        return std::unique_ptr<TZVMedia>(
            TZVMedia::Open(ZV_EXAMPLE_MEDIA "/seeds/seed.wav", &reason));
    }();
    Require(theMedia != nullptr);
    TFuzzInput input(pData, pSize);
    TFakeRenderContext context;
    context.aQuiet = true;
    TFakeValueFormula formula = Formula(input);
    context.aFormulas = {input.Byte() % 8 ? &formula : nullptr};

    TZVSimpleMixerVideoStream videoMixer;
    TZVSimpleAudioMixerStream audioMixer;
    TZVVideoMediaStream videoMedia(
        new TFuzzReader(input.Byte() % 5, input.Byte() % 20, input.Byte() % 20));
    TZVAudioMediaStream audioMedia(theMedia->GetAudio()->CreateReader());
    if (input.Byte() & 1) {
        TTypeDef image(paramTypeINTEGER);
        image.aRangeCheck = input.Byte() & 1;
        image.aMin = 0.0;
        videoMedia.SetType(image);
        TTypeDef seconds(paramTypeREAL);
        seconds.aRangeCheck = true;
        seconds.aMin = 0.0;
        audioMedia.SetType(seconds);
    }
    TSources sources;
    const std::vector<IZVRenderStream*> streams = {&videoMixer, &audioMixer, &videoMedia,
                                                   &audioMedia};
    for (int pass = 0; pass < 3 && !input.Empty(); ++pass) {
        const std::vector<bool> produced = Pass(input, context, sources, streams);
        if (produced[1])
            ReadAudio(audioMixer, context);
        if (produced[3])
            ReadAudio(audioMedia, context);
        ReadVideo(videoMixer);
        ReadVideo(videoMedia);
    }
    return 0;
}
