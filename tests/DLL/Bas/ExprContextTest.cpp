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

TVariant Bound(const wchar_t* pText, const TContext& pContext) {
    TFormula formula;
    EXPECT_TRUE(formula.Parse(pText));
    EXPECT_TRUE(formula.SetContext(pContext));
    return ValueOf(formula);
}

} // namespace

TEST(ExprContext, SetValueInsertsOnceAndBoundTreesSeeLaterValues) {
    TContext context;
    EXPECT_TRUE(context.SetValue(L"x", TVariant(1.0)));
    TVariant* const entry = context.GetValue(L"x");
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"x * 3"));
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_FALSE(context.SetValue(L"x", TVariant(2.0)));
    EXPECT_EQ(context.GetValue(L"x"), entry);
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(6.0)));
    *entry = 5.0;
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(15.0)));
    EXPECT_FALSE(context.SetValue(L"x", TVariant(wxString(L"now text"))));
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(wxString(L"now text"))));
}

TEST(ExprContext, NamesAreCaseSensitiveAndValuesAreCopies) {
    TContext context;
    context.LoadPredefined(TContext::predALL, TContext::caseUPPER);
    TVariant text(wxString(L"abc"));
    context.SetValue(L"x", text);
    text.SetText(L"changed");
    const TVariant* value = nullptr;
    EXPECT_TRUE(context.GetValue(L"x", &value));
    EXPECT_EQ(value, context.GetValue(L"x"));
    EXPECT_TRUE(SameValue(*value, TVariant(wxString(L"abc"))));
    EXPECT_EQ(context.GetValue(L"X"), nullptr);
    EXPECT_FALSE(context.GetValue(L"X", &value));
    EXPECT_FALSE(context.GetFunction(L"SIN", nullptr));
    EXPECT_FALSE(context.GetValue(L"PI", nullptr));
    EXPECT_TRUE(context.GetFunction(L"sin", nullptr));
}

TEST(ExprContext, LoadPredefinedLoadsTheSelectedRows) {
    const struct {
        TContext::EPredefined aWhich;
        const wchar_t* aName;
        bool aIsFunction;
    } rows[] = {{TContext::predROUND, L"round", true}, {TContext::predFLOOR, L"floor", true},
                {TContext::predSIN, L"sin", true},     {TContext::predCOS, L"cos", true},
                {TContext::predTAN, L"tan", true},     {TContext::predLOG, L"log", true},
                {TContext::predEXP, L"exp", true},     {TContext::predPI, L"pi", false},
                {TContext::predE, L"e", false}};
    for (const auto& row : rows) {
        TCountingContext context;
        context.LoadPredefined(row.aWhich, TContext::caseLOWER);
        EXPECT_EQ(context.FunctionCount() + context.ValueCount(), 1u) << row.aName;
        EXPECT_EQ(row.aIsFunction ? context.GetFunction(row.aName, nullptr)
                                  : context.GetValue(row.aName, nullptr),
                  true)
            << row.aName;
    }
    TCountingContext context;
    context.LoadPredefined(TContext::predPI, TContext::caseLOWER);
    EXPECT_EQ(context.GetValue(L"pi")->GetBits(), DoubleToBits(3.141592653589793));
    context.LoadPredefined(TContext::predE, TContext::caseLOWER);
    EXPECT_EQ(context.GetValue(L"e")->GetBits(), DoubleToBits(2.718281828459045));
}

TEST(ExprContext, LoadingAgainReplacesInPlace) {
    TCountingContext context;
    context.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    TVariant* const pi = context.GetValue(L"pi");
    *pi = 3.0;
    const IFunction* sin = nullptr;
    EXPECT_TRUE(context.GetFunction(L"sin", &sin));
    context.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    EXPECT_EQ(context.FunctionCount(), 7u);
    EXPECT_EQ(context.ValueCount(), 2u);
    EXPECT_EQ(context.GetValue(L"pi"), pi);
    EXPECT_EQ(pi->GetBits(), DoubleToBits(3.141592653589793));

    // The function objects are shared by every context.
    TContext other;
    other.LoadPredefined(TContext::predSIN, TContext::caseLOWER);
    const IFunction* otherSin = nullptr;
    EXPECT_TRUE(other.GetFunction(L"sin", &otherSin));
    EXPECT_EQ(otherSin, sin);
}

TEST(ExprContext, SelectorOutsideTheRangeIsReportedAndLoadsNothing) {
    for (int which : {-1, static_cast<int>(TContext::predBASE_LAST), 11}) {
        TCountingContext context;
        EXPECT_ASSERTS(
            context.LoadPredefined(static_cast<TContext::EPredefined>(which), TContext::caseLOWER),
            "(pPredefined >=0 ) && (pPredefined < predBASE_LAST)");
        EXPECT_EQ(context.FunctionCount() + context.ValueCount(), 0u) << which;
    }
}

TEST(ExprContext, SetFunctionReplacesTheExistingEntry) {
    TContext context;
    const TFloorFunc floor;
    const TRoundFunc round;
    EXPECT_TRUE(context.SetFunction(L"f", &floor));
    EXPECT_TRUE(SameValue(Bound(L"f(2.5)", context), TVariant(2.0)));
    EXPECT_FALSE(context.SetFunction(L"f", &round));
    const IFunction* function = nullptr;
    EXPECT_TRUE(context.GetFunction(L"f", &function));
    EXPECT_EQ(function, &round);
    EXPECT_TRUE(SameValue(Bound(L"f(2.5)", context), TVariant(3.0)));
}

TEST(ExprContext, BindingReportsEveryUnknownVariableInTextOrder) {
    TContext context;
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"a + b * a"));
    EXPECT_FALSE(formula.SetContext(context));
    EXPECT_EQ(ErrorsOf(formula), (std::vector<TErrorEntry>{{-1, L"Unknown variable a"},
                                                           {-1, L"Unknown variable b"},
                                                           {-1, L"Unknown variable a"}}));

    TFormula conditional;
    EXPECT_TRUE(conditional.Parse(L"p ? q : r : s"));
    EXPECT_FALSE(conditional.SetContext(context));
    EXPECT_EQ(ErrorsOf(conditional), (std::vector<TErrorEntry>{{-1, L"Unknown variable p"},
                                                               {-1, L"Unknown variable q"},
                                                               {-1, L"Unknown variable s"}}));
}

TEST(ExprContext, UnknownFunctionFailsSilentlyAndRebindingFindsItLater) {
    TContext context;
    context.SetValue(L"y", TVariant(2.0));
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"foo(zz)"));
    EXPECT_FALSE(formula.SetContext(context));
    EXPECT_TRUE(formula.GetErrors().empty());
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant()));

    TFormula known;
    EXPECT_TRUE(known.Parse(L"floor(y / 3) + y"));
    EXPECT_FALSE(known.SetContext(context));
    context.LoadPredefined(TContext::predFLOOR, TContext::caseLOWER);
    EXPECT_TRUE(known.SetContext(context));
    EXPECT_TRUE(SameValue(ValueOf(known), TVariant(2.0)));

    // Rebinding to another context rebinds every name.
    TContext other;
    other.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    other.SetValue(L"y", TVariant(6.0));
    EXPECT_TRUE(known.SetContext(other));
    EXPECT_TRUE(SameValue(ValueOf(known), TVariant(8.0)));
}

TEST(ExprContext, NonZeroCheckModeAcceptsWithoutLookingUp) {
    TCountingContext context;
    context.SetValue(L"known", TVariant(1.0));
    context.SetCheckMode(1);
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"unknown + 1 + known + nothing(2)"));
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_TRUE(formula.GetErrors().empty());
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant()));

    context.SetCheckMode(0);
    EXPECT_FALSE(formula.SetContext(context));
    EXPECT_EQ(ErrorsOf(formula), (std::vector<TErrorEntry>{{-1, L"Unknown variable unknown"}}));
}
