// The value of a keyed parameter at a time, as rendering asks for it, against the practical
// limit of that look-up: std::upper_bound over a sorted vector of the same begins, then one
// Horner evaluation of the segment found (its end, value and coefficients from a parallel
// vector). Lists of 10^2 to 10^5 touching segments, asked at random times and at
// consecutive times (one time unit apart, so most steps stay in the segment).
#include "DLL/Bas/ABCFormulaSortList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr size_t BATCH = 1024;

struct TPlainSegment {
    long aEnd;
    double aValue, a, b, c;
};

// The same segments in both forms, and the times to ask.
struct TFixture {
    explicit TFixture(long pCount, bool pConsecutive) {
        std::mt19937_64 random(pCount);
        std::uniform_real_distribution<double> coefficient(-1.0, 1.0);
        long time = 0;
        for (long i = 0; i < pCount; ++i) {
            const long begin = time;
            time += 10 + long(random() % 90);
            TABCFormula segment(begin, coefficient(random) * 100.0, time);
            segment.a = coefficient(random) * 1e-3;
            segment.b = coefficient(random) * 1e-2;
            segment.c = coefficient(random);
            aList.insert(aList.end(), segment);
            aBegins.push_back(begin);
            aPlain.push_back({time, segment.aValue.GetDouble(), segment.a, segment.b, segment.c});
        }
        for (size_t i = 0; i < 65536; ++i) {
            const double fraction = double(random() % 1000) / 1000.0;
            aTimes.push_back(pConsecutive ? double(long(i) % time) + fraction
                                          : double(long(random() % uint64_t(time))) + fraction);
        }
    }

    double PlainValueAt(double pTime) const {
        const auto after = std::upper_bound(aBegins.begin(), aBegins.end(), pTime,
                                            [](double pT, long pBegin) { return pT < pBegin; });
        if (after == aBegins.begin())
            return 0.0;
        const size_t index = size_t(after - aBegins.begin()) - 1;
        const TPlainSegment& s = aPlain[index];
        if (!(pTime < double(s.aEnd)))
            return 0.0;
        const double x = pTime - double(aBegins[index]);
        return s.aValue + ((s.a * x + s.b) * x + s.c) * x;
    }

    TABCFormulaSortList aList;
    std::vector<long> aBegins;
    std::vector<TPlainSegment> aPlain;
    std::vector<double> aTimes;
};

template <bool CONSECUTIVE>
void BM_SortList(benchmark::State& pState) {
    const TFixture fixture(pState.range(0), CONSECUTIVE);
    const IFormula& formula = fixture.aList;
    size_t next = 0;
    for (auto _ : pState) {
        for (size_t i = 0; i < BATCH; ++i, ++next)
            benchmark::DoNotOptimize(formula.ComputePointAt(fixture.aTimes[next & 65535]));
    }
    pState.SetItemsProcessed(int64_t(pState.iterations()) * int64_t(BATCH));
}

template <bool CONSECUTIVE>
void BM_VectorLimit(benchmark::State& pState) {
    const TFixture fixture(pState.range(0), CONSECUTIVE);
    size_t next = 0;
    for (auto _ : pState) {
        for (size_t i = 0; i < BATCH; ++i, ++next)
            benchmark::DoNotOptimize(fixture.PlainValueAt(fixture.aTimes[next & 65535]));
    }
    pState.SetItemsProcessed(int64_t(pState.iterations()) * int64_t(BATCH));
}

} // namespace

BENCHMARK_TEMPLATE(BM_SortList, false)->RangeMultiplier(10)->Range(100, 100000);
BENCHMARK_TEMPLATE(BM_VectorLimit, false)->RangeMultiplier(10)->Range(100, 100000);
BENCHMARK_TEMPLATE(BM_SortList, true)->RangeMultiplier(10)->Range(100, 100000);
BENCHMARK_TEMPLATE(BM_VectorLimit, true)->RangeMultiplier(10)->Range(100, 100000);
