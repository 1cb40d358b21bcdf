// The time scale on a zoom and on each ruler redraw: SetScale searches the tick spacing,
// updateUnit places the first ticks. Tiny scales make the search longest.
#include "DLL/Ctl/XScale.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SetScale(benchmark::State& pState) {
    const double scales[2] = {0.03, 1.0 / 134217728};
    const double base = scales[pState.range(0)];
    TZVXScale scale(base);
    int step = 0;
    for (auto _ : pState) {
        scale.SetScale(base * (1 + (step++ & 1)), 640, false);
        benchmark::DoNotOptimize(scale.aUnit);
    }
}

void BM_UpdateUnit(benchmark::State& pState) {
    TZVXScale scale(3);
    for (auto _ : pState) {
        scale.Scroll(7);
        scale.updateUnit();
        benchmark::DoNotOptimize(scale.aMajorPixel);
    }
}

} // namespace

BENCHMARK(BM_SetScale)->Arg(0)->Arg(1);
BENCHMARK(BM_UpdateUnit);
