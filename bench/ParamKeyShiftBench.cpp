// One step of a key drag (the previous step undone, 100 keys moved, the sequence refilled)
// against copying the row's segment set, which a drag that restored a snapshot at every
// step would pay before moving anything.
#include "SegmentedParam.h"

#include <benchmark/benchmark.h>

namespace {

// A row of touching segments 10 time units long, with 100 of its keys selected in its
// middle; the selection's bounds lie inside segments, so small steps take the plain path.
class TDraggedRow {
public:
    explicit TDraggedRow(long pSegments) {
        aRow = AddSegmentedParam(aStream, pSegments, 0.01,
                                 [](long pIndex) { return double(pIndex % 7); });
        aSelected = TRange((pSegments - 100) / 2 * 10 + 5, (pSegments + 98) / 2 * 10 + 5);
        aSelection.aRanges.push_back(aSelected);
    }
    // One step: the selection at its shifted place, as the host shows it, then the keys.
    void Step(int pDistance) {
        aSelection.aRanges.front() =
            TRange(aSelected.aBegin + pDistance, aSelected.aEnd + pDistance);
        aRow->Shift(pDistance, false);
    }

    TFakeProject aProject;
    TFakeStreamRow aStream;
    TFakeParamRow* aRow;
    TFakeTimeSelection aSelection;
    TRange aSelected;
};

void ShiftStep(benchmark::State& pState) {
    TDraggedRow dragged(pState.range(0));
    int distance = 3;
    for (auto _ : pState) {
        dragged.Step(distance);
        benchmark::DoNotOptimize(dragged.aRow->aUndoList.size());
        distance = distance == 3 ? 5 : 3;
    }
}

void CopySegments(benchmark::State& pState) {
    TDraggedRow dragged(pState.range(0));
    for (auto _ : pState) {
        TABCFormulaSortList copy(dragged.aRow->aFormulaList);
        benchmark::DoNotOptimize(copy.size());
    }
}

} // namespace

BENCHMARK(ShiftStep)->Arg(100)->Arg(10000);
BENCHMARK(CopySegments)->Arg(100)->Arg(10000);
