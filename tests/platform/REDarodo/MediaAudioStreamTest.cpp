#include "REDarodo/MediaAudioStream.h"
#include "REDarodo/Media.h"

#include "MediaWriter.h"
#include "support/Temporary.h"
#include "support/WxPrint.h"

extern "C" {
#include <libswresample/swresample.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<int16_t> TSamples;

// A medium's reader and a resampler over it.
struct TPlayer {
    std::unique_ptr<TZVMedia> aMedia;
    std::unique_ptr<TReaderAudio> aReader;
    std::unique_ptr<IMediaAudioStream> aStream;

    explicit TPlayer(const std::string& pName) {
        wxString reason;
        const std::string path =
            pName[0] == '/' ? pName : std::string(ZV_EXAMPLE_MEDIA) + "/" + pName;
        aMedia.reset(TZVMedia::Open(path, &reason));
        EXPECT_TRUE(aMedia) << reason;
        aReader.reset(aMedia->GetAudio()->CreateReader());
        aStream.reset(IMediaAudioStream::Create(aReader.get()));
    }

    // pFrames output frames from medium frame pFirst on, as a render frame asks for them.
    TSamples Play(double pRate, bool pStereo, double pFirst, int pFrames) {
        aStream->SetStereo(pStereo);
        aStream->SetOutputRate(pRate);
        aStream->Seek(pFirst);
        TSamples samples(size_t(pFrames) * (pStereo ? 2 : 1) + 8, 12345);
        const int read = aStream->GetOutput()->Read(samples.data(), pFrames);
        EXPECT_GE(read, 0);
        samples.resize(size_t(std::max(read, 0)) * (pStereo ? 2 : 1));
        return samples;
    }
};

// The ramp's samples at the given frames, 0 outside the medium's 1,000.
TSamples Ramp(std::initializer_list<int64_t> pFrames) {
    TSamples samples;
    for (int64_t frame : pFrames)
        samples.push_back(frame < 0 || frame >= 1000 ? 0 : RampSample(long(frame), 0, 8000));
    return samples;
}

// pSound (mono, pRate frames a second) resampled to pOutRate by FFmpeg's resampler with its
// defaults, in one run.
TSamples FFmpegResampled(const TSamples& pSound, int pRate, int pOutRate) {
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    SwrContext* resampler = nullptr;
    swr_alloc_set_opts2(&resampler, &mono, AV_SAMPLE_FMT_S16, pOutRate, &mono, AV_SAMPLE_FMT_S16,
                        pRate, 0, nullptr);
    swr_init(resampler);
    TSamples resampled(size_t(swr_get_out_samples(resampler, int(pSound.size()))) + 1024);
    uint8_t* target[] = {reinterpret_cast<uint8_t*>(resampled.data())};
    const uint8_t* source[] = {reinterpret_cast<const uint8_t*>(pSound.data())};
    const int done =
        swr_convert(resampler, target, int(resampled.size()), source, int(pSound.size()));
    target[0] += done * 2;
    const int flushed = swr_convert(resampler, target, int(resampled.size()) - done, nullptr, 0);
    swr_free(&resampler);
    resampled.resize(size_t(done + flushed));
    return resampled;
}

// pSeconds of a sine at pFrequency (half of full scale) sampled at pRate, mono, written into
// the test's folder; its path.
std::string Sine(int pFrequency, int pRate, long pSeconds) {
    const std::string path =
        Temporary("sine" + std::to_string(pFrequency) + "-" + std::to_string(pRate) + ".wav");
    TSoundDesc sine = {"pcm_s16le", AV_SAMPLE_FMT_S16, pRate, 1, pSeconds * pRate, nullptr};
    sine.aSample = [pFrequency](long pFrame, int, int pSoundRate) {
        const long step = long(int64_t(pFrame) * pFrequency % pSoundRate);
        return short(std::lround(16384 * std::sin(2 * M_PI * double(step) / pSoundRate)));
    };
    EXPECT_TRUE(WriteMedia(path, nullptr, &sine)) << path;
    return path;
}

// How far below a tone at pFrequency (in cycles an output frame) the rest of pSound lies, in
// dB: the tone fitted by least squares, a constant beside it, over all but 2,048 frames at
// either end. A tone above the output's band (pFrequency over a half) is the rest whole, and is
// weighed against pLevel, the input's amplitude.
double Residual(const TSamples& pSound, double pFrequency, double pLevel) {
    const size_t first = 2048, end = pSound.size() - 2048;
    const bool within = pFrequency < 0.5;
    // The normal equations of a cos + b sin + c.
    double matrix[3][4] = {};
    for (size_t i = first; i < end; ++i) {
        const double angle = 2 * M_PI * pFrequency * double(i);
        const double basis[3] = {within ? std::cos(angle) : 0, within ? std::sin(angle) : 0, 1};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column)
                matrix[row][column] += basis[row] * basis[column];
            matrix[row][3] += basis[row] * pSound[i];
        }
    }
    double fit[3] = {0, 0, matrix[2][3] / matrix[2][2]};
    if (within) {
        // Gauss-Jordan over the three unknowns.
        for (int pivot = 0; pivot < 3; ++pivot)
            for (int row = 0; row < 3; ++row) {
                if (row == pivot)
                    continue;
                const double factor = matrix[row][pivot] / matrix[pivot][pivot];
                for (int column = 0; column < 4; ++column)
                    matrix[row][column] -= factor * matrix[pivot][column];
            }
        for (int k = 0; k < 3; ++k)
            fit[k] = matrix[k][3] / matrix[k][k];
    }
    double rest = 0;
    for (size_t i = first; i < end; ++i) {
        const double angle = 2 * M_PI * pFrequency * double(i);
        const double error =
            pSound[i] - fit[0] * std::cos(angle) - fit[1] * std::sin(angle) - fit[2];
        rest += error * error;
    }
    const double amplitude = within ? std::hypot(fit[0], fit[1]) : pLevel;
    return 20 * std::log10(amplitude / std::sqrt(2 * rest / double(end - first)));
}

} // namespace

// ramp.wav: 8,000 frames a second, sample = 30 x frame - 15,000. At its own rate from a whole
// frame the stream gives its frames exactly, silence before them; at other rates and from
// between two frames, away from the ramp's ends (steps from and to silence, which a
// band-limited filter rings at), the ramp at each output's position within a level or two.
TEST(MediaAudioStream, ResamplesTheRampFromTheSoughtFrame) {
    TPlayer player("ramp.wav");
    EXPECT_EQ(player.aStream->GetFormat().aRate, 8000);
    const struct {
        double aRate;
        bool aStereo;
        double aFirst;
        int aFrames;
        TSamples aExpected;
        int aWithin;
    } cases[] = {
        {8000, false, 10, 3, Ramp({10, 11, 12}), 0},
        {4000, false, 500, 3, Ramp({500, 502, 504}), 2},            // 2:1 every other frame
        {16000, false, 500, 4, {0, 15, 30, 45}, 2},                 // 1:2 halfway between
        {8000, false, 995, 10, Ramp({995, 996, 997, 998, 999}), 0}, // short at the end
        {8000, false, -3, 5, Ramp({-3, -2, -1, 0, 1}), 0},          // silence before the start
        {8000, true, 500, 2, {0, 0, 30, 30}, 0},                    // mono duplicated
        {12000, false, 600, 4, {3000, 3020, 3040, 3060}, 2},        // 2/3 frame a step
        {8000, false, 600.5, 3, {3015, 3045, 3075}, 2},             // between two frames
        {16000 / 3.0, false, 600.25, 3, {3008, 3053, 3098}, 2},     // 1.5 frames a step
        {8000, false, 1000, 5, {}, 0},
        {0, false, 0, 5, {}, 0},
        {-8000, true, 0, 5, {}, 0},
        {8000, false, 0, 0, {}, 0},
        {8000, false, 0, -4, {}, 0},
    };
    for (const auto& c : cases) {
        const TSamples played = player.Play(c.aRate, c.aStereo, c.aFirst, c.aFrames);
        ASSERT_EQ(played.size(), c.aExpected.size()) << c.aRate << " from " << c.aFirst;
        for (size_t i = 0; i < played.size(); ++i)
            EXPECT_LE(std::abs(played[i] - c.aExpected[i]), c.aWithin)
                << c.aRate << " from " << c.aFirst << ": " << played[i] << " at " << i;
    }
    // Outputs for as long as the filter rings after the medium's last frame (19 frames): 996,
    // 996.5, ... 1018.5.
    EXPECT_EQ(player.aStream->GetReach(16000), 19);
    EXPECT_EQ(player.Play(16000, false, 996, 100).size(), 46u);
}

// Played frame by frame at the medium's own rate, as the media row does, the sound is the
// WAV's bit for bit.
TEST(MediaAudioStream, EqualRatesReproduceTheMediumExactly) {
    TPlayer player("tone.wav");
    TSamples played, direct(2 * 44100);
    for (int64_t first = 0; first < 44100; first += 1764) {
        const TSamples frame = player.Play(44100, true, first, 1764);
        played.insert(played.end(), frame.begin(), frame.end());
    }
    std::unique_ptr<TReaderAudio> reader(player.aMedia->GetAudio()->CreateReader());
    ASSERT_EQ(reader->Read(direct.data(), 44100), 44100);
    EXPECT_EQ(played, direct);
}

// Stereo to mono averages the two channels, rounding halves to even.
TEST(MediaAudioStream, StereoToMonoAveragesTheChannels) {
    TPlayer player("tone.wav");
    const TSamples stereo = player.Play(44100, true, 300, 200);
    const TSamples mono = player.Play(44100, false, 300, 200);
    ASSERT_EQ(mono.size(), 200u);
    for (size_t i = 0; i < mono.size(); ++i) {
        const int sum = stereo[2 * i] + stereo[2 * i + 1];
        EXPECT_EQ(mono[i], int16_t(std::nearbyint(sum / 2.0))) << i;
    }
    EXPECT_NE(stereo[0], stereo[1]);
}

// Tones near the top of a band resampled to 48,000 frames a second leave no more beside them
// than FFmpeg's resampler (its defaults) leaves on the same sound: no alias of 15 kHz at
// 44,100 (an image at 29.1 kHz folds to 18.9 kHz), nothing of 30 kHz at 96,000 (above the
// output's band), no image of 3 kHz at 8,000 (at 5 kHz). Played as the media row plays it, a
// block of 1,920 frames after a seek at each frame's start (25 frames a second). Here: 92.1,
// 92.8 dB and silence, where FFmpeg leaves 85.4, 85.7 and 82.5 dB; linear interpolation left
// 11.1, 8.2 and 0 dB. At 47,995.2 frames a second (x1.0001), a rate that is not whole, the
// weights are interpolated: 89.4, 91.1 dB and silence, what the two 16-bit roundings (the
// medium's and the output's) leave of a tone whose samples repeat no pattern (at 48,000 they
// repeat every 16 samples, and round alike). Sped up so that 43.5 to 64 medium frames make an
// output (96,000 at speed 10 into 22,050), tones above the output's band leave nothing (the
// filter reaches 1/32 of the medium's rate no more: 15.9 dB and 0 dB), where FFmpeg leaves 65.3
// and 73.5 dB; one within it, 100.4 dB.
TEST(MediaAudioStream, ResampledTonesAreCleanerThanFFmpegs) {
    const struct {
        std::string aName;
        int aRate;
        int aFrequency;
        double aOutRate;
        // FFmpeg's output rate, and how far below the rest must lie.
        int aFFmpegRate;
        double aAtLeast;
    } cases[] = {
        {"sine15k.wav", 44100, 15000, 48000, 48000, 90},
        {"sine30k.wav", 96000, 30000, 48000, 48000, 90},
        {"sine3k.wav", 8000, 3000, 48000, 48000, 90},
        {"sine15k.wav", 44100, 15000, 47995.2, 48000, 89},
        {"sine30k.wav", 96000, 30000, 47995.2, 48000, 89},
        {"sine3k.wav", 8000, 3000, 47995.2, 48000, 89},
        // 43.5 to 64 medium frames an output.
        {Sine(1500, 96000, 3), 96000, 1500, 2205, 2205, 90},
        {Sine(3000, 192000, 2), 192000, 3000, 4410, 4410, 90},
        {Sine(1000, 96000, 4), 96000, 1000, 1500, 1500, 90},
        {Sine(300, 96000, 4), 96000, 300, 1500, 1500, 90},
    };
    for (const auto& c : cases) {
        TPlayer player(c.aName);
        ASSERT_EQ(player.aStream->GetFormat().aRate, c.aRate);
        TSamples sound(size_t(player.aReader->GetFrameCount()));
        ASSERT_EQ(player.aReader->Read(sound.data(), int(sound.size())), int(sound.size()));
        TSamples played;
        const double step = 1920 * c.aRate / c.aOutRate;
        for (int64_t frame = 0; double(frame) * step < double(sound.size()); ++frame) {
            const TSamples block = player.Play(c.aOutRate, false, double(frame) * step, 1920);
            played.insert(played.end(), block.begin(), block.end());
        }
        const TSamples reference = FFmpegResampled(sound, c.aRate, c.aFFmpegRate);
        const double ours = Residual(played, c.aFrequency / c.aOutRate, 16384);
        const double theirs = Residual(reference, c.aFrequency / double(c.aFFmpegRate), 16384);
        // As far as the filter rings after the last frame.
        const int64_t reach = player.aStream->GetReach(c.aOutRate);
        EXPECT_EQ(played.size(),
                  size_t(std::ceil(double(int64_t(sound.size()) + reach) * c.aOutRate / c.aRate)))
            << c.aName;
        EXPECT_GE(ours, theirs) << c.aName << " at " << c.aOutRate;
        // Near what 16-bit samples hold: a point lower where the rate is not whole.
        EXPECT_GE(ours, c.aAtLeast) << c.aName << " at " << c.aOutRate;
    }
}
