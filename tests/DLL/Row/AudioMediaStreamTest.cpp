#include "DLL/Row/AudioMediaStream.h"

#include "ALL/TypeDef.h"
#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include "MediaWriter.h"
#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// "Seconds" as the media row types it: real, from 0 up.
TTypeDef SecondsType() {
    TTypeDef type(paramTypeREAL);
    type.aRangeCheck = true;
    type.aDefault = 0.0;
    type.aMin = 0.0;
    return type;
}

// A stream over an example medium, mono unless told, driven by "Seconds".
struct TMediaSound {
    TMediaSound(const char* pName, TFakeValueFormula pSeconds)
        : seconds(std::move(pSeconds)) {
        wxString reason;
        media.reset(TZVMedia::Open(std::string(ZV_EXAMPLE_MEDIA) + "/" + pName, &reason));
        stream = std::make_unique<TZVAudioMediaStream>(
            media ? media->GetAudio()->CreateReader() : nullptr);
        stream->SetType(SecondsType());
        context.aParamCount = 1;
        context.aFormulas = {&seconds};
    }
    // Frame pFrame of pFrames frames (pAsked of them asked, unless given): the code, and the
    // samples when it is 0.
    std::vector<int> Frame(long pFrame, double pFrames, int pAsked = -1) {
        context.aFrame = pFrame;
        context.aFrameSampleCount = pFrames;
        context.aSampleCount = pAsked < 0 ? int(pFrames) : pAsked;
        std::vector<int> result{stream->SetRenderContext(&context)};
        if (result[0] != 0)
            return result;
        stream->Update(&context);
        const int16_t* data = stream->GetAudioData();
        result.insert(result.end(), data,
                      data + context.aSampleCount * (context.aStereo ? 2 : 1));
        return result;
    }

    std::unique_ptr<TZVMedia> media;
    TFakeValueFormula seconds;
    std::unique_ptr<TZVAudioMediaStream> stream;
    TFakeRenderContext context;
};

// The ramp medium (8,000 frames a second, 1,000 frames) at medium frame pFrame.
int Ramp(double pFrame) {
    return pFrame < 1000 ? int(30 * pFrame - 15000) : 0;
}

// Values pFrom, pFrom + pStep, ... (pCount of them) of pSamples (after the code).
std::vector<int> Every(const std::vector<int>& pSamples, int pFrom, int pStep, int pCount) {
    std::vector<int> values;
    for (int i = 0; i < pCount && 1 + pFrom + i * pStep < int(pSamples.size()); ++i)
        values.push_back(pSamples[1 + pFrom + i * pStep]);
    return values;
}

} // namespace

// The output rate is the frame's samples over the seconds of medium it plays: 1 second a
// frame of 1,920 samples plays at 1,920 a second, half a second at 3,840. The ramp ends inside
// the frame: the rest is silence.
TEST(AudioMediaStream, PlaysTheSpanOfSecondsInTheFrame) {
    TMediaSound second("ramp.wav", TFakeValueFormula::Line(0.0, 1.0));
    const std::vector<int> atOne = second.Frame(0, 1920);
    TMediaSound half("ramp.wav", TFakeValueFormula::Line(0.0, 0.5));
    const std::vector<int> atHalf = half.Frame(0, 1920);
    ASSERT_EQ(atOne.size(), 1921u);
    ASSERT_EQ(atHalf.size(), 1921u);
    // Medium frames 0, 25, 50, 75: every 6th output at 1,920, every 12th at 3,840.
    const std::vector<int> ramp = {Ramp(0), Ramp(25), Ramp(50), Ramp(75)};
    EXPECT_EQ(Every(atOne, 0, 6, 4), ramp);
    EXPECT_EQ(Every(atHalf, 0, 12, 4), ramp);
    EXPECT_EQ(atOne[0], 0);
    EXPECT_EQ(Every(atOne, 240, 1, 3), std::vector<int>(3, 0));
    EXPECT_EQ(Every(atOne, 1919, 1, 1), std::vector<int>(1, 0));
}

// The first sample is the start in seconds times the medium's rate, halves to even; a span of
// 0, or a start or end that is no number, is silence (2).
TEST(AudioMediaStream, FirstSampleAndSilentFrames) {
    struct {
        const char* aName;
        TFakeValueFormula aSeconds;
        std::vector<int> aResult;
    } const cases[] = {
        {"2.5 samples", TFakeValueFormula::Line(2.5 / 8000, 0.125), {0, Ramp(2), Ramp(3)}},
        {"3.5 samples", TFakeValueFormula::Line(3.5 / 8000, 0.125), {0, Ramp(4), Ramp(5)}},
        {"constant", TFakeValueFormula::Constant(0.5), {2}},
        {"past the end", TFakeValueFormula::Constant(0.125), {2}},
        {"undefined", TFakeValueFormula::Constant(TVariant()), {2}},
        {"text", TFakeValueFormula::Constant(TVariant(wxString("1"))), {2}},
        {"NaN", TFakeValueFormula::Constant(NaN), {2}},
        {"NaN at the next frame",
         TFakeValueFormula([](double pTime) { return TVariant(pTime < 0.5 ? 0.0 : NaN); }), {2}},
        {"going back", TFakeValueFormula::Line(0.125, -0.125), {0, 0, 0}},
        {"a tiny span", TFakeValueFormula::Line(0.0, 1e-300), {0, Ramp(0), Ramp(0)}},
    };
    for (const auto& c : cases) {
        TMediaSound sound("ramp.wav", c.aSeconds);
        EXPECT_EQ(Every(sound.Frame(0, 1000, 2), -1, 1, 3), c.aResult) << c.aName;
    }
}

// tone.wav (44,100 frames a second, stereo) played at 22,050 a second, 25 frames a second,
// "Seconds" rising 1/25 a frame: every second frame of the medium, exactly.
TEST(AudioMediaStream, ReproducesTheToneAtHalfItsRate) {
    TMediaSound tone("tone.wav", TFakeValueFormula::Line(0.0, 1.0 / 25));
    tone.context.aStereo = 1;
    int mismatches = 0;
    for (long frame = 0; frame < 25; ++frame) {
        const std::vector<int> samples = tone.Frame(frame, 882);
        ASSERT_EQ(samples.size(), 1u + 882 * 2) << frame;
        for (int i = 0; i < 882 * 2; ++i)
            if (samples[1 + i] != ExampleSample(2 * (882 * frame + i / 2), i % 2, 44100))
                ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

// The host may ask more samples than the frame has, or a fraction of one; a stream without
// medium, type or value source is silent.
TEST(AudioMediaStream, InconsistentContextsStayInBounds) {
    TMediaSound more("ramp.wav", TFakeValueFormula::Line(0.0, 10.5 / 8000));
    const std::vector<int> samples = more.Frame(0, 10.5, 50);
    EXPECT_EQ(Every(samples, 0, 49, 2), (std::vector<int>{Ramp(0), Ramp(49)}));

    TFakeRenderContext context;
    context.aParamCount = 1;
    TZVAudioMediaStream noReader(nullptr);
    noReader.SetType(SecondsType());
    TMediaSound noType("ramp.wav", TFakeValueFormula::Line(0.0, 1.0));
    TZVAudioMediaStream untyped(noType.media->GetAudio()->CreateReader());
    TMediaSound nullFormula("ramp.wav", TFakeValueFormula::Line(0.0, 1.0));
    nullFormula.context.aFormulas = {nullptr};
    EXPECT_EQ(wxString::Format("%d %d %d", noReader.SetRenderContext(&context),
                               untyped.SetRenderContext(&noType.context),
                               nullFormula.Frame(0, 10)[0]),
              "2 2 2");
}
