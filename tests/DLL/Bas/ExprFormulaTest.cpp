#include "DLL/Bas/ExprFormula.h"

#include "DLL/Bas/ExprOperator.h"
#include "ExprTestSupport.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <random>

using namespace NSExprTest;

namespace {

const wchar_t* const INVALID = L"Invalid operator";
const wchar_t* const VALUE = L"A value has been found when expecting an operator";
const wchar_t* const UNARY = L"A unary operator has been found when expecting a binary operator";
const wchar_t* const NO_OPEN = L"Cannot find matching opening parenthesis";
const wchar_t* const COLON_OUTSIDE = L"Found colon (:) outside conditional expression";
const wchar_t* const TOO_MANY_ARGS = L"Too many parameters";
const wchar_t* const MISSING_OPERAND = L"Missing operand in binary operator";
const wchar_t* const MISSING_ALT = L"Missing alternative in conditional expression";
const wchar_t* const MISSING = L"Missing operand";
const wchar_t* const TOO_DEEP = L"Expression nested deeper than 10000 levels";

// The deepest node below pNode (the tree under test is never deeper than the code's own walks).
int TreeDepth(const IExprNode* pNode) {
    const auto* oper = dynamic_cast<const IOperNode*>(pNode);
    int deepest = 0;
    for (auto item = oper ? oper->GetOperands().GetFirst() : nullptr; item; item = item->GetNext())
        deepest = std::max(deepest, 1 + TreeDepth(item->GetData()));
    return deepest;
}

wxString Repeated(const wxString& pText, size_t pCount) {
    wxString text;
    while (pCount-- > 0)
        text += pText;
    return text;
}

// The language with values "#n" (one digit) worth 100 n; keeps each message AddError receives.
class THashFormula : public TFormula {
public:
    IToken* GetExtendedToken() override {
        const wchar_t* const start = GetCursor();
        if (start[0] != L'#' || !std::iswdigit(start[1]))
            return nullptr;
        SetCursor(start + 2);
        const double value = 100.0 * (start[1] - L'0');
        return new TLeafToken(new TValueNode(wxString(start, 2), TVariant(value)));
    }
    void AddError(const wchar_t* pText) override {
        aSeen.push_back(pText);
        TFormula::AddError(pText);
    }

    std::vector<wxString> aSeen;
};

// Copies itself in the middle of a parse.
class TCopyingFormula : public TFormula {
public:
    IToken* GetExtendedToken() override {
        aCopyImage = TFormula(*this).GetImage();
        return nullptr;
    }
    wxString aCopyImage;
};

} // namespace

TEST(ExprParser, RecordsEachErrorWithItsPositionAndGoesOn) {
    const struct {
        const wchar_t* aText;
        const wchar_t* aImage;
        std::vector<TErrorEntry> aErrors;
    } cases[] = {
        {L"1 2", L"1", {{4, VALUE}}},
        {L"+3", L"", {{2, INVALID}}},
        {L"a)", L"a", {{3, NO_OPEN}}},
        {L"round(a, b)", L"round(a)", {{12, NO_OPEN}}},
        {L"(a, b)", L"(a)", {{7, NO_OPEN}}},
        {L"a, b", L"a", {{3, L"Found comma (,) outside a parameter list"}, {5, VALUE}}},
        {L"c ? a : b : d : a", L"c ? a : d", {{16, L"Too many alternatives"}, {18, VALUE}}},
        {L"c ? a", L"c ? a : ", {{6, MISSING_ALT}}},
        {L"c1 ? c2 ? a : b : d", L"c1 ? c2 ? a : d : ", {{20, MISSING_ALT}}},
        {L"1.2.3", L"3", {{4, L"2 decimal points found in number"}, {4, INVALID}}},
        {L"1e", L"", {{3, L"Non-numeric character found in number exponent"}, {3, INVALID}}},
        {L"1e2e3", L"", {{4, L"2 Exponents found in number"}, {5, INVALID}}},
        {L"sin x", L"sin", {{6, VALUE}}},
        {L"a_b", L"a", {{2, INVALID}, {4, VALUE}}},
        {L"1 +", L"1 + ", {{4, MISSING_OPERAND}}},
        // Each misplaced lexeme is recorded once and the parse goes on as if it were absent.
        {L"1e5.3", L"3", {{4, L"Decimal point found in Exponent"}, {4, INVALID}}},
        {L"* 2", L"2", {{2, L"An operator has been found when expecting a value"}}},
        {L"1 (2)", L"1", {{4, UNARY}, {5, VALUE}, {6, NO_OPEN}}},
        {L"c ? (a : b)", L"c ? (a) : ", {{9, COLON_OUTSIDE}, {11, VALUE}, {12, MISSING_ALT}}},
        {L"a @ b $ + 1", L"a + 1", {{3, INVALID}, {7, VALUE}, {7, INVALID}}},
        {L"-", L"-", {{2, MISSING}}},
        {L"()", L"()", {{3, L"A separator has been found when expecting a value"}, {3, MISSING}}},
        // A call takes any number of arguments: none is no missing operand. A "," ends the
        // inner call and what follows goes to the outer one, which prints every operand.
        {L"round(", L"round()", {}},
        {L"f()", L"f()", {{4, L"A separator has been found when expecting a value"}}},
        {L"f(g(a, b", L"f(g(a),b)", {}},
        // The "," ends the call, so "b" goes to the parenthesis, which the ")" finds over-full.
        {L"(round(a, b)) + 1", L"(round(a))", {{13, TOO_MANY_ARGS}, {14, TOO_MANY_ARGS}}},
        // Positions count characters: the emoji outside the 16-bit range is one.
        {L"\U0001F600 \u00e9 1", L"1", {{1, INVALID}, {3, INVALID}}}};
    for (const auto& c : cases) {
        TFormula formula;
        EXPECT_EQ(formula.Parse(c.aText), c.aErrors.empty()) << wxString(c.aText);
        EXPECT_EQ(ErrorsOf(formula), c.aErrors) << wxString(c.aText);
        EXPECT_EQ(formula.GetImage(), wxString(c.aImage)) << wxString(c.aText);
    }
}

TEST(ExprParser, SecondParseReplacesTheTreeAndKeepsEarlierErrors) {
    TFormula formula;
    TContext empty;
    EXPECT_FALSE(formula.Parse(L"1 +"));
    EXPECT_FALSE(formula.Parse(L"q"));
    EXPECT_FALSE(formula.SetContext(empty));
    EXPECT_FALSE(formula.Parse(L"2 * 3"));
    EXPECT_EQ(formula.GetImage(), wxString(L"2 * 3"));
    EXPECT_EQ(ErrorsOf(formula),
              (std::vector<TErrorEntry>{{4, MISSING_OPERAND}, {-1, L"Unknown variable q"}}));
    EXPECT_EQ(Describe(ValueOf(formula)), Describe(6.0));
}

TEST(ExprParser, ExtendedTokenAddsLeavesOfItsOwn) {
    THashFormula formula;
    EXPECT_TRUE(formula.Parse(L"#4 * 2 + -#3"));
    EXPECT_EQ(formula.GetImage(), wxString(L"#4 * 2 + -#3"));
    EXPECT_EQ(Describe(ValueOf(TFormula(formula))), Describe(500.0));

    // The hook declines "#x": the character is unknown, the name after it a misplaced value;
    // every message goes through the override, the closing ones included.
    THashFormula declined;
    EXPECT_FALSE(declined.Parse(L"#1 #x +"));
    EXPECT_EQ(ErrorsOf(declined),
              (std::vector<TErrorEntry>{{4, INVALID}, {7, VALUE}, {8, MISSING_OPERAND}}));
    EXPECT_EQ(declined.aSeen, (std::vector<wxString>{INVALID, VALUE, MISSING_OPERAND}));
}

TEST(ExprParser, CopyKeepsTreeErrorsAndBindingAndOutlivesTheSource) {
    TContext context;
    FillContext(context);
    TFormula formula;
    EXPECT_FALSE(formula.Parse(L"a * (t ? -b : c) )"));
    EXPECT_TRUE(formula.SetContext(context));
    const TFormula copy(formula);
    EXPECT_EQ(copy.GetImage(), wxString(L"a * (t ? -b : c)"));
    EXPECT_EQ(ErrorsOf(copy), ErrorsOf(formula));
    formula.deleteNode();
    EXPECT_EQ(formula.GetImage(), wxString());
    EXPECT_EQ(TFormula(formula).GetCurNode(), nullptr);
    *context.GetValue(L"a") = 3.0;
    EXPECT_EQ(Describe(ValueOf(copy)), Describe(-12.0));

    TCopyingFormula unfinished;
    EXPECT_ASSERTS(unfinished.Parse(L"(1 + !"), "pSrcFormula.aCurNode->GetParent() == __null");
    EXPECT_EQ(unfinished.aCopyImage, wxString(L"(1 + )"));
}

TEST(ExprParser, BuildsEachValidTextAndItsImageParsesBackToTheSameImageAndValue) {
    TContext context;
    FillContext(context);
    // Each image with texts that print as it; without an image, each text prints as itself.
    const struct {
        const wchar_t* aImage;
        std::vector<const wchar_t*> aTexts;
    } cases[] = {
        {nullptr,
         {L"-3", L"2 - -3", L"a - b - c", L"a * b + c", L"c ? a : b", L"1e5", L"1.5E-3", L"1.50",
          L"round(a / 2) % 3", L"a < 10 ? 1 : 2", L"c ? (d ? a : b) : x", L"c ? a : d ? b : x",
          L"(a ? b : c) ? d : x", L"((((a))))", L"t + 1", L"1 < t", L"u ? t : 1e999", L"-0"}},
        {nullptr,
         {L"---x", L"a / b * c / d", L"a < b < c", L"0 / 0", L"a % -b % c",
          L"sin(a * pi / 50) * 50 + 50", L"1.50 + 1e5 + .5 + 5. + 1E+3 + 2e-3",
          L"tan(x) >= cos(x) <= sin(x) > e"}},
        // Numbers out of range keep their converted value, and a number without digits is 0,
        // without an error (values in the evaluation table).
        {nullptr, {L"1e999", L"1e-400", L"1e-310", L".", L".e5"}},
        {L"", {L"", L"   "}},
        {L"a == b", {L"a = b", L"a == b", L"a==b"}},
        {L"a <= b", {L"a <= b", L"a<=b"}},
        {L"a >= b", {L"a >= b", L"a>=b"}},
        {L"a > b", {L"a>b"}},
        {L"sin(x)", {L"sin (x)", L"sin( x )"}},
        {L"a * b", {L"   a\t*\nb  ", L"a*b"}},
        {L"(a + b)", {L"(a + b"}},
        // A "," ends the call it stands in: what follows goes to the node above, which only
        // uses its first operand.
        {L"round(a)", {L"round(a, b"}},
        // A conditional with four operands prints its first, second and last.
        {L"c ? a : d", {L"c ? a : b : d"}},
        {L"-(a + b) * c", {L"-(a+b)*c"}},
        {L"c ? x : y", {L"c?x:y"}}};
    for (const auto& c : cases) {
        for (const wchar_t* text : c.aTexts) {
            TFormula formula;
            EXPECT_TRUE(formula.Parse(text)) << wxString(text);
            formula.SetContext(context);
            const wxString image = formula.GetImage();
            EXPECT_EQ(image, wxString(c.aImage ? c.aImage : text));
            TFormula again;
            EXPECT_TRUE(again.Parse(image.wc_str())) << image;
            again.SetContext(context);
            EXPECT_EQ(again.GetImage(), image);
            EXPECT_EQ(Describe(ValueOf(again)), Describe(ValueOf(formula))) << image;
        }
    }
}

TEST(ExprParser, IncompleteNodesPrintEachOperandOnce) {
    // Forty conditionals closed without their last alternative, each the second operand of
    // the one before: printing a missing alternative as the second again would double the
    // image at each level.
    TFormula formula;
    EXPECT_FALSE(formula.Parse((Repeated(L"a?", 40) + L"b").wc_str()));
    EXPECT_EQ(formula.GetErrors().size(), 40u);
    EXPECT_EQ(formula.GetImage(), Repeated(L"a ? ", 40) + L"b" + Repeated(L" : ", 40));
}

TEST(ExprParser, NestingStopsAtTheDepthLimit) {
    const int limit = TFormula::MAX_DEPTH;
    // Negations at depths 1 to limit - 1, the number at the limit.
    const wxString deepest = wxString(L'-', limit - 1) + L"1";
    TFormula formula;
    EXPECT_TRUE(formula.Parse(deepest.wc_str()));
    EXPECT_EQ(Describe(ValueOf(TFormula(formula))), Describe(-1.0));

    // The reading ends at the negation too many: the number after it is not read.
    TFormula refused;
    EXPECT_FALSE(refused.Parse((L"-" + deepest).wc_str()));
    EXPECT_EQ(ErrorsOf(refused), (std::vector<TErrorEntry>{{limit + 1, TOO_DEEP}}));
    EXPECT_EQ(refused.GetImage(), wxString(L'-', limit - 1));
}

// Each way of nesting, as deep as a formula may go and one level further: said once, where the
// lexeme too many ends, and nothing after it (an unknown character at the end) is read.
TEST(ExprParser, EachKindOfNestingIsSaidOnceAtTheLimit) {
    const auto repeated = [](const wchar_t* pText, int pCount) {
        return Repeated(pText, size_t(pCount));
    };
    // {kind, text of pCount nesting lexemes, the count that reaches the limit, where one more
    // is refused}
    const struct {
        const char* aKind;
        std::function<wxString(int)> aText;
        int aCount;
        int aPosition;
    } cases[] = {
        {"parentheses", [&](int n) { return repeated(L"(", n) + L"1" + repeated(L")", n); }, 9999,
         10001},
        {"negations", [&](int n) { return repeated(L"-", n) + L"1"; }, 9999, 10001},
        {"calls", [&](int n) { return repeated(L"floor(", n) + L"1" + repeated(L")", n); }, 9999,
         60001},
        {"sums", [&](int n) { return repeated(L"1+", n) + L"1"; }, 9999, 20001},
        {"conditionals", [&](int n) { return repeated(L"1?1:", n) + L"1"; }, 9999, 39999},
        // The parentheses are moved one level down by the sum, which takes them as its left.
        {"moved", [&](int n) { return repeated(L"(", n) + L"1" + repeated(L")", n) + L"+1"; }, 9998,
         20001},
    };
    for (const auto& c : cases) {
        TFormula deepest;
        EXPECT_TRUE(deepest.Parse(c.aText(c.aCount).wc_str())) << c.aKind;
        EXPECT_EQ(deepest.GetHeight(), TFormula::MAX_DEPTH) << c.aKind;
        TFormula refused;
        EXPECT_FALSE(refused.Parse((c.aText(c.aCount + 1) + L" @").wc_str())) << c.aKind;
        EXPECT_EQ(ErrorsOf(refused), (std::vector<TErrorEntry>{{c.aPosition, TOO_DEEP}}))
            << c.aKind;
        EXPECT_LE(refused.GetHeight(), TFormula::MAX_DEPTH) << c.aKind;
    }
}

// A hostile text can fail at nearly every character: the first errors are kept, no more; one
// that nests a million deep fails once.
TEST(ExprParser, AMillionNestingLexemesKeepToTheLimitWithoutAFloodOfErrors) {
    TFormula formula;
    EXPECT_FALSE(formula.Parse((wxString(L'(', 1000000) + L"1").wc_str()));
    EXPECT_EQ(ErrorsOf(formula), (std::vector<TErrorEntry>{{10001, TOO_DEEP}}));
    EXPECT_LE(TreeDepth(formula.GetCurNode()), TFormula::MAX_DEPTH);
    TContext context;
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_EQ(Describe(ValueOf(TFormula(formula))), Describe(TVariant()));

    TFormula unknown;
    EXPECT_FALSE(unknown.Parse(wxString(L'@', 1000000).wc_str()));
    EXPECT_EQ(unknown.GetErrors().size(), TFormula::MAX_ERRORS);
}

TEST(ExprParser, MovedOperandsNeverSinkBelowTheLimit) {
    // Random texts of nesting lexemes: closed subtrees are moved down by each operator of
    // lower precedence that follows them.
    const wchar_t* const lexemes[] = {L"(", L"(", L"(", L"-", L")", L")",  L"1", L"*",
                                      L"+", L"<", L"?", L":", L",", L"f(", L"%"};
    std::mt19937 random(4);
    for (int round = 0; round < 12; ++round) {
        wxString text;
        for (int i = 0; i < 60000; ++i)
            text += lexemes[i < 20000 ? random() % (round % 2 ? 15 : 4) : 4 + random() % 11];
        TFormula formula;
        formula.Parse(text.wc_str());
        EXPECT_LE(TreeDepth(formula.GetCurNode()), TFormula::MAX_DEPTH);
        EXPECT_EQ(formula.GetHeight(), TreeDepth(formula.GetCurNode()));
    }
}

// The height is what the evaluation of formulas read through references adds up.
TEST(ExprParser, TheHeightIsTheDepthOfTheDeepestNode) {
    const wchar_t* const lexemes[] = {L"(", L"-", L")", L"1", L"*",  L"+",
                                      L"<", L"?", L":", L",", L"f(", L"%"};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        wxString text;
        for (int i = 0; i < 40; ++i)
            text += lexemes[random() % 12];
        TFormula formula;
        formula.Parse(text.wc_str());
        ASSERT_EQ(formula.GetHeight(), TreeDepth(formula.GetCurNode())) << text;
    }
    TFormula formula;
    EXPECT_TRUE(formula.Parse(L""));
    EXPECT_EQ(formula.GetHeight(), 0);
    EXPECT_TRUE(formula.Parse(L"-(1 + 2 * 3)"));
    EXPECT_EQ(formula.GetHeight(), 5);
    formula.deleteNode();
    EXPECT_EQ(formula.GetHeight(), 0);
}
