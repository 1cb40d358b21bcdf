// The main render streams beside their plain peers. The audio mixer's Update over 1, 4 and
// 16 stereo sources of 1,920 frames, flat and sloped gain, against a loop that sums the same
// int16 arrays with saturation. The video mixer at 1920 x 1080: one opaque full-frame source
// against memcpy of the frame, three half-transparent sources over the background, and an
// unchanged frame (SetRenderContext and the early Update).
#include "DLL/Row/SimpleAudioMixerStream.h"
#include "DLL/Row/SimpleMixerVideoStream.h"

#include "support/FakeRenderContext.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const int FRAMES = 1920;

// Stereo sources of FRAMES frames of varied samples.
std::vector<std::unique_ptr<TFakeAudioStream>> AudioSources(int pCount) {
    std::vector<std::unique_ptr<TFakeAudioStream>> sources;
    for (int k = 0; k < pCount; ++k) {
        sources.push_back(std::make_unique<TFakeAudioStream>());
        sources.back()->AllocateBuffer(FRAMES, true);
        int16_t* data = static_cast<int16_t*>(sources.back()->aBuffer);
        for (int i = 0; i < 2 * FRAMES; ++i)
            data[i] = int16_t((i * 7919 + k * 104729) % 20000 - 10000);
    }
    return sources;
}

void BM_AudioMixer(benchmark::State& pState) {
    const int count = int(pState.range(0));
    const bool sloped = pState.range(1) != 0;
    auto sources = AudioSources(count);
    TFakeRenderContext context;
    context.aQuiet = true;
    context.aParamCount = 1;
    context.aStereo = 1;
    context.aFrameSampleCount = FRAMES;
    context.aSampleCount = FRAMES;
    TFakeValueFormula gain =
        sloped ? TFakeValueFormula::Line(-3.0, 0.5) : TFakeValueFormula::Constant(-3.0);
    context.aFormulas = {&gain};
    for (auto& source : sources)
        context.AddSource(source.get());
    TZVSimpleAudioMixerStream mixer;
    for (auto _ : pState) {
        mixer.SetRenderContext(&context);
        mixer.Update(&context);
        benchmark::DoNotOptimize(mixer.GetAudioData());
    }
    pState.SetItemsProcessed(pState.iterations() * int64_t(count) * 2 * FRAMES);
}

// The peer: the same arrays summed value by value and saturated to 16 bits.
void BM_AudioPlainSum(benchmark::State& pState) {
    const int count = int(pState.range(0));
    auto sources = AudioSources(count);
    std::vector<const int16_t*> data;
    for (auto& source : sources)
        data.push_back(source->GetAudioData());
    std::vector<int16_t> out(2 * FRAMES);
    for (auto _ : pState) {
        for (int i = 0; i < 2 * FRAMES; ++i) {
            int sum = 0;
            for (const int16_t* samples : data)
                sum += samples[i];
            out[i] = int16_t(std::clamp(sum, -32768, 32767));
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    pState.SetItemsProcessed(pState.iterations() * int64_t(count) * 2 * FRAMES);
}

const int WIDTH = 1920, HEIGHT = 1080;
const int64_t FRAME_BYTES = int64_t(WIDTH) * HEIGHT * 4;

// A video mixer over pSources, each redrawn every pass unless pUnchanged.
void RunVideoMixer(benchmark::State& pState, std::vector<TFakeVideoStream>& pSources,
                   bool pUnchanged) {
    TFakeRenderContext context;
    context.aQuiet = true;
    context.aParamCount = 4;
    context.aWidth = WIDTH;
    context.aHeight = HEIGHT;
    TFakeValueFormula background = TFakeValueFormula::Constant(double(0x336699));
    context.aFormulas = {&background};
    for (TFakeVideoStream& source : pSources)
        context.AddSource(&source);
    TZVSimpleMixerVideoStream mixer;
    for (auto _ : pState) {
        context.NextPass();
        if (!pUnchanged)
            for (TFakeVideoStream& source : pSources)
                source.aChangeStamp = context.aStamp;
        mixer.SetRenderContext(&context);
        mixer.Update(&context);
        benchmark::DoNotOptimize(mixer.GetRawData());
    }
    pState.SetBytesProcessed(pState.iterations() * FRAME_BYTES);
}

void BM_VideoMixerOpaque(benchmark::State& pState) {
    std::vector<TFakeVideoStream> sources(1);
    sources[0].SetFrame(WIDTH, HEIGHT, 0xFF204060);
    sources[0].aNoAlpha = true;
    RunVideoMixer(pState, sources, false);
}

// The peer: copying the frame.
void BM_VideoMemcpy(benchmark::State& pState) {
    std::vector<char> from(FRAME_BYTES, 1), to(FRAME_BYTES);
    for (auto _ : pState) {
        std::memcpy(to.data(), from.data(), FRAME_BYTES);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    pState.SetBytesProcessed(pState.iterations() * FRAME_BYTES);
}

void BM_VideoMixerHalfTransparent(benchmark::State& pState) {
    std::vector<TFakeVideoStream> sources(3);
    for (TFakeVideoStream& source : sources)
        source.SetFrame(WIDTH, HEIGHT, 0x80402010);
    RunVideoMixer(pState, sources, false);
}

void BM_VideoMixerUnchanged(benchmark::State& pState) {
    std::vector<TFakeVideoStream> sources(1);
    sources[0].SetFrame(WIDTH, HEIGHT, 0xFF204060);
    sources[0].aNoAlpha = true;
    sources[0].aChangeStamp = 1;
    RunVideoMixer(pState, sources, true);
}

} // namespace

BENCHMARK(BM_AudioMixer)->Args({1, 0})->Args({4, 0})->Args({16, 0})->Args({16, 1});
BENCHMARK(BM_AudioPlainSum)->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_VideoMixerOpaque)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoMemcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoMixerHalfTransparent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoMixerUnchanged)->Unit(benchmark::kMicrosecond);
