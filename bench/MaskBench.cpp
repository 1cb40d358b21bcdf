// The cost of masking one frame (a filter's ApplyMask): a PAL and an HD frame, under a mask
// of the same size and under one half as large whose outside is cleared.
#include "REDarodo/Bitmap.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

void Fill(TAllocBitmap& pBitmap, int pWidth, int pHeight, uint8_t pByte) {
    pBitmap.Resize(pWidth, pHeight);
    pBitmap.Allocate();
    std::memset(pBitmap.GetRawData(), pByte, size_t(pWidth) * size_t(pHeight) * 4);
}

void BM_ApplyMask(benchmark::State& pState) {
    const int width = int(pState.range(0)), height = int(pState.range(1));
    const int divisor = int(pState.range(2));
    TAllocBitmap target, image, mask;
    Fill(target, width, height, 0);
    Fill(image, width, height, 200);
    Fill(mask, width / divisor, height / divisor, 100);
    for (auto _ : pState) {
        target.ApplyMask(image, mask, width / 4, height / 4);
        benchmark::DoNotOptimize(target.GetRawData());
    }
    pState.SetItemsProcessed(pState.iterations() * int64_t(width) * height);
}

} // namespace

BENCHMARK(BM_ApplyMask)->Args({720, 576, 1})->Args({1920, 1080, 1})->Args({1920, 1080, 2});
