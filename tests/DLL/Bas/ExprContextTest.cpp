#include "DLL/Bas/ExprContext.h"

#include "DLL/Bas/ExprFunction.h"
#include "ExprTestSupport.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

using namespace NSExprTest;

namespace {

// Exposes the entry counts and the check mode.
class TCountingContext : public TContext {
public:
    size_t FunctionCount() const { return aFunctions.size(); }
    size_t ValueCount() const { return aValues.size(); }
    void SetCheckMode(int pMode) { aCheckMode = pMode; }
};

} // namespace

TEST(ExprContext, SetValueCopiesInsertsOnceAndBoundTreesSeeLaterValues) {
    TContext context;
    context.LoadPredefined(TContext::predALL, TContext::caseUPPER);
    TVariant text(wxString(L"abc"));
    EXPECT_TRUE(context.SetValue(L"x", text));
    text.SetText(L"changed");
    TVariant* const entry = context.GetValue(L"x");
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"x * 3"));
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_EQ(Describe(ValueOf(formula)), "text:abc");
    EXPECT_FALSE(context.SetValue(L"x", TVariant(2.0)));
    const TVariant* found = nullptr;
    EXPECT_TRUE(context.GetValue(L"x", &found));
    EXPECT_EQ(found, entry);
    EXPECT_EQ(Describe(ValueOf(formula)), Describe(6.0));
    *entry = 5.0;
    EXPECT_EQ(Describe(ValueOf(formula)), Describe(15.0));

    // Names are case-sensitive, and the predefined ones are lower case whatever the case asked.
    EXPECT_EQ(context.GetValue(L"X"), nullptr);
    EXPECT_FALSE(context.GetValue(L"X", &found));
    EXPECT_FALSE(context.GetValue(L"PI", nullptr));
    EXPECT_FALSE(context.GetFunction(L"SIN", nullptr));
    EXPECT_TRUE(context.GetFunction(L"sin", nullptr));
}

TEST(ExprContext, LoadPredefinedLoadsTheSelectedRowsReplacesInPlaceAndRefusesOthers) {
    const wchar_t* const names[] = {L"round", L"floor", L"sin", L"cos", L"tan",
                                    L"log",   L"exp",   L"pi",  L"e"};
    for (int which = TContext::predROUND; which < TContext::predBASE_LAST; ++which) {
        TCountingContext context;
        context.LoadPredefined(static_cast<TContext::EPredefined>(which), TContext::caseLOWER);
        const wxString name = names[which - 1];
        EXPECT_EQ(context.FunctionCount() + context.ValueCount(), 1u) << name;
        EXPECT_TRUE(context.GetFunction(name, nullptr) || context.GetValue(name, nullptr)) << name;
    }
    TCountingContext context;
    context.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    TVariant* const pi = context.GetValue(L"pi");
    *pi = 3.0;
    context.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    EXPECT_EQ(context.FunctionCount(), 7u);
    EXPECT_EQ(context.ValueCount(), 2u);
    EXPECT_EQ(context.GetValue(L"pi"), pi);
    EXPECT_EQ(Describe(*pi), Describe(3.141592653589793));
    EXPECT_EQ(Describe(*context.GetValue(L"e")), Describe(2.718281828459045));

    // A selector outside the range is reported and loads nothing.
    for (int which : {-1, static_cast<int>(TContext::predBASE_LAST), 11}) {
        TCountingContext refused;
        EXPECT_ASSERTS(
            refused.LoadPredefined(static_cast<TContext::EPredefined>(which), TContext::caseLOWER),
            "(pPredefined >=0 ) && (pPredefined < predBASE_LAST)");
        EXPECT_EQ(refused.FunctionCount() + refused.ValueCount(), 0u) << which;
    }
}

TEST(ExprContext, SetFunctionReplacesTheExistingEntry) {
    TContext context;
    const TFloorFunc floor;
    const TRoundFunc round;
    EXPECT_TRUE(context.SetFunction(L"f", &floor));
    EXPECT_EQ(Describe(Evaluate(L"f(2.5)", context)), Describe(2.0));
    EXPECT_FALSE(context.SetFunction(L"f", &round));
    EXPECT_EQ(Describe(Evaluate(L"f(2.5)", context)), Describe(3.0));
}

TEST(ExprContext, BindingReportsEveryUnknownVariableInTextOrder) {
    TContext empty;
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"a + b * a + (p ? q : r : s)"));
    EXPECT_FALSE(formula.SetContext(empty));
    // The unused third operand of the conditional is not bound.
    std::vector<TErrorEntry> expected;
    for (const wchar_t* name : {L"a", L"b", L"a", L"p", L"q", L"s"})
        expected.emplace_back(-1, wxString(L"Unknown variable ") + name);
    EXPECT_EQ(ErrorsOf(formula), expected);
}

TEST(ExprContext, UnknownFunctionFailsSilentlyAndRebindingFindsItLater) {
    TContext context;
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"floor(a / 3)"));
    // Neither the function nor, below it, the unknown "a" is reported.
    EXPECT_FALSE(formula.SetContext(context));
    EXPECT_TRUE(formula.GetErrors().empty());
    EXPECT_EQ(Describe(ValueOf(formula)), "undefined");
    context.LoadPredefined(TContext::predFLOOR, TContext::caseLOWER);
    context.SetValue(L"a", TVariant(7.0));
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_EQ(Describe(ValueOf(formula)), Describe(2.0));
    // Rebinding to another context rebinds every name.
    TContext other;
    FillContext(other);
    EXPECT_TRUE(formula.SetContext(other));
    EXPECT_EQ(Describe(ValueOf(formula)), Describe(3.0));
}

TEST(ExprContext, NonZeroCheckModeAcceptsWithoutLookingUp) {
    TCountingContext context;
    context.SetValue(L"known", TVariant(1.0));
    context.SetCheckMode(1);
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"unknown + 1 + known + nothing(2)"));
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_TRUE(formula.GetErrors().empty());
    EXPECT_EQ(Describe(ValueOf(formula)), "undefined");

    context.SetCheckMode(0);
    EXPECT_FALSE(formula.SetContext(context));
    EXPECT_EQ(ErrorsOf(formula), (std::vector<TErrorEntry>{{-1, L"Unknown variable unknown"}}));
}
