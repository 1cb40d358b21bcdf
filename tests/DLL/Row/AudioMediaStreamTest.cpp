#include "DLL/Row/AudioMediaStream.h"

#include "ALL/TypeDef.h"
#include "support/FakeRenderContext.h"

#include "MediaWriter.h"
#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// A stream over an example medium, mono unless told, driven by "Seconds" typed as the media
// row types it (real, from 0 up).
struct TMediaSound {
    TMediaSound(const char* pName, TFakeValueFormula pSeconds) : seconds(std::move(pSeconds)) {
        wxString reason;
        media.reset(TZVMedia::Open(std::string(ZV_EXAMPLE_MEDIA) + "/" + pName, &reason));
        stream = std::make_unique<TZVAudioMediaStream>(media->GetAudio()->CreateReader());
        TTypeDef type(paramTypeREAL);
        type.aRangeCheck = true;
        type.aMin = 0.0;
        stream->SetType(type);
        context.aParamCount = 1;
        context.aFormulas = {&seconds};
    }
    // Frame pFrame of pFrames frames, pAsked asked (pFrames unless given): the code, then the
    // samples when it is 0.
    std::vector<int> Frame(long pFrame, double pFrames, int pAsked = -1) {
        context.aFrame = pFrame;
        context.aFrameSampleCount = pFrames;
        context.aSampleCount = pAsked < 0 ? int(pFrames) : pAsked;
        std::vector<int> result{stream->SetRenderContext(&context)};
        if (result[0] == 0) {
            stream->Update(&context);
            const int16_t* data = stream->GetAudioData();
            result.insert(result.end(), data,
                          data + context.aSampleCount * (context.aStereo ? 2 : 1));
        }
        return result;
    }

    std::unique_ptr<TZVMedia> media;
    TFakeValueFormula seconds;
    std::unique_ptr<TZVAudioMediaStream> stream;
    TFakeRenderContext context;
};

// The ramp medium (8,000 frames a second, 1,000 frames) at medium frame pFrame.
int Ramp(int pFrame) {
    return 30 * pFrame - 15000;
}

} // namespace

// The output rate is the frame's samples over the seconds of medium it plays, whatever the
// medium's own: 1 second a frame of 1,920 samples steps 25 medium frames every 6 samples. The
// ramp ends inside the frame: the rest is silence. The first sample is the start times the
// medium's rate, halves to even; a span of 0 or that is no number is silence (2). Asked more
// samples than the frame has, the stream reads them all.
TEST(AudioMediaStream, PlaysTheSpanOfSecondsInTheFrame) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<TFakeValueFormula, double, int, std::vector<int>, std::vector<int>> cases[] = {
        {TFakeValueFormula::Line(0, 1),
         1920,
         1920,
         {0, 6, 12, 240, 1919},
         {0, Ramp(0), Ramp(25), Ramp(50), 0, 0}},
        {TFakeValueFormula::Line(2.5 / 8000, 0.125), 1000, 2, {0, 1}, {0, Ramp(2), Ramp(3)}},
        {TFakeValueFormula::Line(3.5 / 8000, 0.125), 1000, 2, {0, 1}, {0, Ramp(4), Ramp(5)}},
        {TFakeValueFormula::Line(0, 10.5 / 8000), 10.5, 50, {0, 49}, {0, Ramp(0), Ramp(49)}},
        {TFakeValueFormula::Line(0.125, -0.125), 1000, 2, {0, 1}, {0, 0, 0}},
        {TFakeValueFormula::Line(0, 1e-300), 1000, 2, {0, 1}, {0, Ramp(0), Ramp(0)}},
        {TFakeValueFormula([=](double pTime) { return TVariant(pTime < 0.5 ? 0.0 : NaN); }),
         1000,
         2,
         {},
         {2}},
    };
    for (const auto& [seconds, frames, asked, picks, result] : cases) {
        TMediaSound sound("ramp.wav", seconds);
        const std::vector<int> samples = sound.Frame(0, frames, asked);
        std::vector<int> picked{samples[0]};
        for (int pick : picks)
            picked.push_back(samples.at(1 + size_t(pick)));
        EXPECT_EQ(picked, result) << frames << " " << asked;
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
            mismatches += samples[1 + i] != ExampleSample(2 * (882 * frame + i / 2), i % 2, 44100);
    }
    EXPECT_EQ(mismatches, 0);
}

// No reader, no type, or no value source (a keyed parameter in a gap): silence.
TEST(AudioMediaStream, MissingPiecesAreSilent) {
    TMediaSound sound("ramp.wav", TFakeValueFormula::Line(0.0, 1.0));
    TZVAudioMediaStream noReader(nullptr), noType(sound.media->GetAudio()->CreateReader());
    noReader.SetType(TTypeDef(paramTypeREAL));
    const int codes[] = {noReader.SetRenderContext(&sound.context),
                         noType.SetRenderContext(&sound.context)};
    sound.context.aFormulas = {nullptr};
    EXPECT_EQ(wxString::Format("%d %d %d", codes[0], codes[1], sound.Frame(0, 10)[0]), "2 2 2");
}
