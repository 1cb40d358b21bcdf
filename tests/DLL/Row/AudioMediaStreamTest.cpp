#include "DLL/Row/AudioMediaStream.h"

#include "ALL/TypeDef.h"
#include "support/FakeRenderContext.h"
#include "support/Temporary.h"

#include "MediaWriter.h"
#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// The medium at pPath.
std::shared_ptr<TZVMedia> OpenMedium(const std::string& pPath) {
    wxString reason;
    return std::shared_ptr<TZVMedia>(TZVMedia::Open(pPath, &reason));
}

// A stream over a medium (an example medium by its name), mono unless told, driven by
// "Seconds" typed as the media row types it (real, from 0 to the medium's duration).
struct TMediaSound {
    TMediaSound(const char* pName, TFakeValueFormula pSeconds)
        : TMediaSound(OpenMedium(ZV_EXAMPLE_MEDIA "/" + std::string(pName)), std::move(pSeconds)) {}
    TMediaSound(std::shared_ptr<TZVMedia> pMedia, TFakeValueFormula pSeconds)
        : media(std::move(pMedia)), seconds(std::move(pSeconds)) {
        stream = std::make_unique<TZVAudioMediaStream>(media->GetAudio()->CreateReader());
        TTypeDef type(paramTypeREAL);
        type.aRangeCheck = true;
        type.aMin = 0.0;
        type.aMax = media->GetDuration();
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

    std::shared_ptr<TZVMedia> media;
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
// ramp ends inside the frame: the rest is silence once the filter's ringing (20 samples) fades. The
// first sample plays the start times the medium's rate, fraction and all (500.5 frames: halfway
// between two); a span of 0 or that is no number is silence (2). Asked more samples than the frame
// has, the stream reads them all. At the medium's own rate on whole frames the frames come exactly;
// at others, band-limited, the ramp within two levels away from its ends.
TEST(AudioMediaStream, PlaysTheSpanOfSecondsInTheFrame) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<TFakeValueFormula, double, int, std::vector<int>, std::vector<int>, int>
        cases[] = {
            {TFakeValueFormula::Line(0, 1),
             1920,
             1920,
             {24, 120, 216, 270, 1919},
             {0, Ramp(100), Ramp(500), Ramp(900), 0, 0},
             2},
            {TFakeValueFormula::Line(2.0 / 8000, 0.125), 1000, 2, {0, 1}, {0, Ramp(2), Ramp(3)}, 0},
            {TFakeValueFormula::Line(500.5 / 8000, 0.125),
             1000,
             2,
             {0, 1},
             {0, Ramp(500) + 15, Ramp(501) + 15},
             2},
            {TFakeValueFormula::Line(500.25 / 8000, 0.0625),
             1000,
             2,
             {0, 1},
             {0, Ramp(500) + 8, Ramp(500) + 23},
             2},
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
// the medium ("Seconds" straight across the frame: the frame's first sample at its start times
// 44,100, each next one 44,100 x span / 1,920 frames on) within 2 levels: where the slope
// changes, at each frame's start, the sound turns without a jump. The first 20 frames of the
// medium aside, where the sine starts from silence.
TEST(AudioMediaStream, FollowsTheSpeedFrameByFrameWithoutClicks) {
    const std::vector<std::vector<int>> frames = Render({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    int farthest = 0;
    for (long frame = 0; frame < 10; ++frame) {
        const double start = Accelerating(frame), span = Accelerating(frame + 1) - start;
        ASSERT_EQ(frames[size_t(frame)].size(), 1u + 1920 * 2);
        for (int i = 0; i < 1920; ++i) {
            const double place = 44100 * (start + span * i / 1920);
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

namespace {

// The test tone: 997 Hz at pRate frames a second, 0.6 of full scale, computed in double from
// the phase as a whole fraction of a period.
int16_t Tone997(long pFrame, int pRate) {
    const double phase = double(int64_t(pFrame) * 997 % pRate) / pRate;
    return int16_t(std::lround(20000 * std::sin(2 * M_PI * phase)));
}

// pSeconds of the tone at pRate, mono, pCopies times one after the other, written into the
// test process's own folder, and a stream over it.
struct TTone {
    explicit TTone(int pRate, double pSeconds = 2.0, int pCopies = 1) {
        const long frames = std::lround(pSeconds * pRate);
        const std::string path =
            Temporary("tone" + std::to_string(pRate) + "-" + std::to_string(frames) + "x" +
                      std::to_string(pCopies) + ".wav");
        TSoundDesc tone = {"pcm_s16le", AV_SAMPLE_FMT_S16, pRate, 1, frames * pCopies, nullptr};
        tone.aSample = [frames](long pFrame, int, int pSoundRate) {
            return Tone997(pFrame % frames, pSoundRate);
        };
        EXPECT_TRUE(WriteMedia(path, nullptr, &tone)) << pRate;
        aSound = std::make_unique<TMediaSound>(OpenMedium(path), TFakeValueFormula::Line(0, 0));
    }

    std::unique_ptr<TMediaSound> aSound;
};

// The host's first output sample of frame pFrame (from 0 on) at 48,000 samples and pFrameRate
// thousandths of frames a second.
int64_t HostFirstSample(long pFrame, long pFrameRate) {
    return int64_t(pFrame) * 48000 * 1000 / pFrameRate;
}

// Frames pFirst to pEnd - 1 of pSound, each with the samples the host asks for (silence for
// a frame that answers 2), joined.
std::vector<int16_t> RenderFrames(TMediaSound& pSound, long pFrameRate, long pFirst, long pEnd) {
    std::vector<int16_t> samples;
    for (long frame = pFirst; frame < pEnd; ++frame) {
        const int count =
            int(HostFirstSample(frame + 1, pFrameRate) - HostFirstSample(frame, pFrameRate));
        const std::vector<int> played = pSound.Frame(frame, 48000.0 * 1000.0 / pFrameRate, count);
        if (played[0] == 2)
            samples.insert(samples.end(), size_t(count), 0);
        samples.insert(samples.end(), played.begin() + 1, played.end());
    }
    return samples;
}

// How far below a tone of pFrequency cycles a sample the rest of pSound lies, in dB: the tone
// fitted by least squares (a cos + b sin + c).
double ToneToRest(const std::vector<int16_t>& pSound, double pFrequency) {
    const size_t count = pSound.size();
    std::vector<double> cosines(count), sines(count);
    double cc = 0, cs = 0, ss = 0, c = 0, s = 0, yc = 0, ys = 0, y = 0;
    for (size_t i = 0; i < count; ++i) {
        const double angle = 2 * M_PI * pFrequency * double(i), value = pSound[i];
        cosines[i] = std::cos(angle);
        sines[i] = std::sin(angle);
        cc += cosines[i] * cosines[i];
        cs += cosines[i] * sines[i];
        ss += sines[i] * sines[i];
        c += cosines[i];
        s += sines[i];
        yc += value * cosines[i];
        ys += value * sines[i];
        y += value;
    }
    // The normal equations, by Gauss-Jordan over the three unknowns.
    double matrix[3][4] = {{cc, cs, c, yc}, {cs, ss, s, ys}, {c, s, double(count), y}};
    for (int pivot = 0; pivot < 3; ++pivot)
        for (int row = 0; row < 3; ++row)
            if (row != pivot) {
                const double factor = matrix[row][pivot] / matrix[pivot][pivot];
                for (int column = 0; column < 4; ++column)
                    matrix[row][column] -= factor * matrix[pivot][column];
            }
    const double a = matrix[0][3] / matrix[0][0], b = matrix[1][3] / matrix[1][1],
                 mean = matrix[2][3] / matrix[2][2];
    double rest = 0;
    for (size_t i = 0; i < count; ++i) {
        const double error = pSound[i] - a * cosines[i] - b * sines[i] - mean;
        rest += error * error;
    }
    return 20 * std::log10(std::hypot(a, b) / std::sqrt(2 * rest / double(count)));
}

} // namespace

// A second of the tone at every frame rate, medium rate and speed, at 48,000 samples a second:
// "Seconds" = 0.25 + speed x the frame's time, each frame as many samples as the host gives it
// (1601 or 1602 at 29.97 frames a second). Frames join as one pass over the medium would:
// equal rates at speed 1 give the medium's samples from 0.25 s on exactly, any other row the
// tone at its played pitch with the rest 80 dB below it or more (here 91 to 94 dB, about what
// 16-bit samples hold; a sample skipped or repeated where frames meet, or a speed rounded to a
// whole rate, left as little as 17 dB). Rendered again in two ranges, the later first, the
// sound is the same.
TEST(AudioMediaStream, FramesJoinAtEveryFrameRateMediumRateAndSpeed) {
    for (const int mediumRate : {22050, 44100, 48000, 96000}) {
        const TTone tone(mediumRate);
        TMediaSound& sound = *tone.aSound;
        for (const long frameRate : {23976L, 24000L, 25000L, 29970L, 30000L, 59940L})
            for (const double speed : {1.0, 1.0001, 1.01, 1.05, 0.9, 1.5}) {
                const std::string row = std::to_string(frameRate) + " fps/1000, " +
                                        std::to_string(mediumRate) + " Hz, x" +
                                        std::to_string(speed);
                sound.seconds = TFakeValueFormula::Line(0.25, speed * 1000.0 / frameRate);
                const long frames = (frameRate + 999) / 1000;
                const std::vector<int16_t> whole = RenderFrames(sound, frameRate, 0, frames);
                ASSERT_EQ(int64_t(whole.size()), HostFirstSample(frames, frameRate)) << row;
                if (mediumRate == 48000 && speed == 1.0) {
                    int differing = 0;
                    for (size_t i = 0; i < whole.size(); ++i)
                        differing += whole[i] != Tone997(long(12000 + i), 48000);
                    EXPECT_EQ(differing, 0) << row;
                } else {
                    EXPECT_GE(ToneToRest(whole, 997 * speed / 48000), 80) << row;
                }
                const long split = frames * 2 / 5;
                std::vector<int16_t> ranges = RenderFrames(sound, frameRate, split, frames);
                const std::vector<int16_t> front = RenderFrames(sound, frameRate, 0, split);
                ranges.insert(ranges.begin(), front.begin(), front.end());
                EXPECT_EQ(ranges, whole) << row;
            }
    }
}

namespace {

// The pitch of pSound from sample pFrom to pTo - 1 in cycles a sample: its rising zero
// crossings, each placed between its two samples, over the time from the first to the last.
double Pitch(const std::vector<int16_t>& pSound, int64_t pFrom, int64_t pTo) {
    double first = 0, last = 0;
    int crossings = 0;
    for (int64_t i = pFrom + 1; i < pTo; ++i) {
        const double before = pSound[size_t(i - 1)], after = pSound[size_t(i)];
        if (before < 0 && after >= 0) {
            last = double(i - 1) + before / (before - after);
            first = crossings++ == 0 ? last : first;
        }
    }
    return crossings > 1 ? (crossings - 1) / (last - first) : 0.0;
}

// The host's frame at pFrameRate thousandths of frames a second that holds output sample
// pSample.
long FrameOf(int64_t pSample, long pFrameRate) {
    long frame = long(pSample * pFrameRate / (48000 * 1000));
    while (HostFirstSample(frame + 1, pFrameRate) <= pSample)
        ++frame;
    return frame;
}

} // namespace

// Clips that start and end inside a frame, at 48,000 samples a second: "Seconds" = speed x
// the frame's time - lead over the tone, so that the medium sounds from sample 48,000 x lead /
// speed on and up to 48,000 x (length + lead) / speed. The first and last sounding samples lie
// there, within the filter's reach (20 periods of the lower rate, here at most 29 samples); the
// frame that holds either plays its part at the clip's speed (the tone's pitch within 0.1%,
// past the filter's ringing at the edge), not the part within the medium stretched over the
// whole frame; the frames beyond answer 2, but for one the filter's ringing reaches. A loop
// placed twice end to end (a second copy from where the first one's medium ends, each with its
// edges ringing as far as the filter reaches, into the frames beyond too) sums to the two
// copies in one file within 2, where the first copy's end stopped dead (48 of 12,000 off).
TEST(AudioMediaStream, ClipEdgesSoundAtTheirPlacesAndSpeed) {
    constexpr int64_t reach = 30;
    const struct {
        long aFrameRate; // thousandths
        double aSpeed;
        int aMediumRate;
        double aLength, aLead; // seconds
        int64_t aFirst, aLast;
        // The filter's ringing reaches the frame before the first one, the one after the last;
        // the clip is played twice, end to end.
        bool aRingsBefore = false;
        bool aRingsAfter = false;
        bool aLooped = false;
    } clips[] = {
        {24000, 1.0, 44100, 2.0, 0.23, 11040, 107039},
        {24000, 1.5, 48000, 2.01, 0.21, 6720, 71039},
        {25000, 1.0, 48000, 2.01, 0.51, 24480, 120959},
        {25000, 1.0, 44100, 2.01, 0.0, 0, 96479, true},
        {25000, 1.5, 44100, 2.0, 0.2, 6400, 70399},
        {29970, 1.0, 48000, 2.0, 0.0, 0, 95999},
        {29970, 1.0, 44100, 2.01, 0.21, 10080, 106559},
        {29970, 1.5, 22050, 2.0, 0.22, 7040, 71039},
        // Loops: joined inside a frame, and where one frame ends.
        {29970, 1.5, 22050, 0.32, 0.21, 6720, 16959, false, false, true},
        {25000, 1.0, 44100, 0.4, 0.2, 9600, 28799, true, true, true},
    };
    for (const auto& c : clips) {
        const std::string row = std::to_string(c.aFrameRate) + " fps/1000, x" +
                                std::to_string(c.aSpeed) + ", " + std::to_string(c.aMediumRate) +
                                " Hz, lead " + std::to_string(c.aLead);
        const TTone tone(c.aMediumRate, c.aLength);
        TMediaSound& sound = *tone.aSound;
        const double step = c.aSpeed * 1000.0 / c.aFrameRate;
        sound.seconds = TFakeValueFormula::Line(-c.aLead, step);
        const long firstFrame = FrameOf(c.aFirst, c.aFrameRate),
                   lastFrame = FrameOf(c.aLast, c.aFrameRate);
        const std::vector<int16_t> clip = RenderFrames(sound, c.aFrameRate, 0, lastFrame + 2);
        const auto sounding = [](int16_t pSample) { return pSample != 0; };
        EXPECT_NEAR(std::find_if(clip.begin(), clip.end(), sounding) - clip.begin(), c.aFirst,
                    reach)
            << row;
        EXPECT_NEAR(clip.rend() - std::find_if(clip.rbegin(), clip.rend(), sounding) - 1, c.aLast,
                    reach)
            << row;
        const double pitches[] = {
            Pitch(clip, c.aFirst + reach, HostFirstSample(firstFrame + 1, c.aFrameRate)),
            Pitch(clip, HostFirstSample(lastFrame, c.aFrameRate), c.aLast - reach)};
        for (const double pitch : pitches)
            EXPECT_NEAR(pitch * 48000 / 997, c.aSpeed, c.aSpeed * 0.001) << row;
        std::vector<int> codes;
        for (const long frame : {firstFrame - 1, firstFrame, lastFrame, lastFrame + 1})
            codes.push_back(sound.Frame(frame, 48000.0 * 1000.0 / c.aFrameRate)[0]);
        EXPECT_EQ(codes, std::vector<int>({c.aRingsBefore ? 0 : 2, 0, 0, c.aRingsAfter ? 0 : 2}))
            << row;
        if (!c.aLooped)
            continue;
        // The second copy from where the first one's medium ends.
        const TTone again(c.aMediumRate, c.aLength), twice(c.aMediumRate, c.aLength, 2);
        again.aSound->seconds = TFakeValueFormula::Line(-c.aLead - c.aLength, step);
        twice.aSound->seconds = TFakeValueFormula::Line(-c.aLead, step);
        const long end = FrameOf(2 * c.aLast, c.aFrameRate) + 2;
        const std::vector<int16_t> first = RenderFrames(sound, c.aFrameRate, 0, end),
                                   second = RenderFrames(*again.aSound, c.aFrameRate, 0, end),
                                   both = RenderFrames(*twice.aSound, c.aFrameRate, 0, end);
        int farthest = 0;
        for (size_t i = 0; i < both.size(); ++i)
            farthest = std::max(farthest, std::abs(first[i] + second[i] - both[i]));
        EXPECT_LE(farthest, 2) << row;
    }
}
