// Waveform summaries and the waveform cache beside the plain work they stand for: the summary
// of an hour of 44.1 kHz stereo 16-bit sound held in memory beside a loop taking each 4 ms
// peak straight from the samples and beside copying the sound in 64 KiB blocks; the cache's
// computing loop (NextTime then ComputeSlice) over 1,920 columns of 8 and 32 rows at three
// scales beside evaluating the medium time twice and taking one level maximum per column;
// a NextTime that finds 64 chunks of 32 rows done; the preview of 1.8 million levels beside
// one pass over them.
#include "DLL/Ctl/Waveform.h"
#include "DLL/Ctl/WaveformBitmap.h"

#include "support/FakeWaveform.h"

#include <wx/colour.h>
#include <wx/image.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

typedef TZVWaveformBitmap TWB;

const size_t theHourFrames = size_t(44100) * 3600;

// An hour of stereo sound: two tones, made once.
const std::shared_ptr<TZVMemorySound>& HourSound() {
    static const std::shared_ptr<TZVMemorySound> theSound = [] {
        std::vector<int16_t> samples(theHourFrames * 2);
        for (size_t frame = 0; frame < theHourFrames; ++frame) {
            samples[2 * frame] = int16_t(12000 * std::sin(double(frame) * 0.0627));
            samples[2 * frame + 1] = int16_t(3000 * std::sin(double(frame) * 0.0123));
        }
        return Sound16(2, 44100, samples, 3600.0);
    }();
    return theSound;
}

void BM_SummaryOfAnHour(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> medium(TZVMedia::OpenMemory(HourSound()));
    TZVWaveformFactory factory;
    for (auto _ : pState)
        factory.Destroy(factory.Create(medium.get()));
    pState.SetBytesProcessed(int64_t(pState.iterations() * HourSound()->aData.size()));
}
BENCHMARK(BM_SummaryOfAnHour)->Unit(benchmark::kMillisecond);

// The peak of each 4 ms of the samples, straight from memory.
void BM_PlainPeaksOfAnHour(benchmark::State& pState) {
    const int16_t* samples = reinterpret_cast<const int16_t*>(HourSound()->aData.data());
    std::vector<uint8_t> levels(3600 * 250 + 1);
    for (auto _ : pState) {
        int peak1 = 0, peak2 = 0, counter = 0;
        size_t step = 0;
        for (size_t frame = 0; frame < theHourFrames; ++frame) {
            peak1 = std::max(peak1, std::abs((samples[2 * frame] + 64) >> 7));
            peak2 = std::max(peak2, std::abs((samples[2 * frame + 1] + 64) >> 7));
            counter += 250;
            if (counter >= 44100) {
                counter -= 44100;
                levels[step++] = uint8_t(peak2 >> 4 << 4 | peak1 >> 4);
                peak1 = peak2 = 0;
            }
        }
        benchmark::DoNotOptimize(levels.data());
    }
    pState.SetBytesProcessed(int64_t(pState.iterations() * HourSound()->aData.size()));
}
BENCHMARK(BM_PlainPeaksOfAnHour)->Unit(benchmark::kMillisecond);

void BM_CopyOfAnHour(benchmark::State& pState) {
    const std::vector<uint8_t>& data = HourSound()->aData;
    std::vector<uint8_t> block(65536);
    for (auto _ : pState) {
        for (size_t offset = 0; offset < data.size(); offset += block.size())
            std::memcpy(block.data(), data.data() + offset,
                        std::min(block.size(), data.size() - offset));
        benchmark::DoNotOptimize(block.data());
    }
    pState.SetBytesProcessed(int64_t(pState.iterations() * data.size()));
}
BENCHMARK(BM_CopyOfAnHour)->Unit(benchmark::kMillisecond);

// Ten minutes of stereo levels, 40 ms of medium a time unit.
struct TRows {
    explicit TRows(int pCount) {
        std::vector<int16_t> samples(150000 * 2);
        for (size_t sample = 0; sample < samples.size(); ++sample)
            samples[sample] = SampleOfLevel(int(sample * 7 % 16));
        aMedium = LevelMedium(2, samples);
        TWB::Init(&aNotify);
        for (int row = 0; row < pCount; ++row) {
            aRows.push_back(std::make_unique<TFakeAudioRow>(aMedium.get(), row));
            aSet.Set(row, &aSeconds);
        }
    }
    ~TRows() {
        aRows.clear();
        aMedium.reset();
        IZVWaveformFactory::theSingleton = nullptr;
    }
    // Marks the 1,920 columns of every row as needed and forgets what was computed.
    void Restart(double pScale) {
        TWB::SetScale(pScale);
        for (const auto& row : aRows)
            TWB::DrawPixelRange(row.get(), 0, 1920);
        TWB::LoadContext(&aSet);
    }

    TChunkLog aNotify;
    std::unique_ptr<TZVMedia> aMedium;
    std::vector<std::unique_ptr<TFakeAudioRow>> aRows;
    TSecondsFormula aSeconds{40.0};
    TFakeContextSet aSet;
};

void BM_CacheComputing(benchmark::State& pState) {
    TRows rows(int(pState.range(0)));
    const double scale = double(pState.range(1)) / 4.0;
    for (auto _ : pState) {
        pState.PauseTiming();
        rows.Restart(scale);
        pState.ResumeTiming();
        long time = 0;
        while (TWB::NextTime(time))
            TWB::ComputeSlice();
    }
    pState.SetItemsProcessed(int64_t(pState.iterations() * 1920 * pState.range(0)));
}
BENCHMARK(BM_CacheComputing)->ArgsProduct({{8, 32}, {1, 4, 16}})->Unit(benchmark::kMicrosecond);

// The same columns done directly: the medium time at a column's two ends and one maximum.
void BM_DirectColumns(benchmark::State& pState) {
    TRows rows(int(pState.range(0)));
    rows.Restart(1.0);
    const TZVWaveform* summary = rows.aMedium->GetWaveform();
    const double scale = double(pState.range(1)) / 4.0;
    std::vector<uint8_t> pixels(1920);
    for (auto _ : pState) {
        for (int row = 0; row < pState.range(0); ++row) {
            for (int column = 0; column < 1920; ++column) {
                const double begin = rows.aSeconds.ComputePointAt(column / scale).GetDouble();
                const double end = rows.aSeconds.ComputePointAt((column + 1) / scale).GetDouble();
                pixels[size_t(column)] =
                    summary->GetIntervalLevel(int64_t(begin * 1000.0), int64_t(end * 1000.0));
            }
            benchmark::DoNotOptimize(pixels.data());
        }
    }
    pState.SetItemsProcessed(int64_t(pState.iterations() * 1920 * pState.range(0)));
}
BENCHMARK(BM_DirectColumns)->ArgsProduct({{8, 32}, {1, 4, 16}})->Unit(benchmark::kMicrosecond);

void BM_NextTimeOverDoneChunks(benchmark::State& pState) {
    TRows rows(32);
    TWB::SetScale(1.0);
    for (const auto& row : rows.aRows)
        TWB::DrawPixelRange(row.get(), 0, 64 * 64);
    TWB::LoadContext(&rows.aSet);
    long time = 0;
    while (TWB::NextTime(time))
        TWB::ComputeSlice();
    for (int chunk = 0; chunk < 64; ++chunk)
        TWB::MarkChunkPost(chunk, true);
    for (auto _ : pState)
        benchmark::DoNotOptimize(TWB::NextTime(time));
    for (int chunk = 0; chunk < 64; ++chunk)
        TWB::MarkChunkPost(chunk, false);
}
BENCHMARK(BM_NextTimeOverDoneChunks)->Unit(benchmark::kMicrosecond);

// 1.8 million stereo levels: two hours.
const std::unique_ptr<TZVMedia>& LongLevels() {
    static const std::unique_ptr<TZVMedia> theMedium = [] {
        std::vector<int16_t> samples(1800000 * 2);
        for (size_t sample = 0; sample < samples.size(); ++sample)
            samples[sample] = SampleOfLevel(int(sample * 5 % 16));
        return LevelMedium(2, samples);
    }();
    return theMedium;
}

void BM_Preview(benchmark::State& pState) {
    TZVWaveformFactory factory;
    TZVWaveform* summary = factory.Create(LongLevels().get());
    for (auto _ : pState) {
        wxImage image = summary->MakePreviewImage(1000, *wxRED, *wxBLACK, *wxWHITE);
        benchmark::DoNotOptimize(image.GetData());
    }
    factory.Destroy(summary);
}
BENCHMARK(BM_Preview)->Unit(benchmark::kMicrosecond);

// One pass over the same levels: each column's nibble maxima.
void BM_OnePassOverLevels(benchmark::State& pState) {
    TZVWaveformFactory factory;
    TZVWaveform* summary = factory.Create(LongLevels().get());
    const int64_t count = summary->aLevelEnd - summary->aLevelBegin;
    std::vector<uint8_t> columns(1000);
    for (auto _ : pState) {
        for (int64_t level = 0; level < count; ++level) {
            uint8_t& column = columns[size_t(level * 1000 / count)];
            const uint8_t byte = summary->aLevelBegin[level];
            column = uint8_t(std::max(column & 0x0F, byte & 0x0F) |
                             std::max(column & 0xF0, byte & 0xF0));
        }
        benchmark::DoNotOptimize(columns.data());
    }
    factory.Destroy(summary);
}
BENCHMARK(BM_OnePassOverLevels)->Unit(benchmark::kMicrosecond);

} // namespace
