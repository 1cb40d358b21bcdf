// The number image against the shortest decimal form: both are exact, the image should be
// the cheaper one to write and to read.
#include "ALL/Variant.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t COUNT = 1000000;

// Varied doubles as project files hold them: half any 64-bit pattern (numbers of every
// magnitude, subnormals, infinities, NaNs), a quarter computed values (key coefficients,
// formula results), a quarter short typed values (whole numbers, two decimals).
const std::vector<double>& Values() {
    static const std::vector<double> theValues = [] {
        std::mt19937_64 random(7);
        std::vector<double> values;
        values.reserve(COUNT + 4);
        for (size_t i = 0; values.size() < COUNT; ++i) {
            for (int j = 0; j < 2; ++j) {
                const uint64_t bits = random();
                values.push_back(IsTagBits(bits) ? 0.0 : BitsToDouble(bits));
            }
            values.push_back(std::sin(double(i)) * 100.0 / 3.0);
            values.push_back(random() % 2 ? double(random() % 20000) - 10000.0
                                          : double(random() % 100000) / 100.0);
        }
        values.resize(COUNT);
        return values;
    }();
    return theValues;
}

template <typename T>
std::vector<T> Images(T (*pWrite)(double)) {
    std::vector<T> images;
    images.reserve(COUNT);
    for (double value : Values())
        images.push_back(pWrite(value));
    return images;
}

std::string Decimal(double pValue) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, pValue);
    return std::string(buffer, result.ptr);
}

void WriteImage(benchmark::State& pState) {
    for (auto _ : pState)
        for (double value : Values())
            benchmark::DoNotOptimize(IEEE754Image(value));
    pState.SetItemsProcessed(int64_t(pState.iterations() * COUNT));
}

void WriteDecimal(benchmark::State& pState) {
    for (auto _ : pState)
        for (double value : Values())
            benchmark::DoNotOptimize(Decimal(value));
    pState.SetItemsProcessed(int64_t(pState.iterations() * COUNT));
}

void ReadImage(benchmark::State& pState) {
    const std::vector<wxString> images = Images(IEEE754Image);
    for (auto _ : pState) {
        for (const wxString& image : images) {
            uint64_t bits;
            benchmark::DoNotOptimize(GetIEEE754Value(image, &bits));
            benchmark::DoNotOptimize(bits);
        }
    }
    pState.SetItemsProcessed(int64_t(pState.iterations() * COUNT));
}

void ReadDecimal(benchmark::State& pState) {
    const std::vector<std::string> images = Images(Decimal);
    for (auto _ : pState) {
        for (const std::string& image : images) {
            double value;
            benchmark::DoNotOptimize(
                std::from_chars(image.data(), image.data() + image.size(), value));
            benchmark::DoNotOptimize(value);
        }
    }
    pState.SetItemsProcessed(int64_t(pState.iterations() * COUNT));
}

} // namespace

BENCHMARK(WriteImage)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteDecimal)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadImage)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadDecimal)->Unit(benchmark::kMillisecond);
