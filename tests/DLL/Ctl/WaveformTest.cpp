#include "DLL/Ctl/Waveform.h"

#include "support/FakeWaveform.h"

#include <wx/colour.h>
#include <wx/image.h>

#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <sstream>
#include <tuple>

namespace {

struct TWaveDeleter {
    void operator()(TZVWaveform* pWave) const {
        TZVWaveformFactory factory;
        factory.Destroy(pWave);
    }
};
typedef std::unique_ptr<TZVWaveform, TWaveDeleter> TWavePtr;

TWavePtr Summarize(TZVMedia* pMedia) {
    TZVWaveformFactory factory;
    return TWavePtr(factory.Create(pMedia));
}

// "<ms>ms" and the level bytes in hex, runs of three or more as "<byte>*<count>".
std::string Describe(const TZVWaveform& pWave) {
    std::ostringstream text;
    text << pWave.aLengthMs << "ms";
    for (const uint8_t* byte = pWave.aLevelBegin; byte != pWave.aLevelEnd;) {
        const uint8_t* run = byte;
        while (run != pWave.aLevelEnd && *run == *byte)
            ++run;
        char hex[8];
        std::snprintf(hex, sizeof hex, " %02X", *byte);
        text << hex;
        if (run - byte >= 3)
            text << "*" << (run - byte);
        else if (run - byte == 2)
            text << hex;
        byte = run;
    }
    return text.str();
}

std::shared_ptr<TZVMemorySound> Sound8(int pChannels, uint32_t pRate, std::vector<uint8_t> pSamples,
                                       double pSeconds) {
    auto sound = std::make_shared<TZVMemorySound>();
    sound->aFormat = PcmFormat(pChannels, 8, pRate);
    sound->aDuration = pSeconds;
    sound->aData = std::move(pSamples);
    return sound;
}

std::vector<int16_t> Repeat(std::vector<int16_t> pFrame, size_t pCount) {
    std::vector<int16_t> samples;
    for (size_t frame = 0; frame < pCount; ++frame)
        samples.insert(samples.end(), pFrame.begin(), pFrame.end());
    return samples;
}

std::shared_ptr<TZVMemorySound> Loud(size_t pFrames, double pSeconds, std::vector<int> pReads) {
    std::vector<int16_t> samples(pFrames, 32767);
    auto sound = Sound16(1, 44100, samples, pSeconds);
    sound->aReadCounts = std::move(pReads);
    return sound;
}

TEST(WaveformTest, SummariesOfEachFormatAndOfHostileReaders) {
    std::vector<int16_t> firstStep(178, 0);
    firstStep[176] = 32767; // the 177th frame still belongs to the first step
    firstStep[177] = 16384;
    auto manyChannels = std::make_shared<TZVMemorySound>();
    manyChannels->aFormat = PcmFormat(65535, 16, 250);
    manyChannels->aData.assign(131070, 0x7F);
    manyChannels->aDuration = 0.004;
    auto noChannels = Sound8(0, 250, {255, 255}, 0.008);
    noChannels->aReadCounts = {2};
    std::vector<uint8_t> wide8;
    for (int frame = 0; frame < 20000; ++frame)
        wide8.insert(wide8.end(), {255, 128, 0, 0});

    const std::vector<std::pair<std::string, std::shared_ptr<TZVMemorySound>>> cases = {
        {"stereo 32767 64", Sound16(2, 44100, Repeat({32767, 64}, 44100), 1.0)},
        {"16-bit levels", Sound16(1, 250, {63, 64, -32768, -64, -65, 32767}, 0.024)},
        {"8-bit levels", Sound8(1, 250, {128, 0, 255, 129}, 0.016)},
        {"first step", Sound16(1, 44100, firstStep, 0.008)},
        {"10 ms mono", Sound16(1, 250, std::vector<int16_t>(4, SampleOfLevel(5)), 0.010)},
        {"4 channels", Sound16(4, 250, {32767, 64, 32767, 32767, 64, 32767, 0, 0}, 0.008)},
        {"8-bit 4 channels", Sound8(4, 250, wide8, 80.0)},
        {"65535 channels", manyChannels},
        {"0 channels", noChannels},
        {"negative", Sound16(1, 250, {32767}, -1.0)},
        {"NaN", Sound16(1, 250, {32767}, std::nan(""))},
        {"read above request", Loud(200, 1.0, {1000000})},
        {"early end", Loud(100, 1.0, {})},
        {"short reads", Loud(100000, 1.0, {10, -1})},
    };
    std::string log;
    for (const auto& item : cases) {
        std::unique_ptr<TZVMedia> media(TZVMedia::OpenMemory(item.second));
        log += item.first + ": " + Describe(*Summarize(media.get())) + "\n";
    }
    EXPECT_EQ(log, "stereo 32767 64: 1000ms 1F*250\n"
                   "16-bit levels: 24ms 10 0F F1\n"
                   "8-bit levels: 16ms F0 2F\n"
                   "first step: 8ms DF\n"
                   "10 ms mono: 10ms 55 55\n"
                   "4 channels: 8ms 1F F1\n"
                   "8-bit 4 channels: 80000ms 0F*20000\n"
                   "65535 channels: 4ms 00\n"
                   "0 channels: 8ms 00\n"
                   "negative: 0ms\n"
                   "NaN: 0ms\n"
                   "read above request: 1000ms FF 00*124\n"
                   "early end: 1000ms 0F 00*124\n"
                   "short reads: 1000ms 0F 00*124\n");
}

TEST(WaveformTest, OverlongSoundIsRefusedAsOutOfMemory) {
    std::unique_ptr<TZVMedia> media(TZVMedia::OpenMemory(Sound16(1, 44100, {1}, 1e12)));
    EXPECT_THROW(Summarize(media.get()), std::bad_alloc);
    TZVWaveformFactory factory;
    factory.Destroy(nullptr);
}

// Each column top to bottom as runs "<count><letter>": w wave, b back, m middle, as the
// image shows them (red and blue exchanged), '?' another colour.
std::string Columns(const wxImage& pImage, const wxColour& pWave, const wxColour& pBack,
                    const wxColour& pMiddle) {
    std::string text;
    for (int x = 0; x < pImage.GetWidth(); ++x) {
        std::string column;
        char last = 0;
        for (int y = 0, run = 0; y <= pImage.GetHeight(); ++y, ++run) {
            char letter = 0;
            if (y < pImage.GetHeight()) {
                const wxColour shown(pImage.GetBlue(x, y), pImage.GetGreen(x, y),
                                     pImage.GetRed(x, y));
                letter = shown == pWave ? 'w' : shown == pBack ? 'b' : shown == pMiddle ? 'm' : '?';
            }
            if (letter != last && run > 0)
                column += std::to_string(run) + last, run = 0;
            last = letter;
        }
        text += column + " ";
    }
    return text;
}

// Mono bars rise from the bottom; in stereo the first channel hangs from the middle row and
// the second rises to it. A column takes the peak of every level that falls on it.
TEST(WaveformTest, PreviewsShowThePeakOfEachColumn) {
    const wxColour wave(200, 10, 20), back(1, 2, 3), middle(90, 80, 70);
    std::vector<int16_t> peaks;
    for (int level : {1, 2, 3, 9, 5, 6, 7, 8})
        peaks.push_back(SampleOfLevel(level));
    const std::vector<int16_t> stereo = {SampleOfLevel(2), SampleOfLevel(9), SampleOfLevel(0),
                                         SampleOfLevel(4)};
    const std::tuple<int, std::vector<int16_t>, int> cases[] = {
        {2, stereo, 2}, {1, peaks, 1}, {1, peaks, 3}, {1, peaks, 8}, {1, peaks, 10}};
    std::string log;
    for (const auto& [channels, samples, width] : cases) {
        std::unique_ptr<TZVMedia> medium = LevelMedium(channels, samples);
        log += Columns(Summarize(medium.get())->MakePreviewImage(width, wave, back, middle), wave,
                       back, middle) +
               "\n";
    }
    EXPECT_EQ(log, "13b2w1m9w6b 15b1m4w11b \n"
                   "6b9w \n"
                   "12b3w 6b9w 7b8w \n"
                   "14b1w 13b2w 12b3w 6b9w 10b5w 9b6w 8b7w 7b8w \n"
                   "14b1w 13b2w 12b3w 6b9w 6b9w 10b5w 9b6w 8b7w 7b8w 7b8w \n");
}

} // namespace
