#include "DLL/Row/SimpleAudioMixerStream.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A mono mixer at frame 10 under the gain (its times logged), with sources the test adds.
struct TAudioMixer {
    explicit TAudioMixer(TFakeValueFormula pGain = TFakeValueFormula::Constant(0.0))
        : gain(std::move(pGain)) {
        context.aParamCount = 1;
        context.aFormulas = {&gain};
        context.aFrame = 10;
        gain.aLog = &gainLog;
    }
    TFakeRenderContext& Add(const std::vector<int16_t>& pSamples) {
        sources.push_back(std::make_unique<TFakeAudioStream>());
        sources.back()->AllocateBuffer(double(pSamples.size()), false);
        std::memcpy(sources.back()->aBuffer, pSamples.data(), pSamples.size() * 2);
        return context.AddSource(sources.back().get());
    }
    // A frame of pFrames frames, pAsked asked (pFrames unless given): the code, then the
    // samples when it is 0.
    wxString Frame(double pFrames, int pAsked = -1) {
        context.aFrameSampleCount = pFrames;
        context.aSampleCount = pAsked < 0 ? int(pFrames) : pAsked;
        wxString text = wxString::Format("%d", mixer.SetRenderContext(&context));
        if (text != "0")
            return text;
        mixer.Update(&context);
        for (int i = 0; i < context.aSampleCount * (context.aStereo ? 2 : 1); ++i)
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

// 0 dB passes the sum; -6.0206 dB is a float gain of exactly 0.5, rounded halves away from
// zero; below -90 dB a flat gain is silence and a sloped one mixes; an infinite gain clamps,
// silence staying silence; a source buffer shorter than the frame is read to its end.
TEST(SimpleAudioMixerStream, MixesUnderTheGain) {
    const std::tuple<TFakeValueFormula, std::vector<std::vector<int16_t>>, wxString> cases[] = {
        {TFakeValueFormula::Constant(0.0), {{1, -2, 300}, {4, 5, -6}}, "0 5 3 294"},
        {TFakeValueFormula::Constant(-6.0206),
         {{201, -201, 32767, -32768, 3}},
         "0 101 -101 16384 -16384 2"},
        {TFakeValueFormula::Constant(-91.0), {{32767}}, "2"},
        {TFakeValueFormula::Line(-91.0 - 1e-9, 1e-10), {{32767, 32767}}, "0 1 1"},
        {TFakeValueFormula::Constant(60.0), {{3, -3, 40}}, "0 3000 -3000 32767"},
        {TFakeValueFormula::Constant(TVariant()), {{1}}, "2"},
        {TFakeValueFormula::Constant(1e10), {{1, 0, -1}}, "0 32767 0 -32768"},
        {TFakeValueFormula::Constant(0.0), {{1, 2}, {10, 20, 30, 40}}, "0 11 22 30 40"},
        {TFakeValueFormula::Constant(0.0), {}, "2"},
    };
    for (const auto& [gain, samples, result] : cases) {
        TAudioMixer m(gain);
        size_t frames = 1;
        for (const auto& source : samples)
            frames = std::max(frames, source.size()), m.Add(source);
        EXPECT_EQ(m.Frame(double(frames)), result);
    }
}

// The gain is taken at the start of each 32-frame block, the step added up (once when flat):
// 100 frames are 4 blocks. Asked more than the frame has, the blocks go on; without a frame
// count the step comes from the count asked. In stereo a block is 64 values: +12.0412 dB a
// frame doubles the level in the second block of a 64-frame frame.
TEST(SimpleAudioMixerStream, TakesTheGainOncePerBlock) {
    wxString times;
    const std::tuple<bool, double, int> frames[] = {
        {false, 100, 100}, {true, 100, 100}, {false, 10, 100}, {false, 0, 64}};
    for (const auto& [flat, count, asked] : frames) {
        TAudioMixer m(TFakeValueFormula([](double) { return TVariant(0.0); }, flat));
        m.Add(std::vector<int16_t>(size_t(asked), 3));
        EXPECT_EQ(m.Frame(count, asked).Freq('3'), size_t(asked));
        times << m.gainLog << "| ";
    }
    EXPECT_EQ(times, "10 10 10.32 10.64 10.96 | 10 10 | 10 10 13.2 16.4 19.6 | 10 10 10.5 | ");

    TAudioMixer stereo(TFakeValueFormula::Line(-10 * 12.0412, 12.0412));
    stereo.context.aStereo = 1;
    stereo.Add(std::vector<int16_t>(128, 1000));
    wxString expected = "0";
    for (int i = 0; i < 128; ++i)
        expected << (i < 64 ? " 1000" : " 2000");
    EXPECT_EQ(stereo.Frame(64.0), expected);
}

// Sources gone between the two calls, a source without samples, a null value source, wrong
// parameter counts and stream kinds: the mix stays in bounds.
TEST(SimpleAudioMixerStream, InconsistentContextsStayInBounds) {
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
    TFakeAudioStream empty;
    silent.context.AddSource(&empty);
    EXPECT_EQ(silent.Frame(2.0), "0 5 5");

    TAudioMixer wrong;
    wrong.context.aFormulas = {nullptr};
    wrong.Add({5});
    EXPECT_EQ(wrong.Frame(1.0), "2");
    wrong.context.aFormulas = {&wrong.gain};
    wrong.context.aParamCount = 4;
    TFakeVideoStream video;
    wrong.context.AddSource(&video);
    EXPECT_ASSERTS(EXPECT_EQ(wrong.Frame(1.0), "0 5"),
                   "pContext->GetParamCount() == TZVSimpleAudioMixerRow::paramTOTAL",
                   "dynamic_cast<IZVAudioStream *>(pStream) returned NULL");
}
