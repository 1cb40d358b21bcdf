#include "DLL/Row/SimpleAudioMixerStream.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// A mixer under "Master Amplif (db)" (its times logged), mono, with sources the test adds.
struct TAudioMixer {
    explicit TAudioMixer(TFakeValueFormula pGain = TFakeValueFormula::Constant(0.0))
        : gain(std::move(pGain)) {
        context.aParamCount = 1;
        context.aFormulas = {&gain};
        context.aFrame = 10;
        gain.aLog = &gainLog;
    }
    // Adds a source whose buffer holds pSamples.
    TFakeRenderContext& Add(const std::vector<int16_t>& pSamples) {
        sources.push_back(std::make_unique<TFakeAudioStream>());
        TFakeAudioStream& source = *sources.back();
        source.AllocateBuffer(double(pSamples.size()), false);
        std::memcpy(source.aBuffer, pSamples.data(), pSamples.size() * 2);
        return context.AddSource(&source);
    }
    // One frame of pFrames frames (pFrames values a channel asked, unless pAsked is given):
    // the code, then the samples when it is 0.
    wxString Frame(double pFrames, int pAsked = -1) {
        context.aFrameSampleCount = pFrames;
        context.aSampleCount = pAsked < 0 ? int(pFrames) : pAsked;
        const int code = mixer.SetRenderContext(&context);
        wxString text = wxString::Format("%d", code);
        if (code != 0)
            return text;
        mixer.Update(&context);
        const int values = context.aSampleCount * (context.aStereo ? 2 : 1);
        for (int i = 0; i < values; ++i)
            text << ' ' << mixer.GetAudioData()[i];
        return text;
    }

    TZVSimpleAudioMixerStream mixer;
    TFakeValueFormula gain;
    wxString gainLog;
    TFakeRenderContext context;
    std::vector<std::unique_ptr<TFakeAudioStream>> sources;
};

} // namespace

// Levels and sums: 0 dB passes the clamped sum, -6.0206 dB is a float gain of exactly 0.5 and
// rounds halves away from zero, full scale clamps both ways, below -90 dB a flat gain is
// silence while a sloped one still mixes.
TEST(SimpleAudioMixerStream, MixesUnderTheGain) {
    struct {
        const char* aName;
        TFakeValueFormula aGain;
        std::vector<std::vector<int16_t>> aSources;
        wxString aResult;
    } const cases[] = {
        {"0 dB", TFakeValueFormula::Constant(0.0), {{1, -2, 300}, {4, 5, -6}}, "0 5 3 294"},
        {"half", TFakeValueFormula::Constant(-6.0206),
         {{201, -201, 32767, -32768, 3}},
         "0 101 -101 16384 -16384 2"},
        {"full scale", TFakeValueFormula::Constant(0.0),
         {{32767, -32768}, {32767, -32768}},
         "0 32767 -32768"},
        {"-91 dB flat", TFakeValueFormula::Constant(-91.0), {{32767}}, "2"},
        {"-91 dB sloped", TFakeValueFormula::Line(-91.0 - 1e-9, 1e-10), {{32767, 32767}},
         "0 1 1"},
        {"60 dB, not limited", TFakeValueFormula::Constant(60.0), {{3, -3, 40}}, "0 3000 -3000 32767"},
        {"undefined level", TFakeValueFormula::Constant(TVariant()), {{1}}, "2"},
        {"text level", TFakeValueFormula::Constant(TVariant(wxString("loud"))), {{100}}, "0 0"},
        {"NaN level", TFakeValueFormula::Constant(NaN), {{100}}, "0 0"},
        {"huge level", TFakeValueFormula::Constant(1e10), {{1, 0, -1}}, "0 32767 0 -32768"},
        {"no source", TFakeValueFormula::Constant(0.0), {}, "2"},
    };
    for (const auto& c : cases) {
        TAudioMixer m(c.aGain);
        for (const auto& samples : c.aSources)
            m.Add(samples);
        const double frames = c.aSources.empty() ? 1.0 : double(c.aSources[0].size());
        EXPECT_EQ(m.Frame(frames), c.aResult) << c.aName;
    }
}

// A sloped gain is taken at the start of each block of 32 frames, by adding the step up;
// a flat one once. 100 frames make 4 blocks, the last 4 frames long.
TEST(SimpleAudioMixerStream, SamplesTheGainOncePerBlock) {
    wxString times;
    for (bool flat : {false, true}) {
        TAudioMixer m(TFakeValueFormula([](double) { return TVariant(0.0); }, flat));
        m.Add(std::vector<int16_t>(100, 7));
        m.Frame(100.0);
        times << m.gainLog << "| ";
    }
    EXPECT_EQ(times, "10 10 10.32 10.64 10.96 | 10 10 | ");
}

// Blocks of a stereo frame are 64 values: a gain rising by 12.0412 dB a frame, 0 dB at the
// frame, is sampled again 32 frames into a 64-frame frame, at 6.0206 dB: twice the level.
TEST(SimpleAudioMixerStream, StereoBlocksAreSixtyFourValues) {
    TAudioMixer m(TFakeValueFormula::Line(-10 * 12.0412, 12.0412));
    m.context.aStereo = 1;
    m.Add(std::vector<int16_t>(128, 1000));
    wxString expected = "0";
    for (int i = 0; i < 128; ++i)
        expected << (i < 64 ? " 1000" : " 2000");
    EXPECT_EQ(m.Frame(64.0), expected);
}

// The host may be inconsistent: more samples asked than the frame has, no frame count at
// all, sources gone between the two calls, a source without samples, a null value source.
TEST(SimpleAudioMixerStream, InconsistentContextsStayInBounds) {
    TAudioMixer more(TFakeValueFormula::Line(0.0, 1e-9));
    more.Add(std::vector<int16_t>(100, 3));
    EXPECT_EQ(more.Frame(10.0, 100).Freq('3'), 100);
    EXPECT_EQ(more.gainLog, "10 10 13.2 16.4 19.6 ");

    TAudioMixer noFrame(TFakeValueFormula::Line(0.0, 1e-9));
    noFrame.Add(std::vector<int16_t>(64, 3));
    EXPECT_EQ(noFrame.Frame(0.0, 64).Freq('3'), 64);
    EXPECT_EQ(noFrame.gainLog, "10 10 10.5 ");

    TAudioMixer gone;
    gone.Add({5, 5});
    TFakeRenderContext& second = gone.Add({1, 1});
    gone.context.aFrameSampleCount = gone.context.aSampleCount = 2;
    ASSERT_EQ(gone.mixer.SetRenderContext(&gone.context), 0);
    second.aStream = nullptr;
    gone.mixer.Update(&gone.context);
    EXPECT_EQ(gone.mixer.GetAudioData()[1], 5);

    TAudioMixer silent;
    silent.Add({5, 5});
    silent.context.AddSource(silent.sources.emplace_back(new TFakeAudioStream).get());
    EXPECT_EQ(silent.Frame(2.0), "0 5 5");

    TAudioMixer nullFormula;
    nullFormula.Add({5});
    nullFormula.context.aFormulas = {nullptr};
    EXPECT_EQ(nullFormula.Frame(1.0), "2");
}

// A source's buffer shorter than the frame is read to its end, then counts as silence.
TEST(SimpleAudioMixerStream, NeverReadsPastASourcesBuffer) {
    TAudioMixer m;
    m.Add({1, 2});
    m.Add({10, 20, 30, 40});
    EXPECT_EQ(m.Frame(4.0), "0 11 22 30 40");
}

TEST(SimpleAudioMixerStream, ReportsWrongParameterCountsAndStreamKinds) {
    TAudioMixer m;
    m.context.aParamCount = 4;
    TFakeVideoStream video;
    m.context.AddSource(&video);
    m.Add({9});
    EXPECT_ASSERTS(EXPECT_EQ(m.Frame(1.0), "0 9"),
                   "pContext->GetParamCount() == TZVSimpleAudioMixerRow::paramTOTAL",
                   "dynamic_cast<IZVAudioStream *>(pStream) returned NULL",
                   "dynamic_cast<IZVAudioStream *>(pStream) returned NULL");
}

// 0 dB is a gain of exactly 1, and -6.0206 dB one of exactly 0.5.
TEST(SimpleAudioMixerStream, GainsInDecibels) {
    const TFakeValueFormula zero = TFakeValueFormula::Constant(0.0);
    const TFakeValueFormula half = TFakeValueFormula::Constant(-6.0206);
    EXPECT_EQ(TZVSimpleAudioMixerStream::GainAt(&zero, 0.0), 1.0f);
    EXPECT_EQ(TZVSimpleAudioMixerStream::GainAt(&half, 0.0), 0.5f);
    EXPECT_EQ(TZVSimpleAudioMixerStream::GainAt(nullptr, 0.0), 1.0f);
}
