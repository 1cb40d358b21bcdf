// Resampling a minute of stereo sound from 44,100 to 48,000 frames a second: through
// IMediaAudioStream as the media row plays it (a block of 1,920 frames after a seek at each
// frame's start, 25 frames a second, the WAV read on the way), beside FFmpeg's resampler with
// its defaults converting the same sound, already in memory, in one run. And the same played
// 1% fast at 29.97 frames a second: a rate that is not whole (47,524.75 frames a second) and
// each frame's start between two medium frames, so that weights are interpolated. And sped up
// 16 to 64 times. The WAV is written once into a temporary folder.
#include "REDarodo/Media.h"
#include "REDarodo/MediaAudioStream.h"

#include "MediaWriter.h"

extern "C" {
#include <libswresample/swresample.h>
}

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const int theRate = 44100;
const long theFrames = 60L * theRate;
// One render frame's outputs at 48,000 frames a second and 25 frames a second.
const int theOutputBlock = 48000 / 25;

char theFolder[] = "/tmp/ResampleBenchXXXXXX";

void RemoveFiles() {
    std::remove((std::string(theFolder) + "/minute.wav").c_str());
    std::remove(theFolder);
}

// The minute of the example tone, written on first use.
std::string Minute() {
    static const std::string thePath = [] {
        const TSoundDesc sound = {"pcm_s16le", AV_SAMPLE_FMT_S16, theRate,
                                  2,           theFrames,         ExampleSample};
        if (!mkdtemp(theFolder))
            std::abort();
        std::atexit(RemoveFiles);
        const std::string path = std::string(theFolder) + "/minute.wav";
        if (!WriteMedia(path, nullptr, &sound))
            std::abort();
        return path;
    }();
    return thePath;
}

std::unique_ptr<TZVMedia> OpenMinute() {
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(Minute(), &reason));
    if (!media || !media->GetAudio())
        std::abort();
    return media;
}

// Plays the minute at pOutRate frames a second in blocks of 1,920 outputs, each after a seek
// to where it lies in the medium; the outputs played.
int64_t PlayBlocks(const TZVMedia& pMedia, double pOutRate, std::vector<int16_t>& pBuffer) {
    std::unique_ptr<TReaderAudio> reader(pMedia.GetAudio()->CreateReader());
    std::unique_ptr<IMediaAudioStream> stream(IMediaAudioStream::Create(reader.get()));
    stream->SetStereo(true);
    stream->SetOutputRate(pOutRate);
    const double block = theOutputBlock * theRate / pOutRate;
    int64_t frames = 0;
    for (long at = 0; double(at) * block < double(theFrames); ++at) {
        stream->Seek(double(at) * block);
        frames += stream->GetOutput()->Read(pBuffer.data(), theOutputBlock);
        benchmark::DoNotOptimize(pBuffer.data());
    }
    return frames;
}

void BM_StandIn(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> media = OpenMinute();
    std::vector<int16_t> buffer(size_t(theOutputBlock) * 2);
    int64_t frames = 0;
    for (auto _ : pState)
        frames = PlayBlocks(*media, 48000, buffer);
    pState.SetItemsProcessed(pState.iterations() * frames);
}

void BM_StandInAtSpeed(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> media = OpenMinute();
    const double speed = 1.01, frameSamples = 48000 * 1000.0 / 29970;
    std::vector<int16_t> buffer(size_t(theOutputBlock) * 2);
    int64_t frames = 0;
    for (auto _ : pState) {
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        std::unique_ptr<IMediaAudioStream> stream(IMediaAudioStream::Create(reader.get()));
        stream->SetStereo(true);
        frames = 0;
        for (long frame = 0;; ++frame) {
            const double first = std::floor(double(frame) * frameSamples);
            const int count = int(std::floor(double(frame + 1) * frameSamples) - first);
            stream->SetOutputRate(48000 / speed);
            stream->Seek(first * speed * theRate / 48000);
            const int read = stream->GetOutput()->Read(buffer.data(), count);
            benchmark::DoNotOptimize(buffer.data());
            frames += read;
            if (read < count)
                break;
        }
    }
    pState.SetItemsProcessed(pState.iterations() * frames);
}

// The minute played from 16 to 64 of its frames an output (speeding it up that much): beyond
// 32 the filter reaches as far as the band asks, so that an output weighs twice as many frames
// at 64 as at 32 and 16 (each output reads its 16 to 64 frames besides).
void BM_StandInAtRatio(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> media = OpenMinute();
    std::vector<int16_t> buffer(size_t(theOutputBlock) * 2);
    int64_t frames = 0;
    for (auto _ : pState)
        frames = PlayBlocks(*media, double(theRate) / double(pState.range(0)), buffer);
    pState.SetItemsProcessed(pState.iterations() * frames);
}

void BM_FFmpeg(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> media = OpenMinute();
    std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
    std::vector<int16_t> sound(size_t(theFrames) * 2);
    if (reader->Read(sound.data(), int(theFrames)) != theFrames)
        std::abort();
    std::vector<int16_t> output(size_t(theFrames) * 48000 / theRate * 2 + 4096);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    int64_t frames = 0;
    for (auto _ : pState) {
        SwrContext* resampler = nullptr;
        swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, 48000, &stereo,
                            AV_SAMPLE_FMT_S16, theRate, 0, nullptr);
        swr_init(resampler);
        uint8_t* target[] = {reinterpret_cast<uint8_t*>(output.data())};
        const uint8_t* source[] = {reinterpret_cast<const uint8_t*>(sound.data())};
        const int room = int(output.size() / 2);
        frames = swr_convert(resampler, target, room, source, int(theFrames));
        target[0] += frames * 4;
        frames += swr_convert(resampler, target, room - int(frames), nullptr, 0);
        benchmark::DoNotOptimize(output.data());
        swr_free(&resampler);
    }
    pState.SetItemsProcessed(pState.iterations() * frames);
}

} // namespace

BENCHMARK(BM_StandIn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FFmpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StandInAtSpeed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StandInAtRatio)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);
