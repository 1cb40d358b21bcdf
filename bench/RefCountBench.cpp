// The cost of taking and dropping a reference, alone and with a second thread working on
// the same count.
#include "ALL/RefCount.h"

#include <benchmark/benchmark.h>

namespace {

class TStream : public TRefCounted {};

TStream* theShared = nullptr;

void BM_AddRefRelease(benchmark::State& pState) {
    if (pState.thread_index() == 0) {
        theShared = new TStream;
        theShared->AddRef();
    }
    for (auto _ : pState) {
        theShared->AddRef();
        benchmark::DoNotOptimize(theShared->Release());
    }
    if (pState.thread_index() == 0)
        theShared->Release();
}

} // namespace

BENCHMARK(BM_AddRefRelease)->Threads(1)->Threads(2);
