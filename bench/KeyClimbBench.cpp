// Key counts climbing a chain of four hidden rows (source, two mixers, root), each level
// counting every change, beside one std::map of counts per level given the same changes.
#include "support/FakeRows.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

const long theTimes = 10000;
const int theRounds = 50; // each round adds then withdraws one count at every time

void BM_PropagateKeyUpHiddenChain(benchmark::State& pState) {
    TFakeStreamRow root(rowKindMIXER), outer(rowKindMIXER), inner(rowKindMIXER);
    TFakeStreamRow source(rowKindSOURCE);
    root.MakeRoot();
    outer.SetParent(&root, false);
    inner.SetParent(&outer, false);
    source.SetParent(&inner, false);
    for (auto _ : pState)
        for (int round = 0; round < theRounds; ++round)
            for (int change : {1, -1})
                for (long t = 0; t < theTimes; ++t)
                    source.PropagateKey(TStreamKey(t), change, false, true);
    benchmark::DoNotOptimize(root.aKeyList.size());
    pState.SetItemsProcessed(pState.iterations() * theRounds * 2 * theTimes);
}

void BM_MapPerLevel(benchmark::State& pState) {
    std::map<long, int> levels[4];
    for (auto _ : pState)
        for (int round = 0; round < theRounds; ++round)
            for (int change : {1, -1})
                for (long t = 0; t < theTimes; ++t)
                    for (std::map<long, int>& level : levels) {
                        const auto it = level.emplace(t, 0).first;
                        it->second += change;
                        if (it->second == 0)
                            level.erase(it);
                    }
    benchmark::DoNotOptimize(levels[3].size());
    pState.SetItemsProcessed(pState.iterations() * theRounds * 2 * theTimes);
}

} // namespace

BENCHMARK(BM_PropagateKeyUpHiddenChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapPerLevel)->Unit(benchmark::kMillisecond);
