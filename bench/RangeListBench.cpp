// Building a sequence list range by range: with the search started at the list's start
// every Add walks the whole list, while appending at the end position walks nothing; and
// one range that joins a whole list.
#include "ALL/Range.h"

#include <benchmark/benchmark.h>

namespace {

void BM_AddFromStart(benchmark::State& pState) {
    const long count = pState.range(0);
    for (auto _ : pState) {
        TRangeList list;
        for (long i = 0; i < count; ++i)
            list.Add(i * 10, i * 10 + 5, list.begin());
        benchmark::DoNotOptimize(list.size());
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}

void BM_AddAtEnd(benchmark::State& pState) {
    const long count = pState.range(0);
    for (auto _ : pState) {
        TRangeList list;
        for (long i = 0; i < count; ++i)
            list.Add(i * 10, i * 10 + 5, list.end());
        benchmark::DoNotOptimize(list.size());
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}

// One range that joins every other: the merge erases as it goes.
void BM_AddMergingAll(benchmark::State& pState) {
    const long count = pState.range(0);
    for (auto _ : pState) {
        pState.PauseTiming();
        TRangeList list;
        for (long i = 0; i < count; ++i)
            list.Add(i * 10, i * 10 + 5, list.end());
        pState.ResumeTiming();
        list.Add(0, count * 10, list.begin());
        benchmark::DoNotOptimize(list.size());
    }
}

} // namespace

BENCHMARK(BM_AddFromStart)->Arg(100)->Arg(1000);
BENCHMARK(BM_AddAtEnd)->Arg(100)->Arg(1000);
BENCHMARK(BM_AddMergingAll)->Arg(1000);
