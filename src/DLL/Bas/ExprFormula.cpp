#include "DLL/Bas/ExprFormula.h"

#include "ALL/Assert.h"
#include "DLL/Bas/ExprNode.h"
#include "DLL/Bas/ExprOperator.h"

#include <wx/intl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <locale.h>
#include <memory>
#include <string>

namespace NSExpression {

namespace {

bool IsDigit(wchar_t pChar) {
    return pChar >= L'0' && pChar <= L'9';
}

// Letters are A-Z and a-z only; any other character goes to the extension hook.
bool IsLetter(wchar_t pChar) {
    return (pChar >= L'a' && pChar <= L'z') || (pChar >= L'A' && pChar <= L'Z');
}

bool IsBlank(wchar_t pChar) {
    return pChar == L' ' || (pChar >= L'\t' && pChar <= L'\r');
}

const wchar_t* Translated(const wchar_t* pText) {
    return wxGetTranslation(pText).wc_str();
}

// The value of a number text as the lexer accepts it (digits, ".", an exponent), converted in
// the C locale. Out of range it is still the nearest the conversion gives (an infinity, 0 or
// a subnormal); a text without a digit before its exponent (".", ".e5") is 0.
double ToCDouble(const wchar_t* pBegin, const wchar_t* pEnd) {
    static const locale_t theClassic = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const std::string text(pBegin, pEnd);
    return strtod_l(text.c_str(), nullptr, theClassic);
}

// The cursor's 1-based position, saturated to 32 bits.
int32_t PositionOf(const wchar_t* pCursor, const wchar_t* pText) {
    const ptrdiff_t offset = pCursor - pText;
    return static_cast<int32_t>(
        std::min<ptrdiff_t>(offset, std::numeric_limits<int32_t>::max() - 1) + 1);
}

} // namespace

TFormula::TFormula() : aText(nullptr), aCurNode(nullptr), aExpectOperator(0), aHeight(0) {}

TFormula::TFormula(const TFormula& pSrcFormula)
    : TParser(pSrcFormula), aText(nullptr), aCurNode(nullptr),
      aExpectOperator(pSrcFormula.aExpectOperator), aErrors(pSrcFormula.aErrors),
      aHeight(pSrcFormula.aHeight) {
    const IOperNode* root = pSrcFormula.aCurNode;
    if (!root)
        return;
    if (!ZV_ASSERT(pSrcFormula.aCurNode->GetParent() == NULL)) {
        while (root->GetParent())
            root = root->GetParent();
    }
    aCurNode = root->Clone();
}

TFormula::~TFormula() {
    deleteNode();
}

void TFormula::AddError(const wchar_t* pText) {
    // A hostile text can fail at nearly every character; the first errors say all there is.
    if (aErrors.size() >= MAX_ERRORS)
        return;
    const int32_t position = aCursor && aText ? PositionOf(aCursor, aText) : -1;
    aErrors.push_back({position, pText ? pText : L""});
}

wxString TFormula::GetImage() const {
    wxString image;
    if (aCurNode)
        aCurNode->AppendImage(image);
    return image;
}

IToken* TFormula::GetExtendedToken() {
    return nullptr;
}

bool TFormula::Parse(const wchar_t* pText) {
    deleteNode();
    aCurNode = new TRootNode;
    aLevels.assign(1, TLevel{0, 0});
    aText = pText ? pText : L"";
    aCursor = aText;
    aExpectOperator = 0;
    bool atEnd;
    do {
        SkipBlanks();
        atEnd = *aCursor == L'\0';
        ReadAndInsertToken();
    } while (!atEnd);
    // The end closed every node: the root's level holds its tallest operand.
    aHeight = aCurNode->GetOperands().IsEmpty() ? 0 : aLevels.front().aMaxHeight + 1;
    aCursor = nullptr;
    aText = nullptr;
    return aErrors.empty();
}

bool TFormula::SetContext(const TContext& pContext) {
    return !aCurNode || aCurNode->CheckSemantic(pContext, *this);
}

void TFormula::deleteNode() {
    if (!aCurNode)
        return;
    while (aCurNode->GetParent())
        aCurNode = aCurNode->GetParent();
    delete aCurNode;
    aCurNode = nullptr;
    aHeight = 0;
}

// One lexeme: a refused or failed token records one message and leaves the state as it was.
void TFormula::ReadAndInsertToken() {
    std::unique_ptr<IToken> token(ReadToken());
    if (!token) {
        AddError(Translated(L"Invalid operator"));
        SkipOneCharacter();
        return;
    }
    if (!token->IsExpected(*this)) {
        AddError(token->GetPlaceError().wc_str());
        return;
    }
    if (const wchar_t* message = token->Insert(*this))
        AddError(message);
    else
        aExpectOperator = token->OperatorFollows();
}

IToken* TFormula::ReadToken() {
    const wchar_t first = *aCursor;
    if (IsDigit(first) || first == L'.')
        return ReadNumber();
    if (IsLetter(first))
        return ReadName();
    if (first == L'\0')
        return new TEOFToken;
    ++aCursor;
    switch (first) {
    case L'-':
        if (aExpectOperator)
            return new TNAryOperatorToken(new TSubOper);
        return new TUnaryOperatorToken(new TNegateOper);
    case L'+':
        // There is no unary plus: the "+" is read and refused.
        return aExpectOperator ? new TNAryOperatorToken(new TPlusOper) : nullptr;
    case L'*':
        return new TNAryOperatorToken(new TTimesOper);
    case L'/':
        return new TNAryOperatorToken(new TDivOper);
    case L'%':
        return new TNAryOperatorToken(new TModOper);
    case L'=':
        if (*aCursor == L'=')
            ++aCursor;
        return new TNAryOperatorToken(new TEqualOper);
    case L'<':
        if (*aCursor != L'=')
            return new TNAryOperatorToken(new TLessThanOper);
        ++aCursor;
        return new TNAryOperatorToken(new TLessEqualOper);
    case L'>':
        if (*aCursor != L'=')
            return new TNAryOperatorToken(new TGreaterThanOper);
        ++aCursor;
        return new TNAryOperatorToken(new TGreaterEqualOper);
    case L'?':
        return new TNAryOperatorToken(new TConditionalOper);
    case L':':
        return new TNextAltToken;
    case L',':
        return new TNextArgToken;
    case L'(':
        return new TUnaryOperatorToken(new TParenthesisOper);
    case L')':
        return new TCloseToken;
    default:
        --aCursor;
        return ReadExtension();
    }
}

// digits ["." digits] [("e" | "E") ["+" | "-"] digits], or starting with ".". A malformed
// number records its message and gives no token; what was read of it is dropped.
IToken* TFormula::ReadNumber() {
    const wchar_t* const start = aCursor;
    bool point = *aCursor == L'.';
    if (point)
        ++aCursor;
    bool exponent = false;
    for (;;) {
        while (IsDigit(*aCursor))
            ++aCursor;
        if (*aCursor == L'.') {
            if (point || exponent) {
                AddError(Translated(point ? L"2 decimal points found in number"
                                          : L"Decimal point found in Exponent"));
                return nullptr;
            }
            point = true;
            ++aCursor;
        } else if (*aCursor == L'e' || *aCursor == L'E') {
            const bool twice = exponent;
            if (twice)
                AddError(Translated(L"2 Exponents found in number"));
            ++aCursor;
            if (*aCursor == L'+' || *aCursor == L'-')
                ++aCursor;
            if (!IsDigit(*aCursor)) {
                AddError(Translated(L"Non-numeric character found in number exponent"));
                return nullptr;
            }
            if (twice)
                return nullptr;
            exponent = true;
        } else {
            break;
        }
    }
    return new TLeafToken(
        new TValueNode(wxString(start, aCursor - start), TVariant(ToCDouble(start, aCursor))));
}

// A name, with the blanks after it; followed by "(" it opens a call.
IToken* TFormula::ReadName() {
    const wchar_t* const start = aCursor;
    while (IsLetter(*aCursor) || IsDigit(*aCursor))
        ++aCursor;
    const wxString name(start, aCursor - start);
    SkipBlanks();
    if (*aCursor != L'(')
        return new TLeafToken(new TVariableNode(name));
    ++aCursor;
    return new TUnaryOperatorToken(new TFunctionOper(name));
}

IToken* TFormula::ReadExtension() {
    const wchar_t* const start = aCursor;
    IToken* token = GetExtendedToken();
    // A token that took no character would be offered again at the same place forever.
    if (token && aCursor == start)
        SkipOneCharacter();
    return token;
}

void TFormula::SkipBlanks() {
    while (IsBlank(*aCursor))
        ++aCursor;
}

void TFormula::SkipOneCharacter() {
    if (*aCursor != L'\0')
        ++aCursor;
}

void TFormula::InsertLeaf(IExprNode* pNode) {
    aCurNode->AppendOperand(pNode);
    aLevels.back().aLastHeight = 0;
}

bool TFormula::AddOperator(IOperNode* pNode) {
    // The new node's operands must still fit.
    if (GetDepth() + 1 >= MAX_DEPTH)
        return TooDeep();
    aCurNode->AppendOperand(pNode);
    aCurNode = pNode;
    aLevels.push_back(TLevel{0, 0});
    return true;
}

bool TFormula::InsertOperator(IOperNode* pNode) {
    CloseAbove(pNode->GetPriority());
    // The last operand moves one level down, under the new node.
    const bool moves = !aCurNode->GetOperands().IsEmpty();
    const int moved = moves ? aLevels.back().aLastHeight : 0;
    if (GetDepth() + 1 >= MAX_DEPTH || (moves && GetDepth() + 2 + moved > MAX_DEPTH))
        return TooDeep();
    if (IExprNode* operand = aCurNode->PopLastOperand())
        pNode->AppendOperand(operand);
    aCurNode->AppendOperand(pNode);
    aCurNode = pNode;
    aLevels.push_back(TLevel{moved, moved});
    return true;
}

void TFormula::closeCurNode() {
    if (aCurNode->GetOperandCount() > static_cast<int>(aCurNode->GetOperands().GetCount()))
        AddError(aCurNode->MissingArgError().wc_str());
    FinishCurNode();
}

int TFormula::ProcessNext(ETokenLevel pLevel) {
    CloseAbove(pLevel);
    if (aCurNode->GetPriority() != pLevel)
        return 2;
    const int count = aCurNode->GetOperandCount();
    if (count > 0 && count < static_cast<int>(aCurNode->GetOperands().GetCount()))
        return 1;
    if (pLevel == levelPAREN)
        FinishCurNode();
    return 0;
}

int TFormula::ProcessCloser(ETokenLevel pLevel) {
    CloseAbove(pLevel);
    if (aCurNode->GetPriority() != pLevel)
        return 2;
    closeCurNode();
    return 0;
}

bool TFormula::TooDeep() {
    AddError(wxString::Format(wxGetTranslation(L"Expression nested deeper than %d levels"),
                              MAX_DEPTH)
                 .wc_str());
    while (aCurNode->GetParent())
        FinishCurNode();
    // An extension may build outside a parse, where there is no text to end.
    if (aCursor)
        aCursor += std::wcslen(aCursor);
    return false;
}

void TFormula::CloseAbove(int pPriority) {
    while (aCurNode->GetPriority() > pPriority && aCurNode->GetParent())
        closeCurNode();
}

void TFormula::FinishCurNode() {
    IOperNode* parent = aCurNode->GetParent();
    if (!parent)
        return;
    // A node closed without operand (after an error) is as high as a leaf.
    const int height = aCurNode->GetOperands().IsEmpty() ? 0 : aLevels.back().aMaxHeight + 1;
    aLevels.pop_back();
    aCurNode = parent;
    TLevel& level = aLevels.back();
    level.aLastHeight = height;
    level.aMaxHeight = std::max(level.aMaxHeight, height);
}

} // namespace NSExpression
