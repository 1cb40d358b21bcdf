// Compositing one HD frame: BitBlt and Blend of 1920 x 1080 beside memcpy of the same bytes,
// the bandwidth they are measured against. Blend's target has every alpha (a gradient), so
// no pixel takes a shortcut.
#include "REDarodo/Bitmap.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

const int WIDTH = 1920, HEIGHT = 1080;
const size_t BYTES = size_t(WIDTH) * HEIGHT * 4;

// Premultiplied pixels whose alpha runs through every value.
std::vector<uint8_t> Gradient(int pShift) {
    std::vector<uint8_t> pixels(BYTES);
    for (size_t i = 0; i < BYTES; i += 4) {
        const uint8_t alpha = uint8_t((i / 4 + pShift) % 256);
        pixels[i] = pixels[i + 1] = pixels[i + 2] = alpha / 2;
        pixels[i + 3] = alpha;
    }
    return pixels;
}

void Report(benchmark::State& pState) {
    pState.SetBytesProcessed(pState.iterations() * int64_t(BYTES));
}

void BM_Memcpy(benchmark::State& pState) {
    std::vector<uint8_t> source = Gradient(0), target(BYTES);
    for (auto _ : pState) {
        std::memcpy(target.data(), source.data(), BYTES);
        benchmark::ClobberMemory();
    }
    Report(pState);
}

void BM_BitBlt(benchmark::State& pState) {
    std::vector<uint8_t> source = Gradient(0), target(BYTES);
    const TBitmap from(source.data(), WIDTH, HEIGHT), to(target.data(), WIDTH, HEIGHT);
    for (auto _ : pState) {
        to.BitBlt(0, 0, from, 0, 0, WIDTH, HEIGHT);
        benchmark::ClobberMemory();
    }
    Report(pState);
}

// Blend's cost does not depend on the pixels, so the target is blended over and over.
void BM_Blend(benchmark::State& pState) {
    std::vector<uint8_t> source = Gradient(0), target = Gradient(77);
    const TBitmap from(source.data(), WIDTH, HEIGHT), to(target.data(), WIDTH, HEIGHT);
    for (auto _ : pState) {
        to.Blend(0, 0, from, 0, 0, WIDTH, HEIGHT);
        benchmark::ClobberMemory();
    }
    Report(pState);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBlt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Blend)->Unit(benchmark::kMicrosecond);
