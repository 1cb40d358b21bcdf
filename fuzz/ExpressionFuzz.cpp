// Formula texts from project files: any text is parsed, bound, evaluated, printed and copied
// without crash or undefined behaviour, its value is the same whether the compiled program or
// the tree computes it, and an error-free parse prints an image that parses back to the same
// image and the same value, unless it holds a call of other than one argument: a call takes
// any number, but the text of one with none or several does not parse.
#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/ExprNode.h"
#include "DLL/Bas/ExprOperator.h"
#include "FuzzInput.h"

#include <wx/string.h>

#include <cstdint>

namespace {

using namespace NSExpression;

TContext& Context() {
    static TContext theContext;
    static const bool theFilled = [] {
        theContext.LoadPredefined(TContext::predALL, TContext::caseLOWER);
        theContext.SetValue(L"time", TVariant(12.5));
        theContext.SetValue(L"name", TVariant(wxString(L"txt")));
        return true;
    }();
    (void)theFilled;
    return theContext;
}

TVariant ValueOf(const TFormula& pFormula) {
    return pFormula.GetCurNode() ? pFormula.GetCurNode()->GetValue() : TVariant();
}

// Same kind and same bits, or the same text.
bool Same(const TVariant& pFirst, const TVariant& pSecond) {
    return pFirst == pSecond && pFirst.IsText() == pSecond.IsText();
}

// Whether the tree under pNode holds a call of other than one argument.
bool HasOddCall(const IExprNode* pNode) {
    const IOperNode* node = dynamic_cast<const IOperNode*>(pNode);
    if (!node)
        return false;
    if (dynamic_cast<const TFunctionOper*>(node) && node->GetOperands().GetCount() != 1)
        return true;
    for (auto operand = node->GetOperands().GetFirst(); operand; operand = operand->GetNext())
        if (HasOddCall(operand->GetData()))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    const wxString text = FuzzText(pData, pSize);
    TFormula formula;
    const bool parsed = formula.Parse(text.wc_str());
    formula.SetContext(Context());
    const TVariant value = ValueOf(formula);
    Require(!value.IsNumeric() || !IsTagBits(value.GetBits()));
    // A compiled tree gives the value that walking the tree below the root gives.
    const IOperNode* root = formula.GetCurNode();
    if (root && root->GetOperands().GetFirst())
        Require(Same(root->GetOperands().GetFirst()->GetData()->GetValue(), value));
    const wxString image = formula.GetImage();

    const TFormula copy(formula);
    Require(copy.GetImage() == image);
    Require(Same(ValueOf(copy), value));

    if (parsed && !HasOddCall(formula.GetCurNode())) {
        TFormula again;
        Require(again.Parse(image.wc_str()));
        again.SetContext(Context());
        Require(again.GetImage() == image);
        Require(Same(ValueOf(again), value));
    }
    return 0;
}
