// Resizing: a drag of 1,000 steps of a row's end edge over 10^4 segments, 10 units each, the
// edge moved in by 20 units a step and back out at the end, each step within a mouse event's
// budget of 1 ms. The record is taken after each drag.
#include "DLL/Row/ParamRow.h"

#include "SegmentedParam.h"

#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

namespace {

constexpr long theSegments = 10000;
constexpr int theSteps = 1000;

void ResizeDrag(benchmark::State& pState) {
    TFakeStreamRow stream;
    TFakeParamRow* row =
        AddSegmentedParam(stream, theSegments, 0.1, [](long pIndex) { return double(pIndex); });
    for (auto _ : pState) {
        row->BeginResize(true, theSegments * 10);
        long from = 0;
        for (int step = 1; step < theSteps; ++step) {
            row->Resize(-20L * step, from);
            from = -20L * step;
        }
        row->Resize(0, from);
        wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
        row->MakeUndoImage(&element);
    }
    pState.counters["per step"] =
        benchmark::Counter(theSteps, benchmark::Counter::kIsIterationInvariantRate |
                                         benchmark::Counter::kInvert);
}
BENCHMARK(ResizeDrag)->Unit(benchmark::kMillisecond);

} // namespace
