#include "DLL/Bas/ExprFormula.h"

#include "DLL/Bas/ExprOperator.h"
#include "ExprTestSupport.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <limits>
#include <random>

using namespace NSExprTest;

namespace {

const wchar_t* const INVALID = L"Invalid operator";
const wchar_t* const VALUE = L"A value has been found when expecting an operator";
const wchar_t* const OPERATOR = L"An operator has been found when expecting a value";
const wchar_t* const UNARY = L"A unary operator has been found when expecting a binary operator";
const wchar_t* const SEPARATOR = L"A separator has been found when expecting a value";
const wchar_t* const NO_OPEN = L"Cannot find matching opening parenthesis";
const wchar_t* const COMMA_OUTSIDE = L"Found comma (,) outside a parameter list";
const wchar_t* const COLON_OUTSIDE = L"Found colon (:) outside conditional expression";
const wchar_t* const TOO_MANY_ALT = L"Too many alternatives";
const wchar_t* const TOO_MANY_ARGS = L"Too many parameters";
const wchar_t* const MISSING_OPERAND = L"Missing operand in binary operator";
const wchar_t* const MISSING_ALT = L"Missing alternative in conditional expression";
const wchar_t* const MISSING = L"Missing operand";
const wchar_t* const TWO_POINTS = L"2 decimal points found in number";
const wchar_t* const POINT_IN_EXP = L"Decimal point found in Exponent";
const wchar_t* const TWO_EXP = L"2 Exponents found in number";
const wchar_t* const NO_EXP_DIGIT = L"Non-numeric character found in number exponent";

// The deepest node below pRoot, walked without recursion.
int TreeDepth(const IExprNode* pRoot) {
    std::vector<std::pair<const IExprNode*, int>> pending{{pRoot, 0}};
    int deepest = 0;
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        if (const auto* oper = dynamic_cast<const IOperNode*>(node))
            for (auto item = oper->GetOperands().GetFirst(); item; item = item->GetNext())
                pending.push_back({item->GetData(), depth + 1});
    }
    return deepest;
}

wxString Repeated(const wxString& pText, size_t pCount) {
    wxString text;
    text.reserve(pText.length() * pCount);
    for (size_t i = 0; i < pCount; ++i)
        text += pText;
    return text;
}

// "#" and digits: a node of the extension, worth 100 times its number.
class THashNode : public IExprNode {
public:
    explicit THashNode(const wxString& pDigits) : aDigits(pDigits) {}
    TVariant GetValue() const override {
        return TVariant(100.0 * std::wcstol(aDigits.wc_str(), nullptr, 10));
    }
    bool CheckSemantic(const TContext&, TParser&) override { return true; }
    void AppendImage(wxString& pImage) const override { pImage += L"#" + aDigits; }
    IExprNode* Clone() const override { return new THashNode(aDigits); }

private:
    wxString aDigits;
};

// The language with "#n" values; keeps every message its AddError receives.
class THashFormula : public TFormula {
public:
    IToken* GetExtendedToken() override {
        const wchar_t* const start = GetCursor();
        if (*start != L'#')
            return nullptr;
        const wchar_t* end = start + 1;
        while (*end >= L'0' && *end <= L'9')
            ++end;
        if (end == start + 1)
            return nullptr;
        SetCursor(end);
        return new TLeafToken(new THashNode(wxString(start + 1, end)));
    }
    void AddError(const wchar_t* pText) override {
        aSeen.push_back(pText);
        TFormula::AddError(pText);
    }

    std::vector<wxString> aSeen;
};

struct TParseCase {
    const wchar_t* aText;
    const wchar_t* aImage;
    std::vector<TErrorEntry> aErrors;
};

void ExpectParse(const TParseCase& pCase) {
    TFormula formula;
    EXPECT_EQ(formula.Parse(pCase.aText), pCase.aErrors.empty()) << wxString(pCase.aText);
    EXPECT_EQ(ErrorsOf(formula), pCase.aErrors) << wxString(pCase.aText);
    EXPECT_EQ(formula.GetImage(), wxString(pCase.aImage)) << wxString(pCase.aText);
    EXPECT_EQ(formula.GetCurNode()->GetParent(), nullptr) << wxString(pCase.aText);
}

} // namespace

TEST(ExprParser, BuildsTheDocumentedExamplesWithTheirErrors) {
    const TParseCase cases[] = {
        {L"", L"", {}},
        {L"   ", L"", {}},
        {L"1 2", L"1", {{4, VALUE}}},
        {L"-3", L"-3", {}},
        {L"2 - -3", L"2 - -3", {}},
        {L"+3", L"", {{2, INVALID}}},
        {L"a - b - c", L"a - b - c", {}},
        {L"a * b + c", L"a * b + c", {}},
        {L"a = b", L"a == b", {}},
        {L"a == b", L"a == b", {}},
        {L"a==b", L"a == b", {}},
        {L"a <= b", L"a <= b", {}},
        {L"a<=b", L"a <= b", {}},
        {L"a >= b", L"a >= b", {}},
        {L"a>=b", L"a >= b", {}},
        {L"a>b", L"a > b", {}},
        {L"(a + b", L"(a + b)", {}},
        {L"a)", L"a", {{3, NO_OPEN}}},
        {L"round(a, b)", L"round(a)", {{12, NO_OPEN}}},
        {L"(a, b)", L"(a)", {{7, NO_OPEN}}},
        {L"round(a, b", L"round(a)", {}},
        {L"a, b", L"a", {{3, COMMA_OUTSIDE}, {5, VALUE}}},
        {L"c ? a : b", L"c ? a : b", {}},
        {L"c ? a : b : d", L"c ? a : d", {}},
        {L"c ? a : b : d : a", L"c ? a : d", {{16, TOO_MANY_ALT}, {18, VALUE}}},
        {L"c ? a", L"c ? a : ", {{6, MISSING_ALT}}},
        {L"c1 ? c2 ? a : b : d", L"c1 ? c2 ? a : d : ", {{20, MISSING_ALT}}},
        {L"1.2.3", L"3", {{4, TWO_POINTS}, {4, INVALID}}},
        {L"1e5", L"1e5", {}},
        {L"1.5E-3", L"1.5E-3", {}},
        {L"1e", L"", {{3, NO_EXP_DIGIT}, {3, INVALID}}},
        {L"1e2e3", L"", {{4, TWO_EXP}, {5, INVALID}}},
        {L"sin (x)", L"sin(x)", {}},
        {L"sin x", L"sin", {{6, VALUE}}},
        {L"a_b", L"a", {{2, INVALID}, {4, VALUE}}},
        {L"1 +", L"1 + ", {{4, MISSING_OPERAND}}},
        {L"-(a+b)*c", L"-(a + b) * c", {}},
        {L"c?x:y", L"c ? x : y", {}},
        {L"sin( x )", L"sin(x)", {}},
        {L"1.50", L"1.50", {}},
    };
    for (const TParseCase& c : cases)
        ExpectParse(c);
}

TEST(ExprParser, RecordsEachMisplacedLexemeOnceAndGoesOn) {
    const TParseCase cases[] = {
        {L"..", L"", {{2, TWO_POINTS}, {2, INVALID}}},
        {L"1e5.3", L"3", {{4, POINT_IN_EXP}, {4, INVALID}}},
        {L"1e+", L"", {{4, NO_EXP_DIGIT}, {4, INVALID}}},
        {L"1e2e", L"", {{4, TWO_EXP}, {5, NO_EXP_DIGIT}, {5, INVALID}}},
        {L"1 + + 2", L"1 + 2", {{6, INVALID}}},
        {L"* 2", L"2", {{2, OPERATOR}}},
        {L", 1", L"1", {{2, SEPARATOR}}},
        {L"1 (2)", L"1", {{4, UNARY}, {5, VALUE}, {6, NO_OPEN}}},
        {L"1 : 2", L"1", {{4, COLON_OUTSIDE}, {6, VALUE}}},
        {L"1 ? 2 : 3 , 4", L"1 ? 2 : 3", {{12, COMMA_OUTSIDE}, {14, VALUE}}},
        {L"c ? (a : b)", L"c ? (a) : ", {{9, COLON_OUTSIDE}, {11, VALUE}, {12, MISSING_ALT}}},
        {L"a @ b $ + 1", L"a + 1", {{3, INVALID}, {7, VALUE}, {7, INVALID}}},
        {L"-", L"-", {{2, MISSING}}},
        {L"()", L"()", {{3, SEPARATOR}, {3, MISSING}}},
        {L"round()", L"round()", {{8, SEPARATOR}, {8, MISSING}}},
        {L"round(", L"round()", {{7, MISSING}}},
        // The "," ends the inner call: "b" reaches the outer one, which only uses its first.
        {L"f(g(a, b", L"f(g(a))", {}},
        // The "," ends the call, so "b" goes to the parenthesis, which the ")" finds over-full.
        {L"(round(a, b)) + 1", L"(round(a))", {{13, TOO_MANY_ARGS}, {14, TOO_MANY_ARGS}}},
        {L"\u00e9 1", L"1", {{1, INVALID}}},
        // Positions count characters: the emoji outside the 16-bit range is one.
        {L"\U0001F600 + 1", L"1", {{1, INVALID}, {4, INVALID}}},
    };
    for (const TParseCase& c : cases)
        ExpectParse(c);
}

TEST(ExprParser, SecondParseReplacesTheTreeAndKeepsEarlierErrors) {
    TFormula formula;
    EXPECT_FALSE(formula.Parse(L"1 +"));
    EXPECT_FALSE(formula.Parse(L"2 * 3"));
    EXPECT_EQ(formula.GetImage(), wxString(L"2 * 3"));
    EXPECT_EQ(ErrorsOf(formula), (std::vector<TErrorEntry>{{4, MISSING_OPERAND}}));
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(6.0)));

    TFormula bound;
    TContext empty;
    EXPECT_TRUE(bound.Parse(L"q"));
    EXPECT_FALSE(bound.SetContext(empty));
    EXPECT_FALSE(bound.Parse(L"1"));
    EXPECT_EQ(ErrorsOf(bound), (std::vector<TErrorEntry>{{-1, L"Unknown variable q"}}));
}

TEST(ExprParser, ConvertsNumbersEvenOutOfRange) {
    const struct {
        const wchar_t* aText;
        double aValue;
    } cases[] = {{L"1e999", std::numeric_limits<double>::infinity()},
                 {L"1e-400", 0.0},
                 {L"1e-310", 1e-310},
                 {L"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
                 {L"2.4703282292062327e-324", 0.0},
                 {L".", 0.0},
                 {L".e5", 0.0},
                 {L"1.", 1.0},
                 {L".5", 0.5},
                 {L"0.1", 0.1},
                 {L"00012", 12.0},
                 {L"1e+2", 100.0},
                 {L"1.5E-3", 0.0015},
                 {L"1.7976931348623157e308", std::numeric_limits<double>::max()}};
    for (const auto& c : cases) {
        TFormula formula;
        EXPECT_TRUE(formula.Parse(c.aText)) << wxString(c.aText);
        EXPECT_EQ(formula.GetImage(), wxString(c.aText));
        EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(c.aValue))) << wxString(c.aText);
    }
}

TEST(ExprParser, ExtendedTokenAddsLeavesOfItsOwn) {
    THashFormula formula;
    TContext context;
    FillContext(context);
    EXPECT_TRUE(formula.Parse(L"#12 * 2 + -#3"));
    EXPECT_TRUE(formula.SetContext(context));
    EXPECT_EQ(formula.GetImage(), wxString(L"#12 * 2 + -#3"));
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(2100.0)));

    const TFormula copy(formula);
    EXPECT_TRUE(SameValue(ValueOf(copy), TVariant(2100.0)));

    // The hook declines "#x": the character is unknown, the name after it a misplaced value;
    // every message goes through the override, the closing ones included.
    THashFormula declined;
    EXPECT_FALSE(declined.Parse(L"#1 #x +"));
    EXPECT_EQ(ErrorsOf(declined),
              (std::vector<TErrorEntry>{{4, INVALID}, {7, VALUE}, {8, MISSING_OPERAND}}));
    EXPECT_EQ(declined.aSeen, (std::vector<wxString>{INVALID, VALUE, MISSING_OPERAND}));
}

namespace {

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

TEST(ExprParser, CopyOfAnUnfinishedParseIsReportedAndCopiesTheWholeTree) {
    TCopyingFormula formula;
    EXPECT_ASSERTS(formula.Parse(L"(1 + !"), "pSrcFormula.aCurNode->GetParent() == __null");
    EXPECT_EQ(formula.aCopyImage, wxString(L"(1 + )"));
}

TEST(ExprParser, CopyKeepsTreeErrorsAndBinding) {
    TContext context;
    FillContext(context);
    TFormula formula;
    EXPECT_FALSE(formula.Parse(L"a * b )"));
    EXPECT_TRUE(formula.SetContext(context));
    const TFormula copy(formula);
    EXPECT_EQ(copy.GetImage(), wxString(L"a * b"));
    EXPECT_EQ(ErrorsOf(copy), ErrorsOf(formula));
    *context.GetValue(L"a") = 3.0;
    EXPECT_TRUE(SameValue(ValueOf(copy), TVariant(12.0)));
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(12.0)));

    formula.deleteNode();
    EXPECT_EQ(formula.GetCurNode(), nullptr);
    EXPECT_EQ(formula.GetImage(), wxString());
    EXPECT_TRUE(SameValue(ValueOf(copy), TVariant(12.0)));

    const TFormula empty(formula);
    EXPECT_EQ(empty.GetCurNode(), nullptr);
}

TEST(ExprParser, ImageParsesBackToTheSameImageAndValue) {
    TContext context;
    FillContext(context);
    const wchar_t* const corpus[] = {L"round(time / 2) % 3",
                                     L"sin(a * pi / 50) * 50 + 50",
                                     L"a < 10 ? 1 : 2",
                                     L"floor(a/3)*3+1",
                                     L"-(a+b)*c",
                                     L"- - -x",
                                     L"a-b-c-d",
                                     L"a/b*c/d",
                                     L"a<b<c",
                                     L"a=b=c",
                                     L"c1?a:b",
                                     L"c ? a : b : d",
                                     L"c ? (d ? a : b) : x",
                                     L"c ? a : d ? b : x",
                                     L"c ? a : b : d ? x : a",
                                     L"(a ? b : c) ? d : x",
                                     L"((((a))))",
                                     L"(a + b",
                                     L"round(a, b",
                                     L"-exp(log(a, b",
                                     L"f(g(a, b",
                                     L"exp(log(a)) - a",
                                     L"1.50 + 1e5 + .5 + 5. + 1E+3 + 2e-3",
                                     L"t + 1",
                                     L"1 < t",
                                     L"u ? t : 1e999",
                                     L"0/0",
                                     L"-0",
                                     L"tan(x) >= cos(x) <= sin(x) > e",
                                     L"a % -b % c",
                                     L"   a\t*\nb  ",
                                     L"sin   (  x  )"};
    for (const wchar_t* text : corpus) {
        TFormula formula;
        EXPECT_TRUE(formula.Parse(text)) << wxString(text);
        formula.SetContext(context);
        TFormula again;
        const wxString image = formula.GetImage();
        EXPECT_TRUE(again.Parse(image.wc_str())) << image;
        again.SetContext(context);
        EXPECT_EQ(again.GetImage(), image);
        EXPECT_TRUE(SameValue(ValueOf(again), ValueOf(formula))) << image;
    }
}

TEST(ExprParser, IncompleteNodesPrintEachOperandOnce) {
    // Forty conditionals closed without their last alternative, each the second operand of
    // the one before: printing a missing alternative as the second again would double the
    // image at each level.
    const wxString text = Repeated(L"a?", 40) + L"b";
    TFormula formula;
    EXPECT_FALSE(formula.Parse(text.wc_str()));
    EXPECT_EQ(formula.GetErrors().size(), 40u);
    EXPECT_EQ(formula.GetImage(), Repeated(L"a ? ", 40) + L"b" + Repeated(L" : ", 40));
}

TEST(ExprParser, NestingStopsAtTheDepthLimit) {
    const int limit = TFormula::MAX_DEPTH;
    // Negations at depths 1 to limit - 1, the number at the limit.
    const wxString deepest = wxString(L'-', limit - 1) + L"1";
    TFormula formula;
    EXPECT_TRUE(formula.Parse(deepest.wc_str()));
    EXPECT_EQ(TreeDepth(formula.GetCurNode()), limit);
    EXPECT_EQ(formula.GetImage(), deepest);
    EXPECT_TRUE(SameValue(ValueOf(formula), TVariant(-1.0)));
    const TFormula copy(formula);
    EXPECT_TRUE(SameValue(ValueOf(copy), TVariant(-1.0)));

    const wxString tooDeep = wxString(L'-', limit) + L"1";
    TFormula refused;
    EXPECT_FALSE(refused.Parse(tooDeep.wc_str()));
    EXPECT_EQ(ErrorsOf(refused), (std::vector<TErrorEntry>{{limit + 1, INVALID}}));
    EXPECT_EQ(refused.GetImage(), deepest);
}

TEST(ExprParser, TextsNestedAMillionDeepKeepToTheLimit) {
    const size_t million = 1000000;
    const struct {
        wxString aText;
        double aValue;
    } cases[] = {{wxString(L'(', million) + L"1", 1.0},
                 {wxString(L'-', million) + L"1", -1.0},
                 {Repeated(L"1+", million / 10) + L"1", TFormula::MAX_DEPTH}};
    for (const auto& c : cases) {
        TFormula formula;
        EXPECT_FALSE(formula.Parse(c.aText.wc_str()));
        EXPECT_EQ(formula.GetErrors().front().aMessage, wxString(INVALID));
        EXPECT_EQ(formula.GetErrors().size(), TFormula::MAX_ERRORS) << "no flood of errors";
        EXPECT_LE(TreeDepth(formula.GetCurNode()), TFormula::MAX_DEPTH);
        TContext context;
        EXPECT_TRUE(formula.SetContext(context));
        const TFormula copy(formula);
        EXPECT_TRUE(SameValue(ValueOf(copy), TVariant(c.aValue)));
        EXPECT_EQ(copy.GetImage(), formula.GetImage());
    }
}

TEST(ExprParser, MovedOperandsNeverSinkBelowTheLimit) {
    // Random texts of nesting lexemes: closed subtrees are moved down by each operator of
    // lower precedence that follows them.
    const wchar_t* const lexemes[] = {L"(", L"(", L"(", L"-", L")", L")",  L"1", L"*",
                                      L"+", L"<", L"?", L":", L",", L"f(", L"%"};
    std::mt19937 random(4);
    for (int round = 0; round < 12; ++round) {
        wxString text;
        for (int i = 0; i < 20000; ++i)
            text += lexemes[random() % (round % 2 ? 15 : 4)];
        for (int i = 0; i < 40000; ++i)
            text += lexemes[4 + random() % 11];
        TFormula formula;
        formula.Parse(text.wc_str());
        EXPECT_LE(TreeDepth(formula.GetCurNode()), TFormula::MAX_DEPTH);
        EXPECT_FALSE(formula.GetImage().empty());
    }
}
