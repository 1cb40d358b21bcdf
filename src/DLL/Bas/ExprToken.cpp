#include "DLL/Bas/ExprToken.h"

#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/ExprNode.h"

#include <wx/intl.h>

namespace NSExpression {

IToken::~IToken() = default;

TLeafToken::TLeafToken(IExprNode* pNode) : aNode(pNode) {}

TLeafToken::~TLeafToken() {
    delete aNode;
}

const wchar_t* TLeafToken::Insert(TFormula& pFormula) {
    pFormula.InsertLeaf(aNode);
    aNode = nullptr;
    return nullptr;
}

bool TLeafToken::IsExpected(const TFormula& pFormula) const {
    return !pFormula.IsExpectingOperator();
}

int TLeafToken::OperatorFollows() const {
    return 1;
}

wxString TLeafToken::GetPlaceError() const {
    return wxGetTranslation(L"A value has been found when expecting an operator");
}

IOperatorBaseToken::IOperatorBaseToken(IOperNode* pNode) : aNode(pNode) {}

IOperatorBaseToken::~IOperatorBaseToken() {
    delete aNode;
}

int IOperatorBaseToken::OperatorFollows() const {
    return 0;
}

TNAryOperatorToken::TNAryOperatorToken(IOperNode* pNode) : IOperatorBaseToken(pNode) {}

// Refused only where the tree would nest too deep, which the formula says itself.
const wchar_t* TNAryOperatorToken::Insert(TFormula& pFormula) {
    if (pFormula.InsertOperator(aNode))
        aNode = nullptr;
    return nullptr;
}

bool TNAryOperatorToken::IsExpected(const TFormula& pFormula) const {
    return pFormula.IsExpectingOperator();
}

wxString TNAryOperatorToken::GetPlaceError() const {
    return wxGetTranslation(L"An operator has been found when expecting a value");
}

TUnaryOperatorToken::TUnaryOperatorToken(IOperNode* pNode) : IOperatorBaseToken(pNode) {}

// As TNAryOperatorToken::Insert.
const wchar_t* TUnaryOperatorToken::Insert(TFormula& pFormula) {
    if (pFormula.AddOperator(aNode))
        aNode = nullptr;
    return nullptr;
}

bool TUnaryOperatorToken::IsExpected(const TFormula& pFormula) const {
    return !pFormula.IsExpectingOperator();
}

wxString TUnaryOperatorToken::GetPlaceError() const {
    return wxGetTranslation(L"A unary operator has been found when expecting a binary operator");
}

bool ISeparatorToken::IsExpected(const TFormula& pFormula) const {
    return pFormula.IsExpectingOperator();
}

int ISeparatorToken::OperatorFollows() const {
    return 0;
}

wxString ISeparatorToken::GetPlaceError() const {
    return wxGetTranslation(L"A separator has been found when expecting a value");
}

TCloseToken::TCloseToken() : ISeparatorToken(levelPAREN) {}

const wchar_t* TCloseToken::Insert(TFormula& pFormula) {
    switch (pFormula.ProcessNext(aLevel)) {
    case 1:
        // A "," finished the call inside the parenthesis, and what followed it went to the
        // parenthesis: "(round(a, b))".
        return wxGetTranslation(L"Too many parameters").wc_str();
    case 2:
        return wxGetTranslation(L"Cannot find matching opening parenthesis").wc_str();
    default:
        return nullptr;
    }
}

int TCloseToken::OperatorFollows() const {
    return 1;
}

TEOFToken::TEOFToken() : ISeparatorToken(levelEND) {}

const wchar_t* TEOFToken::Insert(TFormula& pFormula) {
    pFormula.ProcessNext(aLevel);
    return nullptr;
}

bool TEOFToken::IsExpected(const TFormula&) const {
    return true;
}

const wchar_t* INextToken::Insert(TFormula& pFormula) {
    switch (pFormula.ProcessNext(aLevel)) {
    case 1:
        aMessage = GetTooManyError();
        return aMessage.wc_str();
    case 2:
        aMessage = GetOutsideError();
        return aMessage.wc_str();
    default:
        return nullptr;
    }
}

TNextArgToken::TNextArgToken() : INextToken(levelPAREN) {}

wxString TNextArgToken::GetTooManyError() const {
    return wxGetTranslation(L"Too many parameters");
}

wxString TNextArgToken::GetOutsideError() const {
    return wxGetTranslation(L"Found comma (,) outside a parameter list");
}

TNextAltToken::TNextAltToken() : INextToken(levelALT) {}

wxString TNextAltToken::GetTooManyError() const {
    return wxGetTranslation(L"Too many alternatives");
}

wxString TNextAltToken::GetOutsideError() const {
    return wxGetTranslation(L"Found colon (:) outside conditional expression");
}

} // namespace NSExpression
