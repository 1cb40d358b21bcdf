// Storing into a full 16 MB undo buffer (records of 1 to 10 KB, the oldest dropped to make
// room) against a single memmove of the bytes each store keeps.
#include "DLL/Edt/UndoBuffer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

const unsigned long BUFFER_SIZE = 16ul << 20;

class TBenchUndoer : public TUndoer {
public:
    bool ApplyUndo(TUndoData*, TUndoBuffer*, bool) override { return true; }
};

// Record sizes of 1 to 10 KB, multiples of 4, in a fixed random order.
std::vector<uint32_t> RecordSizes() {
    std::mt19937 random(42);
    std::vector<uint32_t> sizes(997);
    for (uint32_t& size : sizes)
        size = (1024 + random() % (9 * 1024 + 1)) & ~3u;
    return sizes;
}

void BM_StoreDataIntoFullBuffer(benchmark::State& pState) {
    const std::vector<uint32_t> sizes = RecordSizes();
    TBenchUndoer owner;
    std::vector<uint32_t> storage(10 * 1024 / 4 + 1, 0x5A5A5A5A);
    auto* record = reinterpret_cast<TUndoer::TUndoData*>(storage.data());
    record->SetUndoer(&owner);
    TUndoBuffer buffer(BUFFER_SIZE);
    size_t next = 0;
    auto store = [&] {
        record->aAllocSize = record->aLength = sizes[next++ % sizes.size()];
        buffer.StoreData(*record);
    };
    for (unsigned long filled = 0; filled < 2 * BUFFER_SIZE; filled += record->aAllocSize)
        store();
    for (auto _ : pState)
        store();
    pState.SetBytesProcessed(int64_t(pState.iterations()) * int64_t(BUFFER_SIZE));
}
BENCHMARK(BM_StoreDataIntoFullBuffer)->Unit(benchmark::kMicrosecond);

void BM_MemmoveOfTheKeptBytes(benchmark::State& pState) {
    const std::vector<uint32_t> sizes = RecordSizes();
    std::unique_ptr<uint8_t[]> block(new uint8_t[BUFFER_SIZE]);
    std::memset(block.get(), 0x5A, BUFFER_SIZE);
    size_t next = 0;
    for (auto _ : pState) {
        const uint32_t size = sizes[next++ % sizes.size()];
        std::memmove(block.get() + size, block.get(), BUFFER_SIZE - 10 * 1024 - size);
        benchmark::DoNotOptimize(block.get());
    }
    pState.SetBytesProcessed(int64_t(pState.iterations()) * int64_t(BUFFER_SIZE));
}
BENCHMARK(BM_MemmoveOfTheKeptBytes)->Unit(benchmark::kMicrosecond);

} // namespace
