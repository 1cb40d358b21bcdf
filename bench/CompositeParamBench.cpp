// A colour's frame snapshot evaluated over a million frames, beside evaluating its three
// component snapshots and packing the colour by hand.
#include "ALL/Number.h"
#include "DLL/Bas/ABCFormula.h"
#include "DLL/Bas/EvaluateContext.h"
#include "DLL/Row/ColorParamRow.h"
#include "DLL/Row/ParamFormula.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

constexpr long theFrames = 1000000;

// Red, green and blue ramps over the whole run, each at its component's place.
class TRampContext : public IEvaluateContext {
public:
    TRampContext() {
        for (int i = 0; i < 3; ++i) {
            aRamps[i] = std::make_unique<TABCFormula>(0, TVariant(10.0 * i), theFrames);
            aRamps[i]->c = 0.0002 * (i + 1);
            aSlots[i] = aRamps[i].get();
        }
    }
    IFormula** GetParamSlot(int, int pIndex, bool) const override {
        return &aSlots[pIndex - 1];
    }

    std::unique_ptr<TABCFormula> aRamps[3];
    mutable IFormula* aSlots[3];
};

void ColorSnapshot(benchmark::State& pState) {
    TRampContext context;
    TZVColorParamRow color(COLOR_PARAM_TYPE());
    TZVParamFormulaForRendering snapshot(&color, context, true);
    for (auto _ : pState) {
        for (long frame = 0; frame < theFrames; ++frame)
            benchmark::DoNotOptimize(snapshot.ComputePointAt(double(frame)));
    }
    pState.SetItemsProcessed(pState.iterations() * theFrames);
}

int Level(const IFormula& pRamp, double pTime) {
    const double value = std::min(255.0, std::max(0.0, pRamp.ComputePointAt(pTime).GetDouble()));
    return RoundToInt(value, roundNEAREST);
}

void ComponentsPackedByHand(benchmark::State& pState) {
    TRampContext context;
    for (auto _ : pState) {
        for (long frame = 0; frame < theFrames; ++frame) {
            const double time = double(frame);
            const double color = double((Level(*context.aSlots[0], time) * 256 +
                                         Level(*context.aSlots[1], time)) *
                                            256 +
                                        Level(*context.aSlots[2], time));
            benchmark::DoNotOptimize(TVariant(color));
        }
    }
    pState.SetItemsProcessed(pState.iterations() * theFrames);
}

} // namespace

BENCHMARK(ColorSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(ComponentsPackedByHand)->Unit(benchmark::kMillisecond);
