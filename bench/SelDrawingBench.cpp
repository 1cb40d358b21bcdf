// Selection and key drawing on a 1920 x 1080 memory DC, each beside the plain drawing of the
// same pixels:
// - 100,000 keys against 1,000 selected ranges (half of each 100 time units selected, so the
//   pen changes 2,000 times), beside 100,000 lines of the same length through the raster
//   helper: the key walk should cost little beyond the lines;
// - the zero-width time selection in XOR over 50 rows of height 20, beside the same 51 pieces
//   drawn natively in wxCOPY.
// Needs a display: xvfb-run -a build/release/bench/SelDrawingBench
#include "ALL/KeyList.h"
#include "DLL/Ctl/KeyDrawingContext.h"
#include "DLL/Ctl/RasterHelper.h"
#include "DLL/Ctl/SelDrawingRect.h"
#include "DLL/Ctl/XScale.h"
#include "DLL/Res/DrawingResources.h"
#include "GuiBench.h"
#include "support/FakeRows.h"

#include <benchmark/benchmark.h>

namespace {

const int theKeyCount = 100000;
const int theRowCount = 50;

class TNoMarker : public IZVKeyMarker {
public:
    void MarkKeyAt(int) const override {}
};

void BM_KeysDrawn(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    TFakeTimeSelection selection;
    for (long begin = 0; begin < theKeyCount; begin += 100)
        selection.aRanges.push_back(TRange(begin, begin + 49));
    TKeyList keys;
    for (long time = 0; time < theKeyCount; ++time)
        keys.AddCount(TStreamKey(time), 1);
    const TZVXScale scale(1920.0 / theKeyCount);
    const TNoMarker marker;
    TZVKeyDrawingContext context(screen.DC(), scale, 0, 1919, false);
    for (auto _ : pState) {
        context.UpdateRange(TRange(0, theKeyCount), false);
        context.Draw(keys, 500, 524, true, &marker);
    }
    pState.SetItemsProcessed(pState.iterations() * theKeyCount);
}
BENCHMARK(BM_KeysDrawn)->Unit(benchmark::kMillisecond);

void BM_PlainLines(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    const TRasterHelper raster(screen.DC());
    for (auto _ : pState)
        for (int i = 0; i < theKeyCount; ++i) {
            const int x = int(int64_t(i) * 1920 / theKeyCount);
            raster.DrawLine(x, 504, x, 521);
        }
    pState.SetItemsProcessed(pState.iterations() * theKeyCount);
}
BENCHMARK(BM_PlainLines)->Unit(benchmark::kMillisecond);

class TRows {
public:
    TRows() : aProject(&aRoot) {
        for (int i = 0; i < theRowCount; ++i)
            aRoot.AddRow(20 * i, 20);
    }

private:
    TFakeRootRow aRoot;
    TFakeProject aProject;
};

void BM_TimeSelLineXor(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    const TRows rows;
    const TZVSelDrawingRect line(screen.DC(), 0, 960, 0, 0, 20 * theRowCount);
    for (auto _ : pState)
        line.DrawTimeSelRect();
}
BENCHMARK(BM_TimeSelLineXor)->Unit(benchmark::kMicrosecond);

// The same pieces: 2 rows at the top, 5 across each boundary, 3 at the bottom.
void BM_TimeSelLineNative(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    wxDC& dc = screen.DC();
    for (auto _ : pState) {
        dc.DrawLine(960, 0, 960, 2);
        for (int row = 1; row < theRowCount; ++row)
            dc.DrawLine(960, 20 * row - 3, 960, 20 * row + 2);
        dc.DrawLine(960, 20 * theRowCount - 3, 960, 20 * theRowCount);
    }
}
BENCHMARK(BM_TimeSelLineNative)->Unit(benchmark::kMicrosecond);

} // namespace
