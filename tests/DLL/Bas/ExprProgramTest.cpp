#include "DLL/Bas/ExprProgram.h"

#include "DLL/Bas/ExprFunction.h"
#include "DLL/Bas/ExprOperator.h"
#include "ExprTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace NSExprTest;

namespace {

const TRootNode& RootOf(const TFormula& pFormula) {
    return *dynamic_cast<const TRootNode*>(pFormula.GetCurNode());
}

// The value of the tree below the root, which never runs a program.
TVariant TreeValue(const TFormula& pFormula) {
    return RootOf(pFormula).GetOperands().GetFirst()->GetData()->GetValue();
}

struct TBound {
    explicit TBound(const wchar_t* pText) {
        FillContext(aContext);
        aFormula.Parse(pText);
        aFormula.SetContext(aContext);
    }
    TContext aContext;
    TFormula aFormula;
};

class TIdentityFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override { return pX; }
};

} // namespace

// Every shape of operand a step can take (a number, a variable, a computed value on either
// side, folded constants), with x running through signed zeros, infinities and then values
// that no program reads (a NaN, a text, undefined): the program's value is the tree's, bit
// for bit.
TEST(ExprProgram, ComputesWhatTheTreeComputes) {
    const std::vector<const wchar_t*> groups[] = {
        {L"a - b - x", L"x - b - c", L"a / b / x", L"(a - x) - (c - d)", L"a - (b - (c - x))",
         L"(a * x - c) - (d - x * (a - b))", L"3 - 7 / 8 * x", L"1e999 - 1e999 + x", L"-0 * x"},
        {L"x % b % c", L"-x % b", L"7.9 % 2.5 - x", L"- -x", L"-(a - x)", L"a - -x", L"(((x)))",
         L"pi * e"},
        {L"x == b", L"x <= a", L"x >= b", L"x > -x", L"(0 / 0) ? x : 2", L"x ? 1 / x : -1 / x",
         L"1 ? 2 : x : 3", L"x < 1 ? x : a ? b : c", L"x < a ? sin(x) : cos(x)"},
        {L"round(-x)", L"floor(a / x)", L"tan(x) + log(x) * exp(x)"}};
    const TVariant values[] = {TVariant(0.5),   TVariant(-3.0),         TVariant(0.0),
                               TVariant(-0.0),  TVariant(HUGE_VAL),     TVariant(-HUGE_VAL),
                               TVariant(1e300), TVariant(std::nan("")), TVariant(wxString(L"t")),
                               TVariant()};
    for (const auto& texts : groups)
        for (const wchar_t* text : texts) {
            TBound bound(text);
            EXPECT_TRUE(RootOf(bound.aFormula).IsCompiled()) << wxString(text);
            for (const TVariant& x : values) {
                bound.aContext.SetValue(L"x", x);
                EXPECT_EQ(Describe(ValueOf(bound.aFormula)), Describe(TreeValue(bound.aFormula)))
                    << wxString(text) << " with x " << Describe(x);
            }
        }
}

// Trees with other functions, unbound names or missing operands are evaluated by the tree.
TEST(ExprProgram, OnlyCompletelyBoundBuiltInTreesCompile) {
    const TIdentityFunc identity;
    const struct {
        const wchar_t* aText;
        bool aCompiled;
    } cases[] = {{L"sin(x) + 1", true}, {L"same(x) + 1", false}, {L"y + 1", false},
                 {L"", false},          {L"1 +", false},         {L"round()", false},
                 {L"1 ? 2", false},     {L"1 + 2", true}};
    for (const auto& c : cases) {
        TBound bound(c.aText);
        bound.aContext.SetFunction(L"same", &identity);
        bound.aFormula.SetContext(bound.aContext);
        EXPECT_EQ(RootOf(bound.aFormula).IsCompiled(), c.aCompiled) << wxString(c.aText);
    }
}

// A change of the tree or of its binding after evaluations drops the program: the next
// value is that of the new tree, never the old one's.
TEST(ExprProgram, ChangedTreesAndBindingsAreNeverEvaluatedByAnOldProgram) {
    TBound conditional(L"zero ? a : b");
    EXPECT_EQ(Describe(ValueOf(conditional.aFormula)), Describe(4.0));
    dynamic_cast<IOperNode*>(RootOf(conditional.aFormula).GetOperands().GetFirst()->GetData())
        ->AppendOperand(new TValueNode(L"9", TVariant(9.0)));
    EXPECT_EQ(Describe(ValueOf(conditional.aFormula)), Describe(9.0));

    TBound bound(L"a + (b)");
    EXPECT_EQ(Describe(ValueOf(bound.aFormula)), Describe(14.0));
    IOperNode* plus =
        dynamic_cast<IOperNode*>(RootOf(bound.aFormula).GetOperands().GetFirst()->GetData());
    ASSERT_NE(plus, nullptr);
    IOperNode* parenthesis = dynamic_cast<IOperNode*>(plus->GetOperands().GetLast()->GetData());
    delete parenthesis->PopLastOperand();
    EXPECT_FALSE(RootOf(bound.aFormula).IsCompiled());
    parenthesis->AppendOperand(new TValueNode(L"5", TVariant(5.0)));
    EXPECT_EQ(Describe(ValueOf(bound.aFormula)), Describe(15.0));
    EXPECT_TRUE(RootOf(bound.aFormula).IsCompiled());

    TContext other;
    other.SetValue(L"a", TVariant(1.0));
    EXPECT_TRUE(bound.aFormula.SetContext(other));
    EXPECT_EQ(Describe(ValueOf(bound.aFormula)), Describe(6.0));
    // A copy is bound to the same entries and compiles at its first evaluation.
    const TFormula copy(bound.aFormula);
    *other.GetValue(L"a") = 2.0;
    EXPECT_EQ(Describe(ValueOf(copy)), Describe(7.0));
    EXPECT_TRUE(RootOf(copy).IsCompiled());
}

// Operands are ordered so that a long chain needs a short stack; a tree deeper than the
// compiler goes is evaluated by the tree.
TEST(ExprProgram, LongChainsCompileUpToTheDepthLimit) {
    // Each pair of steps adds one level: 150 and 1500 levels.
    for (int length : {300, 3000}) {
        std::wstring text = L"x";
        for (int i = 0; i < length; ++i)
            text += i % 2 ? L" - x" : L" * (x + 1)";
        TBound bound(text.c_str());
        EXPECT_EQ(RootOf(bound.aFormula).IsCompiled(), length == 300);
        EXPECT_EQ(Describe(ValueOf(bound.aFormula)), Describe(TreeValue(bound.aFormula)));
    }
}
