// Parameter rows: the walks over listener lattices, and expression rows evaluated through
// GetValueAt against the same trees evaluated directly.
//
// The lattice: 2 rows a level, each row's two value listeners the two rows of the level
// below, so a walk that follows every path visits 2^levels rows. The loop check and the
// change notification visit each row once; the plain loop check (every path) is the peer,
// at depths where it still ends.
#include "DLL/Bas/ExprNode.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/SimpleParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// A combining value source that always passes a change on.
class TPassOn : public IDependFormula {
public:
    TVariant ComputePointAt(double) const override { return TVariant(); }
    bool IsFlatFormula(long) const override { return false; }
    IFormula* CloneFormulaAt(long, IFormula*, const IEvaluateContext&, bool) const override {
        return nullptr;
    }
    bool ValueFromXml(const wxXmlNode*, const TTypeDef&) override { return true; }
    void MakeXmlImage(wxXmlNode*, const TTypeDef&) const override {}
    int HasKey(long) const override { return 0; }
    TVariant GetValueNSlope(long, bool, EContinuity& pCont, bool&) const override {
        pCont = contNO_KEY;
        return TVariant();
    }
    bool OnParamChanged(const TZVParamRow*, bool) override {
        ++theCalls;
        return true;
    }
    void AddListeners(bool) override {}

    static long theCalls;
};

long TPassOn::theCalls = 0;

class TLattice {
public:
    explicit TLattice(int pLevels) {
        for (int i = 0; i < 2 * pLevels; ++i) {
            aRows.emplace_back(new TZVSimpleParamRow(TTypeDef(paramTypeREAL)));
            aRows.back()->aFormula = new TPassOn;
        }
        for (int level = 0; level + 1 < pLevels; ++level)
            for (int from = 0; from < 2; ++from)
                for (int to = 0; to < 2; ++to)
                    aRows[size_t(2 * level + from)]->AddListener(
                        aRows[size_t(2 * level + 2 + to)].get(), true);
    }
    ~TLattice() {
        for (auto& row : aRows)
            row->aListenerList.clear();
    }
    TZVParamRow* Top() const { return aRows.front().get(); }
    // A row no walk reaches, so every walk runs to the bottom.
    const TZVParamRow* Outside() const { return &aOutside; }

private:
    std::vector<std::unique_ptr<TZVParamRow>> aRows;
    TZVSimpleParamRow aOutside{TTypeDef(paramTypeREAL)};
};

bool PlainLoopCheck(const TZVParamRow* pRow, const TZVParamRow* pTarget, int pDepth) {
    if (pDepth < 1)
        return false;
    for (const TParamListener& entry : pRow->aListenerList) {
        if (!entry.aOnValue)
            continue;
        if (entry.aListener == pTarget || pDepth == 1 ||
            !PlainLoopCheck(entry.aListener, pTarget, pDepth - 1))
            return false;
    }
    return true;
}

void LoopCheck(benchmark::State& pState) {
    TLattice lattice(int(pState.range(0)));
    for (auto _ : pState)
        benchmark::DoNotOptimize(lattice.Top()->CheckListenerLoop(lattice.Outside(), 100));
}
BENCHMARK(LoopCheck)->Arg(16)->Arg(30)->Unit(benchmark::kMillisecond);

void PlainLoopCheckPeer(benchmark::State& pState) {
    TLattice lattice(int(pState.range(0)));
    for (auto _ : pState)
        benchmark::DoNotOptimize(PlainLoopCheck(lattice.Top(), lattice.Outside(), 100));
}
BENCHMARK(PlainLoopCheckPeer)->Arg(16)->Arg(22)->Unit(benchmark::kMillisecond);

void NotifyOther(benchmark::State& pState) {
    TLattice lattice(int(pState.range(0)));
    TPassOn::theCalls = 0;
    for (auto _ : pState)
        lattice.Top()->notifyOther(false);
    pState.counters["rows told"] = double(TPassOn::theCalls) / double(pState.iterations());
}
BENCHMARK(NotifyOther)->Arg(16)->Arg(30)->Unit(benchmark::kMillisecond);

const wchar_t* const EXPRESSIONS[] = {L"time * 2 + 1", L"sin(time * pi / 500) * 50 + 50",
                                      L"image % 7 < 3 ? time : -time", L"floor(time / 40) * 3"};
constexpr int ROWS = 1000;
constexpr int TIMES = 10000;

class TExpressionRows {
public:
    TExpressionRows() {
        TZVFormula::SetFrameRate(25);
        for (int i = 0; i < ROWS; ++i) {
            aRows.emplace_back(new TZVSimpleParamRow(TTypeDef(paramTypeREAL)));
            TZVFormula* formula = new TZVFormula(aRows.back().get());
            formula->Parse(EXPRESSIONS[i % 4]);
            formula->Resolve();
            aRows.back()->aFormula = formula;
            aRows.back()->aIsExpression = true;
            aTrees.push_back(formula->GetCurNode());
        }
    }

    std::vector<std::unique_ptr<TZVParamRow>> aRows;
    std::vector<const NSExpression::IExprNode*> aTrees;
};

void GetValueAtOfExpressionRows(benchmark::State& pState) {
    TExpressionRows rows;
    for (auto _ : pState) {
        for (int t = 0; t < TIMES; ++t)
            for (const auto& row : rows.aRows)
                benchmark::DoNotOptimize(row->GetValueAt(double(t)));
    }
}
BENCHMARK(GetValueAtOfExpressionRows)->Unit(benchmark::kMillisecond);

void SameTreesEvaluatedDirectly(benchmark::State& pState) {
    TExpressionRows rows;
    TZVExpressionContext& context = GetFormulaContext();
    for (auto _ : pState) {
        for (int t = 0; t < TIMES; ++t) {
            context.SetCurrent(double(t));
            for (const NSExpression::IExprNode* tree : rows.aTrees)
                benchmark::DoNotOptimize(tree->GetValue());
        }
    }
}
BENCHMARK(SameTreesEvaluatedDirectly)->Unit(benchmark::kMillisecond);

} // namespace
