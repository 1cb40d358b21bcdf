#include "REDarodo/MediaAudioStream.h"
#include "REDarodo/Media.h"

#include "MediaWriter.h"
#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <cmath>
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
        aMedia.reset(TZVMedia::Open(std::string(ZV_EXAMPLE_MEDIA) + "/" + pName, &reason));
        EXPECT_TRUE(aMedia) << reason;
        aReader.reset(aMedia->GetAudio()->CreateReader());
        aStream.reset(IMediaAudioStream::Create(aReader.get()));
    }

    // pFrames output frames from medium frame pFirst on, as a render frame asks for them.
    TSamples Play(int pRate, bool pStereo, int64_t pFirst, int pFrames) {
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

} // namespace

// ramp.wav: 8,000 frames a second, sample = 30 x frame - 15,000.
TEST(MediaAudioStream, ResamplesTheRampLinearlyFromTheSoughtFrame) {
    TPlayer player("ramp.wav");
    EXPECT_EQ(player.aStream->GetFormat().aRate, 8000);
    const struct {
        int aRate;
        bool aStereo;
        int64_t aFirst;
        int aFrames;
        TSamples aExpected;
    } cases[] = {
        {8000, false, 10, 3, Ramp({10, 11, 12})},
        {4000, false, 10, 3, Ramp({10, 12, 14})},                // 2:1 takes every other frame
        {16000, false, 10, 4, {-14700, -14685, -14670, -14655}}, // 1:2 halfway between
        {16000, false, 998, 8, {14940, 14955, 14970, 7485}},     // toward silence, then the end
        {8000, false, 995, 10, Ramp({995, 996, 997, 998, 999})}, // short at the end
        {8000, false, -3, 5, Ramp({-3, -2, -1, 0, 1})},          // silence before the start
        {16000, false, -1, 4, {0, -7500, -15000, -14985}},
        {8000, true, 500, 2, {0, 0, 30, 30}},                   // mono duplicated
        {12000, false, 0, 4, {-15000, -14980, -14960, -14940}}, // 2/3 frame a step
        {8000, false, 1000, 5, {}},
        {0, false, 0, 5, {}},
        {-8000, true, 0, 5, {}},
        {8000, false, 0, 0, {}},
        {8000, false, 0, -4, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(player.Play(c.aRate, c.aStereo, c.aFirst, c.aFrames), c.aExpected)
            << c.aRate << " from " << c.aFirst;
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
