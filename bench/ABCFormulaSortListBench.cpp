// The value of a keyed parameter at a time, as rendering asks for it, against the practical
// limit of that look-up: std::upper_bound over a sorted vector of the same begins, then one
// Horner evaluation of the segment found (its end, value and coefficients from a parallel
// vector). Lists of 10^2, 10^5 and 10^6 touching segments, as read (allocated in time order)
// or after 10,000 random splits and joins (nodes scattered in memory), asked at random times
// and at consecutive times (one time unit apart, so most steps stay in the segment).
#include "DLL/Bas/ABCFormulaSortList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr size_t BATCH = 1024;

struct TPlainSegment {
    long aEnd;
    double aValue, a, b, c;
};

// The same segments in both forms, and the times to ask.
struct TFixture {
    TFixture(long pCount, long pEdits) : aRandom(uint64_t(pCount)) {
        std::uniform_real_distribution<double> coefficient(-1.0, 1.0);
        long time = 0;
        for (long i = 0; i < pCount; ++i) {
            const long begin = time;
            time += 10 + long(aRandom() % 90);
            TABCFormula segment(begin, coefficient(aRandom) * 100.0, time);
            segment.a = coefficient(aRandom) * 1e-3;
            segment.b = coefficient(aRandom) * 1e-2;
            segment.c = coefficient(aRandom);
            aList.Insert(aList.end(), segment);
        }
        for (long i = 0; i < pEdits; ++i)
            Edit();
        for (const TABCFormula& segment : aList) {
            aBegins.push_back(segment.aBegin);
            aPlain.push_back(
                {segment.aEnd, segment.aValue.GetDouble(), segment.a, segment.b, segment.c});
        }
        for (size_t i = 0; i < 65536; ++i) {
            const double fraction = double(aRandom() % 1000) / 1000.0;
            aTimes[0].push_back(double(long(aRandom() % uint64_t(time))) + fraction);
            aTimes[1].push_back(double(long(i) % time) + fraction);
        }
    }

    // One fixture per size and edit count for the whole run: building one of 10^6 segments
    // takes longer than measuring it.
    static const TFixture& Get(long pCount, long pEdits) {
        static std::map<std::pair<long, long>, std::unique_ptr<TFixture>> theFixtures;
        std::unique_ptr<TFixture>& fixture = theFixtures[{pCount, pEdits}];
        if (!fixture)
            fixture.reset(new TFixture(pCount, pEdits));
        return *fixture;
    }

    // Splits the segment at a random time in two or joins it with the next one, as key
    // edits do.
    void Edit() {
        const long time = long(aRandom() % uint64_t(aList.rbegin()->aEnd));
        const auto segment = std::prev(aList.upper_bound(time));
        const auto next = std::next(segment);
        if (aRandom() % 2 && segment->aEnd - segment->aBegin > 1) {
            TABCFormula right = *segment;
            right.aBegin = segment->aBegin + (segment->aEnd - segment->aBegin) / 2;
            aList.Modify(segment).aEnd = right.aBegin;
            aList.Insert(next, right);
        } else if (next != aList.end()) {
            aList.Modify(segment).aEnd = next->aEnd;
            aList.Erase(next);
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

    std::mt19937_64 aRandom;
    TABCFormulaSortList aList;
    std::vector<long> aBegins;
    std::vector<TPlainSegment> aPlain;
    // Random times, then consecutive ones.
    std::vector<double> aTimes[2];
};

template <bool CONSECUTIVE>
void BM_SortList(benchmark::State& pState) {
    const TFixture& fixture = TFixture::Get(pState.range(0), pState.range(1));
    const IFormula& formula = fixture.aList;
    size_t next = 0;
    for (auto _ : pState) {
        for (size_t i = 0; i < BATCH; ++i, ++next)
            benchmark::DoNotOptimize(formula.ComputePointAt(fixture.aTimes[CONSECUTIVE][next & 65535]));
    }
    pState.SetItemsProcessed(int64_t(pState.iterations()) * int64_t(BATCH));
}

template <bool CONSECUTIVE>
void BM_VectorLimit(benchmark::State& pState) {
    const TFixture& fixture = TFixture::Get(pState.range(0), pState.range(1));
    size_t next = 0;
    for (auto _ : pState) {
        for (size_t i = 0; i < BATCH; ++i, ++next)
            benchmark::DoNotOptimize(fixture.PlainValueAt(fixture.aTimes[CONSECUTIVE][next & 65535]));
    }
    pState.SetItemsProcessed(int64_t(pState.iterations()) * int64_t(BATCH));
}

} // namespace

// Arguments: segments, random edits made before.
#define ZV_SIZES ArgsProduct({{100, 100000, 1000000}, {0, 10000}})
BENCHMARK_TEMPLATE(BM_SortList, false)->ZV_SIZES;
BENCHMARK_TEMPLATE(BM_VectorLimit, false)->ZV_SIZES;
BENCHMARK_TEMPLATE(BM_SortList, true)->ZV_SIZES;
BENCHMARK_TEMPLATE(BM_VectorLimit, true)->ZV_SIZES;
