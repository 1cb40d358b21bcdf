// Font image strings: a text rendering stream formats and splits one per font parameter and
// frame, so both directions should cost next to nothing beside drawing the text.
#include "DLL/Ctl/FontImage.h"

#include <benchmark/benchmark.h>

namespace {

void BM_GetFontImage(benchmark::State& pState) {
    const wxString face = L"DejaVu Sans";
    int size = 0;
    for (auto _ : pState) {
        wxString image = GetFontImage(face, 12 + (size++ & 7), true, false);
        benchmark::DoNotOptimize(image);
    }
}

void BM_GetFontComp(benchmark::State& pState) {
    const wxString image = L"bI14\tDejaVu Sans";
    wxString face;
    int size = 0;
    bool bold = false, italic = false;
    for (auto _ : pState) {
        GetFontComp(image, face, size, bold, italic);
        benchmark::DoNotOptimize(size);
    }
}

} // namespace

BENCHMARK(BM_GetFontImage);
BENCHMARK(BM_GetFontComp);
