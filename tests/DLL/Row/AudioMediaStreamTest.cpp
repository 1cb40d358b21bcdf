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
// samples than the frame has, the stream reads them all. At the medium's own rate the frames
// come exactly; at others, band-limited, the ramp within two levels away from its ends.
TEST(AudioMediaStream, PlaysTheSpanOfSecondsInTheFrame) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<TFakeValueFormula, double, int, std::vector<int>, std::vector<int>, int>
        cases[] = {
            {TFakeValueFormula::Line(0, 1),
             1920,
             1920,
             {24, 120, 216, 240, 1919},
             {0, Ramp(100), Ramp(500), Ramp(900), 0, 0},
             2},
            {TFakeValueFormula::Line(2.5 / 8000, 0.125), 1000, 2, {0, 1}, {0, Ramp(2), Ramp(3)}, 0},
            {TFakeValueFormula::Line(3.5 / 8000, 0.125), 1000, 2, {0, 1}, {0, Ramp(4), Ramp(5)}, 0},
            {TFakeValueFormula::Line(0, 10.5 / 8000), 10.5, 50, {0, 49}, {0, Ramp(0), Ramp(49)}, 0},
            {TFakeValueFormula::Line(0.125, -0.125), 1000, 2, {0, 1}, {0, 0, 0}, 0},
            {TFakeValueFormula::Line(0.05, 1e-16), 1000, 2, {0, 1}, {0, Ramp(400), Ramp(400)}, 2},
            {TFakeValueFormula([=](double pTime) { return TVariant(pTime < 0.5 ? 0.0 : NaN); }),
             1000,
             2,
             {},
             {2},
             0},
        };
    for (const auto& [seconds, frames, asked, picks, result, within] : cases) {
        TMediaSound sound("ramp.wav", seconds);
        const std::vector<int> samples = sound.Frame(0, frames, asked);
        ASSERT_EQ(samples[0], result[0]) << frames << " " << asked;
        for (size_t i = 0; i < picks.size(); ++i)
            EXPECT_LE(std::abs(samples.at(1 + size_t(picks[i])) - result[1 + i]), within)
                << frames << " " << asked << " sample " << picks[i];
    }
}

// tone.wav (44,100 frames a second, stereo) played at 22,050 a second, 25 frames a second,
// "Seconds" rising 1/25 a frame: every second frame of the medium, but for what the tone (whole
// numbers in steps of a 65,536th of a period) holds above the output's band, a few levels; and
// but for the filter's ringing at the tone's first and last frames, steps from silence.
TEST(AudioMediaStream, ReproducesTheToneAtHalfItsRate) {
    TMediaSound tone("tone.wav", TFakeValueFormula::Line(0.0, 1.0 / 25));
    tone.context.aStereo = 1;
    int farthest = 0;
    for (long frame = 0; frame < 25; ++frame) {
        const std::vector<int> samples = tone.Frame(frame, 882);
        ASSERT_EQ(samples.size(), 1u + 882 * 2) << frame;
        for (int i = frame == 0 ? 64 : 0; i < (frame == 24 ? 882 * 2 - 64 : 882 * 2); ++i)
            farthest = std::max(farthest,
                                std::abs(samples[1 + size_t(i)] -
                                         ExampleSample(2 * (882 * frame + i / 2), i % 2, 44100)));
    }
    EXPECT_LE(farthest, 16);
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

namespace {

// "Seconds" at frame pFrame speeding up from half the medium's speed to full over ten frames
// (25 a second).
double Accelerating(double pFrame) {
    return (0.5 * pFrame + 0.025 * pFrame * pFrame) / 25;
}

// Frames pFrames of sine15k.wav (15 kHz at 44,100 frames a second) in stereo, 1,920 samples
// each, in the order given, each after its frame's SetRenderContext as a render makes them.
std::vector<std::vector<int>> Render(const std::vector<long>& pFrames) {
    TMediaSound sound("sine15k.wav", TFakeValueFormula([](double pFrame) {
                          return TVariant(Accelerating(pFrame));
                      }));
    sound.context.aStereo = 1;
    std::vector<std::vector<int>> frames(10);
    for (long frame : pFrames)
        frames[size_t(frame)] = sound.Frame(frame, 1920);
    return frames;
}

} // namespace

// Speeding up, each frame plays at its own rate (96,000 a second to 48,000 from the tone's
// 44,100): every sample, the first and last of each frame too, is the sine at its place in
// the medium (the frame's first sample at its start times 44,100, rounded, each next one
// 44,100 / rate frames on) within 2 levels: no frame starts or ends with a click. The first
// 20 frames of the medium aside, where the sine starts from silence.
TEST(AudioMediaStream, FollowsTheSpeedFrameByFrameWithoutClicks) {
    const std::vector<std::vector<int>> frames = Render({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    int farthest = 0;
    for (long frame = 0; frame < 10; ++frame) {
        const double start = Accelerating(frame), span = Accelerating(frame + 1) - start;
        const int rate = int(1920 / span + 0.5);
        const double first = std::nearbyint(44100 * start);
        ASSERT_EQ(frames[size_t(frame)].size(), 1u + 1920 * 2);
        for (int i = 0; i < 1920; ++i) {
            const double place = first + double(i) * 44100 / rate;
            if (place < 20)
                continue;
            const double sine = 16384 * std::sin(2 * M_PI * 15000 * place / 44100);
            for (int channel = 0; channel < 2; ++channel)
                farthest = std::max(
                    farthest,
                    int(std::abs(frames[size_t(frame)][1 + size_t(i) * 2 + channel] - sine) + 0.5));
        }
    }
    EXPECT_LE(farthest, 2);
}

// Each frame's samples are the same whether the frames are rendered in order, in ranges from
// the back or in a shuffled order: the sound of a frame depends on nothing read before it.
TEST(AudioMediaStream, FramesAreTheSameInAnyOrder) {
    const std::vector<std::vector<int>> inOrder = Render({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(Render({7, 8, 9, 4, 5, 6, 0, 1, 2, 3}), inOrder);
    EXPECT_EQ(Render({3, 9, 0, 6, 1, 8, 4, 2, 7, 5}), inOrder);
}
