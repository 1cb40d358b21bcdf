// Shared pieces of the expression tests: a context with the usual variables, parse results
// as comparable values, and value checks by kind and bits.
#pragma once

#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/ExprNode.h"

#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace NSExprTest {

using namespace NSExpression;

// The predefined names and a = 10, b = 4, c = 2, d = 7, x = 0.5, zero = 0, t the text "txt",
// u undefined.
inline void FillContext(TContext& pContext) {
    pContext.LoadPredefined(TContext::predALL, TContext::caseLOWER);
    const struct {
        const wchar_t* aName;
        double aValue;
    } numbers[] = {{L"a", 10}, {L"b", 4}, {L"c", 2}, {L"d", 7}, {L"x", 0.5}, {L"zero", 0}};
    for (const auto& number : numbers)
        pContext.SetValue(number.aName, TVariant(number.aValue));
    pContext.SetValue(L"t", TVariant(wxString(L"txt")));
    pContext.SetValue(L"u", TVariant());
}

struct TErrorEntry {
    int aPosition;
    wxString aMessage;
    bool operator==(const TErrorEntry& pOther) const {
        return aPosition == pOther.aPosition && aMessage == pOther.aMessage;
    }
};

inline std::ostream& operator<<(std::ostream& pStream, const TErrorEntry& pError) {
    return pStream << "{" << pError.aPosition << ", \"" << pError.aMessage.utf8_str() << "\"}";
}

inline std::vector<TErrorEntry> ErrorsOf(const TFormula& pFormula) {
    std::vector<TErrorEntry> errors;
    for (const TParseError& error : pFormula.GetErrors())
        errors.push_back({error.aPosition, error.aMessage});
    return errors;
}

inline TVariant ValueOf(const TFormula& pFormula) {
    return pFormula.GetCurNode() ? pFormula.GetCurNode()->GetValue() : TVariant();
}

// A value as text for messages: the number, "text:..." or "undefined".
inline wxString Describe(const TVariant& pValue) {
    if (pValue.IsText())
        return L"text:" + pValue.GetText();
    if (pValue.IsUndefined())
        return L"undefined";
    return wxString::Format(L"%.17g (bits %llx)", pValue.GetDouble(),
                            static_cast<unsigned long long>(pValue.GetBits()));
}

// Same kind, and same bits for a number or same text.
inline ::testing::AssertionResult SameValue(const TVariant& pActual, const TVariant& pExpected) {
    if (pActual == pExpected && pActual.IsText() == pExpected.IsText())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << Describe(pActual).utf8_str() << " instead of " << Describe(pExpected).utf8_str();
}

} // namespace NSExprTest
