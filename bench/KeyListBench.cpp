// Counting key times in and out of a row's key list, as parameter rows do when they are
// switched on and off.
#include "ALL/KeyList.h"

#include <benchmark/benchmark.h>

namespace {

void BM_AddCountInAndOut(benchmark::State& pState) {
    const long count = pState.range(0);
    TKeyList list;
    for (auto _ : pState) {
        for (long i = 0; i < count; ++i)
            list.AddCount(TStreamKey(i * 25), 1);
        for (long i = 0; i < count; ++i)
            list.AddCount(TStreamKey(i * 25), -1);
        benchmark::DoNotOptimize(list.size());
    }
    pState.SetItemsProcessed(pState.iterations() * count * 2);
}

} // namespace

BENCHMARK(BM_AddCountInAndOut)->Arg(100)->Arg(10000);
