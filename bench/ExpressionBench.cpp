// Formulas of the kinds a timeline evaluates once per frame, against muParser evaluating the
// same texts with "time" bound by address. Each evaluation benchmark also reports the heap
// allocations per evaluation ("allocs"), which must be 0 for a numeric tree.
//
// muParser has no "floor": it gets one. "pi" is a variable in both (the formula context
// holds it as a variable too); the *Const runs give muParser "pi" as a constant, which its
// optimizer folds.
//
// Debian's muParser is built with narrow strings, and wxWidgets defines _UNICODE, which
// would switch muParser's header to wide ones: it comes first.
#include <muParser.h>

#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/ExprNode.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <type_traits>

static_assert(std::is_same<mu::string_type, std::string>::value, "muParser's narrow strings");

namespace {

size_t theAllocations = 0;

} // namespace

void* operator new(size_t pSize) {
    ++theAllocations;
    if (void* memory = std::malloc(pSize ? pSize : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* pMemory) noexcept {
    std::free(pMemory);
}

void operator delete(void* pMemory, size_t) noexcept {
    std::free(pMemory);
}

namespace {

using namespace NSExpression;

const wchar_t* const EXPRESSIONS[] = {
    L"sin(time*pi/50)*50+50",
    L"time<10 ? 1 : 2",
    L"floor(time/2)*3+1",
    L"time*2+3-time/4*5+6*time-7/8+time*9-10+11*time/12-13+time*14+15-16",
};
const char* const NAMES[] = {"sine", "conditional", "floor", "chain20"};
constexpr double PI = 3.141592653589793;

// A time that walks through 0 to 40 in steps of a frame.
double FrameTime(int64_t pFrame) {
    return static_cast<double>(pFrame % 1000) * 0.04;
}

double Floor(double pX) {
    return std::floor(pX);
}

void ReportAllocations(benchmark::State& pState, size_t pBefore) {
    pState.counters["allocs"] = benchmark::Counter(static_cast<double>(theAllocations - pBefore) /
                                                   static_cast<double>(pState.iterations()));
}

struct TOurs {
    TContext aContext;
    TFormula aFormula;
    TVariant* aTime;

    explicit TOurs(const wchar_t* pText) {
        aContext.LoadPredefined(TContext::predALL, TContext::caseLOWER);
        aContext.SetValue(L"time", TVariant(0.0));
        aTime = aContext.GetValue(L"time");
        if (!aFormula.Parse(pText) || !aFormula.SetContext(aContext))
            std::abort();
    }
};

struct TMu {
    mu::Parser aParser;
    double aTime = 0;
    double aPi = PI;

    TMu(const wchar_t* pText, bool pConstantPi) {
        aParser.DefineVar("time", &aTime);
        if (pConstantPi)
            aParser.DefineConst("pi", PI);
        else
            aParser.DefineVar("pi", &aPi);
        aParser.DefineFun("floor", Floor);
        aParser.SetExpr(Narrow(pText));
        aParser.Eval();
    }

    static std::string Narrow(const wchar_t* pText) {
        return std::string(pText, pText + wcslen(pText));
    }
};

void OursEval(benchmark::State& pState, int pWhich) {
    TOurs ours(EXPRESSIONS[pWhich]);
    const IOperNode* root = ours.aFormula.GetCurNode();
    int64_t frame = 0;
    const size_t before = theAllocations;
    for (auto _ : pState) {
        *ours.aTime = FrameTime(frame++);
        benchmark::DoNotOptimize(root->GetValue());
    }
    ReportAllocations(pState, before);
}

void MuEval(benchmark::State& pState, int pWhich, bool pConstantPi) {
    TMu mu(EXPRESSIONS[pWhich], pConstantPi);
    int64_t frame = 0;
    const size_t before = theAllocations;
    for (auto _ : pState) {
        mu.aTime = FrameTime(frame++);
        benchmark::DoNotOptimize(mu.aParser.Eval());
    }
    ReportAllocations(pState, before);
}

// Parse, bind and a first value: what loading one formula costs.
void OursParse(benchmark::State& pState, int pWhich) {
    TOurs ours(EXPRESSIONS[pWhich]);
    for (auto _ : pState) {
        TFormula formula;
        formula.Parse(EXPRESSIONS[pWhich]);
        formula.SetContext(ours.aContext);
        benchmark::DoNotOptimize(formula.GetCurNode()->GetValue());
    }
}

// SetExpr only stores the text; muParser compiles it at the first Eval, so both are timed.
void MuParse(benchmark::State& pState, int pWhich) {
    TMu mu(EXPRESSIONS[pWhich], false);
    const std::string text = TMu::Narrow(EXPRESSIONS[pWhich]);
    for (auto _ : pState) {
        mu.aParser.SetExpr(text);
        benchmark::DoNotOptimize(mu.aParser.Eval());
    }
}

void MuSetExprOnly(benchmark::State& pState, int pWhich) {
    TMu mu(EXPRESSIONS[pWhich], false);
    const std::string text = TMu::Narrow(EXPRESSIONS[pWhich]);
    for (auto _ : pState)
        mu.aParser.SetExpr(text);
}

int Register() {
    for (int which = 0; which < 4; ++which) {
        const std::string name = NAMES[which];
        benchmark::RegisterBenchmark(("Eval/ours/" + name).c_str(), OursEval, which);
        benchmark::RegisterBenchmark(("Eval/muParser/" + name).c_str(), MuEval, which, false);
        benchmark::RegisterBenchmark(("Eval/muParserConst/" + name).c_str(), MuEval, which, true);
    }
    for (int which = 0; which < 4; ++which) {
        const std::string name = NAMES[which];
        benchmark::RegisterBenchmark(("Parse/ours/" + name).c_str(), OursParse, which);
        benchmark::RegisterBenchmark(("Parse/muParser/" + name).c_str(), MuParse, which);
        benchmark::RegisterBenchmark(("Parse/muParserSetExprOnly/" + name).c_str(), MuSetExprOnly,
                                     which);
    }
    return 0;
}

const int theRegistered = Register();

} // namespace
