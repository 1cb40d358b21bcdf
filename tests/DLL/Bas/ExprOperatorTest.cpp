#include "DLL/Bas/ExprOperator.h"

#include "DLL/Bas/ExprFunction.h"
#include "ExprTestSupport.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace NSExprTest;

namespace {

// A positive NaN that is a number; its negation has the upper word all ones.
const uint64_t NEGATES_TO_TAG = 0x7FFFFFFF00000001ull;

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

// An operator class without a missing-operand text of its own.
class TBareOper final : public INAryOper {
public:
    TBareOper* Clone() const override { return new TBareOper; }
    int GetPriority() const override { return 3; }
    bool GetNumber(double&, TVariant&) const override { return false; }
    void AppendImage(wxString&) const override {}
};

TCountFunc countFunc;
TTagFunc tagFunc;

// The value of pText in the usual context with "n" (see NEGATES_TO_TAG) and the functions
// "count" and "tag".
TVariant Value(const wchar_t* pText) {
    TContext context;
    FillContext(context);
    context.SetValue(L"n", TVariant(BitsToDouble(NEGATES_TO_TAG)));
    context.SetFunction(L"count", &countFunc);
    context.SetFunction(L"tag", &tagFunc);
    return Evaluate(pText, context);
}

} // namespace

TEST(ExprEvaluation, ComputesTheValueTable) {
    // Context: a = 10, b = 4, c = 2, d = 7, x = 0.5, zero = 0, t = "txt", u undefined.
    const volatile double half = 0.5;
    const double inf = HUGE_VAL;
    const struct {
        TVariant aValue;
        std::vector<const wchar_t*> aTexts;
    } cases[] = {
        // Precedence and grouping to the right: "c - b - c" is c - (b - c), "b / c * c" is
        // b / (c * c), so wrong trees give other values. IEEE arithmetic; remainders of
        // truncated 32-bit integers.
        {TVariant(10.0), {L"c * b + c", L"- -a", L"1 ? 10 : 20 : 30", L"c ? a : d ? b : x"}},
        {TVariant(-0.0), {L"-0", L"round(-0.4)"}},
        // Numbers out of range keep their converted value; a number without digits is 0.
        {TVariant(inf), {L"1 / 0", L"round(1e999)", L"1e999"}},
        {TVariant(1e-310), {L"1e-310"}},
        {TVariant(-inf), {L"-1 / 0", L"1 / -0", L"log(0)"}},
        {TVariant(-2.0), {L"-2147483648 % 3"}},
        {TVariant(-1.0), {L"-7 % 3", L"floor(-0.5)"}},
        {TVariant(NAN),
         {L"5 % 0", L"5 % 0.5", L"2147483648 % 3", L"-2147483649 % 3", L"3 % 1e999", L"(0 / 0) % 3",
          L"5 % t", L"0 / 0", L"log(-1)", L"n"}},
        // Comparisons give 1 or 0 and are false with a NaN or a text on the right.
        {TVariant(1.0),
         {L"b / c * c", L"7 % 3", L"7.9 % 2.5", L"7 % -3", L"2147483647.9 % 2", L"a == a", L"b < a",
          L"a <= a", L"a > b", L"a >= a", L"-0 == 0", L"zero < b < a", L"x ? 1 : 2",
          L"(0 / 0) ? 1 : 2", L"t ? 1 : 2"}},
        {TVariant(0.0),
         {L"c - b - c", L"-2147483648 % -1", L"a = b", L"a < b", L"a <= b", L"b > a", L"b >= a",
          L"a < b < c", L"(0/0) == (0/0)", L"(0/0) < 1", L"1e999 - 1e999 >= 1", L"1 < t", L"1 == t",
          L"round(0.49999999999999994)", L"1e-400", L".", L".e5"}},
        // Conditionals: undefined or a number equal to 0 selects the last operand.
        {TVariant(2.0),
         {L"a - b * c", L"a % b * c", L"0 ? 1 : 2", L"0 ? 10 : 20 : 2", L"-0 ? 1 : 2", L"u ? 1 : 2",
          L"-n ? 1 : 2", L"1 ? 2"}},
        // Texts: kept on the left, passed through + - * / from the right.
        {TVariant(wxString(L"txt")),
         {L"t + 1", L"1 + t", L"1 - t", L"2 * t", L"2 / t", L"-t", L"t < 1", L"t % 5", L"t == t",
          L"(t)", L"c ? t : u"}},
        // Undefined propagates, also from a missing operand after parse errors; a function of
        // a text is undefined; so is a computed pattern with the tag, never a text.
        {TVariant(),
         {L"t + u",      L"u + t",     L"u + 1",  L"1 + u",    L"-u",     L"u < 1",
          L"1 == u",     L"u % 2",     L"2 % u",  L"round(u)", L"exp(u)", L"round(t)",
          L"sin(t) + 1", L"sin(time)", L"1 +",    L"t +",      L"0 ? 1",  L"",
          L"round()",    L"-n",        L"-n + 1", L"-n < 1",   L"tag(1)", L"tag(1) + 1"}},
        {TVariant(3.0), {L"round(2.5)", L"-round(-2.5)"}},
        {TVariant(std::sin(half)), {L"sin(x)"}},
        {TVariant(std::cos(half)), {L"cos(x)"}},
        {TVariant(std::tan(half)), {L"tan(x)"}},
        {TVariant(std::log(half)), {L"log(x)"}},
        {TVariant(std::exp(half)), {L"exp(x)"}}};
    // Any NaN stands for a NaN.
    const auto describe = [](const TVariant& pValue) {
        return pValue.IsNumeric() && std::isnan(pValue.GetDouble()) ? "NaN" : Describe(pValue);
    };
    for (const auto& c : cases)
        for (const wchar_t* text : c.aTexts)
            EXPECT_EQ(describe(Value(text)), describe(c.aValue)) << wxString(text);
}

TEST(ExprEvaluation, OnlyTheOperandsThatDecideAreEvaluated) {
    const struct {
        const wchar_t* aText;
        int aCalls;
    } cases[] = {{L"u + count(1)", 0},     {L"t + count(1)", 1},     {L"0 ? count(1) : 2", 0},
                 {L"1 ? 2 : count(1)", 0}, {L"1 ? count(1) : 2", 1}, {L"count(count(1))", 2}};
    for (const auto& c : cases) {
        countFunc.aCalls = 0;
        Value(c.aText);
        EXPECT_EQ(countFunc.aCalls, c.aCalls) << wxString(c.aText);
    }
}

TEST(ExprOperator, MissingOperandTextOfABaseClassIsReportedAndEmpty) {
    wxString message = L"not asked";
    EXPECT_ASSERTS(message = TBareOper().MissingArgError(), "MissingArgError");
    EXPECT_EQ(message, wxString());
}

// A parse never gives a call more than one argument, but a tree built otherwise prints each.
TEST(ExprOperator, ACallPrintsEveryArgumentJoinedByCommas) {
    const int counts[] = {0, 1, 3};
    const wchar_t* const images[] = {L"f()", L"f(1)", L"f(1,2.0,3)"};
    for (int i = 0; i < 3; ++i) {
        TFunctionOper call(L"f");
        const wchar_t* const texts[] = {L"1", L"2.0", L"3"};
        for (int k = 0; k < counts[i]; ++k)
            call.AppendOperand(new TValueNode(texts[k], TVariant(double(k + 1))));
        wxString image;
        call.AppendImage(image);
        EXPECT_EQ(image, wxString(images[i]));
    }
}
