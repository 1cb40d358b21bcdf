// The raster helper's exclusive-or against native drawing in wxCOPY, on a 1920 x 1080 memory
// DC: a 5 x 5 size handle (pen and brush, then brush only) and a 1920 x 2 selection band
// (brush only).
// Needs a display: xvfb-run -a build/release/bench/RasterHelperBench
#include "DLL/Ctl/RasterHelper.h"
#include "GuiBench.h"

#include <benchmark/benchmark.h>

namespace {

const wxRect theHandle(960, 540, 5, 5);
const wxRect theBand(0, 540, 1920, 2);

void BM_NativeCopyHandle(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    for (auto _ : pState)
        screen.DC().DrawRectangle(theHandle);
}
BENCHMARK(BM_NativeCopyHandle);

void BM_HelperCopyHandle(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        raster.DrawRectangle(theHandle);
}
BENCHMARK(BM_HelperCopyHandle);

void BM_HelperXorHandle(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxXOR, true);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        raster.DrawRectangle(theHandle);
}
BENCHMARK(BM_HelperXorHandle);

// The same 5 x 5 square with the brush alone: native drawing's cheapest case.
void BM_NativeCopySquare(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, false);
    for (auto _ : pState)
        screen.DC().DrawRectangle(theHandle);
}
BENCHMARK(BM_NativeCopySquare);

void BM_HelperXorSquare(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxXOR, false);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        raster.DrawRectangle(theHandle);
}
BENCHMARK(BM_HelperXorSquare);

void BM_NativeCopyBand(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, false);
    for (auto _ : pState)
        screen.DC().DrawRectangle(theBand);
}
BENCHMARK(BM_NativeCopyBand);

void BM_HelperCopyBand(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, false);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        raster.DrawRectangle(theBand);
}
BENCHMARK(BM_HelperCopyBand);

void BM_HelperXorBand(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxXOR, false);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        raster.DrawRectangle(theBand);
}
BENCHMARK(BM_HelperXorBand);

// The path for targets that are not an image at scale 1 (copy out, exclusive-or, draw back):
// the same 1920 x 2 device pixels, drawn as a 960 x 1 band at scale 2.
void BM_HelperXorBandScaled(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxXOR, false);
    screen.DC().SetUserScale(2, 2);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        raster.DrawRectangle(0, 270, 960, 1);
}
BENCHMARK(BM_HelperXorBandScaled);

} // namespace
