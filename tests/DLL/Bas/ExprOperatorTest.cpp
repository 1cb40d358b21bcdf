#include "DLL/Bas/ExprOperator.h"

#include "DLL/Bas/ExprFunction.h"
#include "ExprTestSupport.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace NSExprTest;

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
const double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
// A positive NaN that is a number; its negation has the upper word all ones.
const uint64_t NEGATES_TO_TAG = 0x7FFFFFFF00000001ull;
const TVariant UNDEFINED;
const TVariant TEXT(wxString(L"txt"));

// f(x) = x, counting its calls.
class TCountFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override {
        ++aCalls;
        return pX;
    }
    mutable int aCalls = 0;
};

// Gives a double whose upper word is all ones.
class TTagFunc final : public IUnaryFunction {
public:
    double Compute(double) const override { return BitsToDouble(0xFFFFFFFF00000005ull); }
};

// A function of any arity that gives the text "fn".
class TNameFunc final : public IFunction {
public:
    TVariant Evaluate(const TExprList&) const override { return TVariant(wxString(L"fn")); }
    bool AcceptsArgCount(int) const override { return true; }
};

// An operator class without a missing-operand text of its own.
class TBareOper final : public INAryOper {
public:
    TBareOper* Clone() const override { return new TBareOper; }
    int GetPriority() const override { return 3; }
    bool GetNumber(double&, TVariant&) const override { return false; }
    void AppendImage(wxString&) const override {}
};

class ExprEvaluation : public ::testing::Test {
protected:
    void SetUp() override {
        FillContext(aContext);
        aContext.SetValue(L"n", TVariant(BitsToDouble(NEGATES_TO_TAG)));
        aContext.SetFunction(L"count", &aCount);
        aContext.SetFunction(L"tag", &aTag);
        aContext.SetFunction(L"name", &aName);
    }

    // The value of pText parsed and bound (errors are the test's business).
    TVariant Evaluate(const wchar_t* pText) {
        TFormula formula;
        formula.Parse(pText);
        formula.SetContext(aContext);
        return ValueOf(formula);
    }

    TContext aContext;
    TCountFunc aCount;
    TTagFunc aTag;
    TNameFunc aName;
};

} // namespace

TEST_F(ExprEvaluation, ComputesTheValueTable) {
    // Context: a = 10, b = 4, c = 2, d = 7, x = 0.5, zero = 0, t = "txt", u undefined.
    const volatile double half = 0.5;
    const struct {
        TVariant aValue;
        std::vector<const wchar_t*> aTexts;
    } cases[] = {
        // Grouping to the right; IEEE arithmetic; remainders of truncated 32-bit integers.
        {TVariant(8.0), {L"a - b - c"}},
        {TVariant(1.25), {L"a / b * c"}},
        {TVariant(42.0), {L"a * b + c"}},
        {TVariant(18.0), {L"a + b * c"}},
        {TVariant(-40.0), {L"-a * b"}},
        {TVariant(10.0), {L"- -a", L"1 ? 10 : 20 : 30", L"c ? a : d ? b : x"}},
        {TVariant(-0.0), {L"-0", L"round(-0.4)"}},
        {TVariant(INF), {L"1 / 0", L"round(1e999)"}},
        {TVariant(-INF), {L"-1 / 0", L"1 / -0", L"log(0)"}},
        {TVariant(-2.0), {L"-2147483648 % 3"}},
        {TVariant(-1.0), {L"-7 % 3", L"floor(-0.5)"}},
        {TVariant(NOT_A_NUMBER),
         {L"5 % 0", L"5 % 0.5", L"2147483648 % 3", L"-2147483649 % 3", L"3 % 1e999", L"(0 / 0) % 3",
          L"5 % t", L"0 / 0", L"log(-1)"}},
        // Comparisons give 1 or 0 and are false with a NaN or a text on the right.
        {TVariant(1.0),
         {L"7 % 3", L"7.9 % 2.5", L"7 % -3", L"2147483647.9 % 2", L"a == a", L"b < a", L"a <= a",
          L"a > b", L"a >= a", L"-0 == 0", L"zero < b < a", L"x ? 1 : 2", L"(0 / 0) ? 1 : 2",
          L"t ? 1 : 2"}},
        {TVariant(0.0),
         {L"-2147483648 % -1", L"a = b", L"a < b", L"a <= b", L"b > a", L"b >= a", L"a < b < c",
          L"(0/0) == (0/0)", L"(0/0) < 1", L"1e999 - 1e999 >= 1", L"1 < t", L"1 == t",
          L"round(0.49999999999999994)"}},
        // Conditionals: undefined or a number equal to 0 selects the last operand.
        {TVariant(2.0),
         {L"a % b * c", L"0 ? 1 : 2", L"-0 ? 1 : 2", L"u ? 1 : 2", L"-n ? 1 : 2", L"1 ? 2"}},
        {TVariant(30.0), {L"0 ? 10 : 20 : 30"}},
        // Texts: kept on the left, passed through + - * / from the right.
        {TEXT,
         {L"t + 1", L"1 + t", L"1 - t", L"2 * t", L"2 / t", L"-t", L"t < 1", L"t % 5", L"t == t",
          L"(t)", L"c ? t : u"}},
        {TVariant(wxString(L"fn")), {L"name(a)", L"1 + name(a)"}},
        // Undefined propagates, also from a missing operand after parse errors; a function of
        // a text is undefined; so is a computed pattern with the tag, never a text.
        {UNDEFINED,
         {L"t + u",      L"u + t",     L"u + 1",  L"1 + u",    L"-u",     L"u < 1",
          L"1 == u",     L"u % 2",     L"2 % u",  L"round(u)", L"exp(u)", L"round(t)",
          L"sin(t) + 1", L"sin(time)", L"1 +",    L"t +",      L"0 ? 1",  L"",
          L"round()",    L"-n",        L"-n + 1", L"-n < 1",   L"tag(1)", L"tag(1) + 1"}},
        {TVariant(BitsToDouble(NEGATES_TO_TAG)), {L"n"}},
        {TVariant(3.0), {L"round(2.5)"}},
        {TVariant(-3.0), {L"round(-2.5)"}},
        {TVariant(std::sin(half)), {L"sin(x)"}},
        {TVariant(std::cos(half)), {L"cos(x)"}},
        {TVariant(std::tan(half)), {L"tan(x)"}},
        {TVariant(std::log(half)), {L"log(x)"}},
        {TVariant(std::exp(half)), {L"exp(x)"}}};
    for (const auto& c : cases) {
        for (const wchar_t* text : c.aTexts) {
            const TVariant value = Evaluate(text);
            if (c.aValue.IsNumeric() && std::isnan(c.aValue.GetDouble()))
                EXPECT_TRUE(value.IsNumeric() && std::isnan(value.GetDouble())) << wxString(text);
            else
                EXPECT_TRUE(SameValue(value, c.aValue)) << wxString(text);
        }
    }
}

TEST_F(ExprEvaluation, OnlyTheOperandsThatDecideAreEvaluated) {
    const struct {
        const wchar_t* aText;
        int aCalls;
    } cases[] = {{L"u + count(1)", 0},     {L"1 + count(1)", 1},     {L"t + count(1)", 1},
                 {L"0 ? count(1) : 2", 0}, {L"1 ? 2 : count(1)", 0}, {L"(1 ? count(1) : 2)", 1},
                 {L"count(count(1))", 2},  {L"count(1) ? 2 : 3", 1}};
    for (const auto& c : cases) {
        aCount.aCalls = 0;
        Evaluate(c.aText);
        EXPECT_EQ(aCount.aCalls, c.aCalls) << wxString(c.aText);
    }
}

TEST_F(ExprEvaluation, FunctionsEvaluatedDirectlyFollowTheSameRules) {
    TExprList operands;
    EXPECT_TRUE(SameValue(aCount.Evaluate(operands), UNDEFINED));
    TValueNode one(L"1", TVariant(1.0));
    operands.Append(&one);
    EXPECT_TRUE(SameValue(aTag.Evaluate(operands), UNDEFINED));
    EXPECT_TRUE(SameValue(aCount.Evaluate(operands), TVariant(1.0)));
    EXPECT_TRUE(aCount.AcceptsArgCount(1));
    EXPECT_FALSE(aCount.AcceptsArgCount(2));
}

TEST_F(ExprEvaluation, MissingOperandTexts) {
    EXPECT_EQ(TNegateOper().MissingArgError(), wxString(L"Missing operand"));
    EXPECT_EQ(TFunctionOper(L"sin").MissingArgError(), wxString(L"Missing operand"));
    EXPECT_EQ(TPlusOper().MissingArgError(), wxString(L"Missing operand in binary operator"));
    EXPECT_EQ(TConditionalOper().MissingArgError(),
              wxString(L"Missing alternative in conditional expression"));
    wxString message = L"not asked";
    EXPECT_ASSERTS(message = TBareOper().MissingArgError(), "MissingArgError");
    EXPECT_EQ(message, wxString());
}

TEST_F(ExprEvaluation, ClonesAreDeepAndStayBound) {
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L"a + (t ? -b : c) * 2"));
    EXPECT_TRUE(formula.SetContext(aContext));
    std::unique_ptr<IOperNode> clone(formula.GetCurNode()->Clone());
    EXPECT_EQ(clone->GetParent(), nullptr);
    EXPECT_EQ(clone->GetOperands().GetFirst()->GetData()->GetParent(), clone.get());
    wxString image;
    clone->AppendImage(image);
    EXPECT_EQ(image, formula.GetImage());

    *aContext.GetValue(L"a") = 1.0;
    formula.deleteNode();
    EXPECT_TRUE(SameValue(clone->GetValue(), TVariant(-7.0)));

    auto text = std::make_unique<TValueNode>(L"'q'", TVariant(wxString(L"q")));
    std::unique_ptr<IExprNode> copy(text->Clone());
    text.reset();
    EXPECT_TRUE(SameValue(copy->GetValue(), TVariant(wxString(L"q"))));
}
