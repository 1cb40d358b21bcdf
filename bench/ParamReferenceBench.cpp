// Parameter references: binding and registering 5,000 formulas of three references each over
// one mixer of N sources, against parsing the same texts (the peer).
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include "support/FakeRows.h"
#include "support/TestContainerRows.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int FORMULAS = 5000;

// A mixer Main of pSources sources S0, S1, ... under the current project's root.
struct TTree {
    explicit TTree(int pSources) : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TTestMixerRow* main = MakeRow<TTestMixerRow>(L"Main");
        aRoot->InsertSource(main, nullptr);
        for (int i = 0; i < pSources; ++i) {
            aSources.push_back(MakeRow<TTestSourceRow>(wxString::Format(L"S%d", i)));
            main->InsertSource(aSources.back(), nullptr);
        }
        for (int i = 0; i < FORMULAS; ++i)
            aTexts.push_back(wxString::Format(L"[mixer:Main][source:S%d][param:2].value + "
                                              L"[m:Main][s:S%d][p:3 - p3].begin * "
                                              L"[m:Main][s:S%d][p:2].isInSequence",
                                              (i + 1) % pSources, (i + 7) % pSources,
                                              (i + 13) % pSources));
    }
    TZVParamRow* Owner(int pIndex) const {
        return aSources[size_t(pIndex) % aSources.size()]->aParamTab[0];
    }
    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    std::vector<TTestSourceRow*> aSources;
    std::vector<wxString> aTexts;
};

std::vector<std::unique_ptr<TZVFormula>> ParseAll(const TTree& pTree) {
    std::vector<std::unique_ptr<TZVFormula>> formulas;
    for (int i = 0; i < FORMULAS; ++i) {
        formulas.emplace_back(new TZVFormula(pTree.Owner(i)));
        formulas.back()->Parse(pTree.aTexts[size_t(i)].wc_str());
    }
    return formulas;
}

void BM_Parse(benchmark::State& pState) {
    const TTree tree(int(pState.range(0)));
    for (auto _ : pState)
        benchmark::DoNotOptimize(ParseAll(tree));
}

void BM_ResolveAndAddListeners(benchmark::State& pState) {
    const TTree tree(int(pState.range(0)));
    for (auto _ : pState) {
        pState.PauseTiming();
        std::vector<std::unique_ptr<TZVFormula>> formulas = ParseAll(tree);
        pState.ResumeTiming();
        for (const auto& formula : formulas) {
            formula->Resolve();
            formula->AddListeners(false);
        }
        pState.PauseTiming();
        for (const auto& formula : formulas)
            formula->AddListeners(true);
        formulas.clear();
        pState.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_Parse)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveAndAddListeners)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
