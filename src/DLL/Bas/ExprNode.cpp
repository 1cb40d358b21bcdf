#include "DLL/Bas/ExprNode.h"

#include "ALL/Assert.h"
#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/ExprOperator.h"

#include <wx/intl.h>
#include <wx/listimpl.cpp>

namespace NSExpression {

WX_DEFINE_LIST(TExprList);

IExprNode::~IExprNode() = default;

bool IExprNode::GetNumber(double& pNumber, TVariant& pOther) const {
    if (aCell)
        return NumberOf(this, pNumber, pOther);
    TVariant value = GetValue();
    if (value.IsNumeric()) {
        pNumber = value.GetDouble();
        return true;
    }
    pOther = std::move(value);
    return false;
}

void IExprNode::ForgetCompiledTree() const {
    if (!aCompiled)
        return;
    const IExprNode* top = this;
    while (top->aParent)
        top = top->aParent;
    if (const TRootNode* root = dynamic_cast<const TRootNode*>(top))
        root->ForgetProgram();
}

IOperNode::IOperNode(const IOperNode& pSource) : IExprNode(pSource) {
    for (auto node = pSource.aOperands.GetFirst(); node; node = node->GetNext())
        AppendOperand(node->GetData()->Clone());
}

IOperNode::~IOperNode() {
    for (auto node = aOperands.GetFirst(); node; node = node->GetNext())
        delete node->GetData();
}

TVariant IOperNode::GetValue() const {
    TVariant value;
    double number;
    if (GetNumber(number, value))
        return TVariant(number);
    return value;
}

wxString IOperNode::MissingArgError() const {
    ZV_FAIL("MissingArgError");
    return wxString();
}

void IOperNode::AppendOperand(IExprNode* pOperand) {
    ForgetCompiledTree();
    aOperands.Append(pOperand);
    pOperand->aParent = this;
}

IExprNode* IOperNode::PopLastOperand() {
    ForgetCompiledTree();
    auto node = aOperands.GetLast();
    if (!node)
        return nullptr;
    IExprNode* operand = node->GetData();
    aOperands.DeleteNode(node);
    operand->aParent = nullptr;
    return operand;
}

TValueNode::TValueNode(const wxString& pImage, const TVariant& pValue)
    : aImage(pImage), aValue(pValue) {
    aCell = &aValue;
}

TVariant TValueNode::GetValue() const {
    return aValue;
}

bool TValueNode::CheckSemantic(const TContext&, TParser&) {
    return true;
}

void TValueNode::AppendImage(wxString& pImage) const {
    pImage += aImage;
}

TValueNode* TValueNode::Clone() const {
    return new TValueNode(aImage, aValue);
}

TVariableNode::TVariableNode(const wxString& pName) : aName(pName) {}

TVariant TVariableNode::GetValue() const {
    return aCell ? *aCell : TVariant();
}

bool TVariableNode::CheckSemantic(const TContext& pContext, TParser& pParser) {
    ForgetCompiledTree();
    if (pContext.GetCheckMode() != 0)
        return true;
    if (pContext.GetValue(aName, &aCell))
        return true;
    aCell = nullptr;
    pParser.AddError(wxString::Format(wxGetTranslation(L"Unknown variable %s"), aName).wc_str());
    return false;
}

void TVariableNode::AppendImage(wxString& pImage) const {
    pImage += aName;
}

TVariableNode* TVariableNode::Clone() const {
    TVariableNode* copy = new TVariableNode(aName);
    copy->aCell = aCell;
    return copy;
}

} // namespace NSExpression
