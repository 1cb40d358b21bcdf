// Shared pieces of the expression tests: a context with the usual variables, and parse
// results as comparable values.
#pragma once

#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/ExprNode.h"

#include "support/WxPrint.h"

#include <string>
#include <utility>
#include <vector>

namespace NSExprTest {

using namespace NSExpression;

// {position, message}
using TErrorEntry = std::pair<int, wxString>;

// The predefined names and a = 10, b = 4, c = 2, d = 7, x = 0.5, zero = 0, t the text "txt",
// u undefined.
inline void FillContext(TContext& pContext) {
    pContext.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    const wchar_t* const names[] = {L"a", L"b", L"c", L"d", L"x", L"zero"};
    const double values[] = {10, 4, 2, 7, 0.5, 0};
    for (size_t i = 0; i < 6; ++i)
        pContext.SetValue(names[i], TVariant(values[i]));
    pContext.SetValue(L"t", TVariant(wxString(L"txt")));
    pContext.SetValue(L"u", TVariant());
}

inline std::vector<TErrorEntry> ErrorsOf(const TFormula& pFormula) {
    std::vector<TErrorEntry> errors;
    for (const TParseError& error : pFormula.GetErrors())
        errors.emplace_back(error.aPosition, error.aMessage);
    return errors;
}

inline TVariant ValueOf(const TFormula& pFormula) {
    return pFormula.GetCurNode() ? pFormula.GetCurNode()->GetValue() : TVariant();
}

// The value of pText parsed and bound to pContext (errors are the caller's business).
inline TVariant Evaluate(const wchar_t* pText, const TContext& pContext) {
    TFormula formula;
    formula.Parse(pText);
    formula.SetContext(pContext);
    return ValueOf(formula);
}

// A value's kind and content, exact to the bit: compare two of them with EXPECT_EQ.
inline std::string Describe(const TVariant& pValue) {
    if (pValue.IsNumeric())
        return wxString::Format(L"%.17g (bits %llx)", pValue.GetDouble(),
                                static_cast<unsigned long long>(pValue.GetBits()))
            .utf8_string();
    return pValue.IsText() ? "text:" + pValue.GetText().utf8_string() : "undefined";
}

} // namespace NSExprTest
