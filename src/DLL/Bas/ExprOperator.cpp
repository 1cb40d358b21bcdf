#include "DLL/Bas/ExprOperator.h"

#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFunction.h"
#include "DLL/Bas/ExprProgram.h"

#include <wx/intl.h>

#include <limits>

namespace NSExpression {

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// The checks of every operand, in order, each even after one failed.
bool CheckAll(const TExprList& pOperands, const TContext& pContext, TParser& pParser) {
    bool checked = true;
    for (auto node = pOperands.GetFirst(); node; node = node->GetNext())
        checked = node->GetData()->CheckSemantic(pContext, pParser) && checked;
    return checked;
}

void AppendImageOf(const IExprNode* pNode, wxString& pImage) {
    if (pNode)
        pNode->AppendImage(pImage);
}

// x truncated toward zero, when it is finite and the result fits 32 bits.
bool TruncateToInt(double pValue, int& pResult) {
    if (!(pValue > -2147483649.0 && pValue < 2147483648.0))
        return false;
    pResult = static_cast<int>(pValue);
    return true;
}

} // namespace

int IUnaryOper::GetOperandCount() const {
    return 1;
}

bool IUnaryOper::CheckSemantic(const TContext& pContext, TParser& pParser) {
    IExprNode* operand = GetFirstOperand();
    return !operand || operand->CheckSemantic(pContext, pParser);
}

wxString IUnaryOper::MissingArgError() const {
    return wxGetTranslation(L"Missing operand");
}

bool IIdentityOper::GetNumber(double& pNumber, TVariant& pOther) const {
    const IExprNode* operand = GetFirstOperand();
    return operand && NumberOf(operand, pNumber, pOther);
}

TRootNode::TRootNode() : aCompileTried(false) {}

TRootNode::TRootNode(const TRootNode& pSource) : IIdentityOper(pSource), aCompileTried(false) {}

TRootNode::~TRootNode() = default;

TRootNode* TRootNode::Clone() const {
    return new TRootNode(*this);
}

bool TRootNode::CheckSemantic(const TContext& pContext, TParser& pParser) {
    const bool bound = IIdentityOper::CheckSemantic(pContext, pParser);
    Compile();
    return bound;
}

bool TRootNode::GetNumber(double& pNumber, TVariant& pOther) const {
    if (!aCompileTried)
        Compile();
    if (aProgram && aProgram->Run(pNumber))
        return true;
    return IIdentityOper::GetNumber(pNumber, pOther);
}

void TRootNode::Compile() const {
    // The old program goes first: it unmarks the nodes when it is destroyed.
    ForgetProgram();
    aCompileTried = true;
    aProgram = TExprProgram::Compile(*this);
}

void TRootNode::ForgetProgram() const {
    aProgram.reset();
    aCompileTried = false;
}

int TRootNode::GetPriority() const {
    return 0;
}

void TRootNode::AppendImage(wxString& pImage) const {
    AppendImageOf(GetFirstOperand(), pImage);
}

TParenthesisOper* TParenthesisOper::Clone() const {
    return new TParenthesisOper(*this);
}

int TParenthesisOper::GetPriority() const {
    return 1;
}

void TParenthesisOper::AppendImage(wxString& pImage) const {
    pImage += L'(';
    AppendImageOf(GetFirstOperand(), pImage);
    pImage += L')';
}

TNegateOper* TNegateOper::Clone() const {
    return new TNegateOper(*this);
}

int TNegateOper::GetPriority() const {
    return 6;
}

bool TNegateOper::GetNumber(double& pNumber, TVariant& pOther) const {
    const IExprNode* operand = GetFirstOperand();
    double value;
    return operand && NumberOf(operand, value, pOther) && StoreComputed(-value, pNumber);
}

void TNegateOper::AppendImage(wxString& pImage) const {
    pImage += L'-';
    AppendImageOf(GetFirstOperand(), pImage);
}

int INAryOper::GetOperandCount() const {
    return 2;
}

bool INAryOper::CheckSemantic(const TContext& pContext, TParser& pParser) {
    return CheckAll(GetOperands(), pContext, pParser);
}

template <class TOper>
bool IBinaryOper::ComputeNumber(const TOper& pOper, double& pNumber, TVariant& pOther) {
    const IExprNode* left = pOper.GetFirstOperand();
    double leftNumber;
    if (!left)
        return false;
    if (!NumberOf(left, leftNumber, pOther)) {
        if (pOther.IsText())
            pOper.KeepTextOnLeft(pOther);
        return false;
    }
    const IExprNode* right = pOper.GetLastOperand(2);
    double rightNumber;
    if (!right)
        return false;
    if (!NumberOf(right, rightNumber, pOther)) {
        if (pOther.IsUndefined() || pOper.KeepsRightText())
            return false;
        // A text compares and divides as a NaN.
        pOther.Clear();
        rightNumber = NOT_A_NUMBER;
    }
    return StoreComputed(pOper.Compute(leftNumber, rightNumber), pNumber);
}

// The text on the left is the result, unless the right operand is undefined or missing.
void IBinaryOper::KeepTextOnLeft(TVariant& pText) const {
    const IExprNode* right = GetLastOperand(2);
    double rightNumber;
    TVariant rightValue;
    if (!right || (!NumberOf(right, rightNumber, rightValue) && rightValue.IsUndefined()))
        pText.Clear();
}

void IBinaryOper::AppendImage(wxString& pImage) const {
    AppendImageOf(GetFirstOperand(), pImage);
    pImage += GetOperatorImage();
    AppendImageOf(GetLastOperand(2), pImage);
}

wxString IBinaryOper::MissingArgError() const {
    return wxGetTranslation(L"Missing operand in binary operator");
}

bool IBinaryOper::KeepsRightText() const {
    return true;
}

int IAddOper::GetPriority() const {
    return 4;
}

TPlusOper* TPlusOper::Clone() const {
    return new TPlusOper(*this);
}

bool TPlusOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TPlusOper::GetOperatorImage() const {
    return L" + ";
}

TSubOper* TSubOper::Clone() const {
    return new TSubOper(*this);
}

bool TSubOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TSubOper::GetOperatorImage() const {
    return L" - ";
}

int IMultOper::GetPriority() const {
    return 5;
}

TTimesOper* TTimesOper::Clone() const {
    return new TTimesOper(*this);
}

bool TTimesOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TTimesOper::GetOperatorImage() const {
    return L" * ";
}

TDivOper* TDivOper::Clone() const {
    return new TDivOper(*this);
}

bool TDivOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TDivOper::GetOperatorImage() const {
    return L" / ";
}

TModOper* TModOper::Clone() const {
    return new TModOper(*this);
}

bool TModOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

double TModOper::Compute(double pLeft, double pRight) const {
    int left, right;
    if (!TruncateToInt(pLeft, left) || !TruncateToInt(pRight, right) || right == 0)
        return NOT_A_NUMBER;
    // The smallest integer divided by -1 overflows (and traps); every remainder by -1 is 0.
    return right == -1 ? 0.0 : static_cast<double>(left % right);
}

const wchar_t* TModOper::GetOperatorImage() const {
    return L" % ";
}

bool TModOper::KeepsRightText() const {
    return false;
}

int ICompareOper::GetPriority() const {
    return 3;
}

bool ICompareOper::KeepsRightText() const {
    return false;
}

TEqualOper* TEqualOper::Clone() const {
    return new TEqualOper(*this);
}

bool TEqualOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TEqualOper::GetOperatorImage() const {
    return L" == ";
}

TLessThanOper* TLessThanOper::Clone() const {
    return new TLessThanOper(*this);
}

bool TLessThanOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TLessThanOper::GetOperatorImage() const {
    return L" < ";
}

TLessEqualOper* TLessEqualOper::Clone() const {
    return new TLessEqualOper(*this);
}

bool TLessEqualOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TLessEqualOper::GetOperatorImage() const {
    return L" <= ";
}

TGreaterThanOper* TGreaterThanOper::Clone() const {
    return new TGreaterThanOper(*this);
}

bool TGreaterThanOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TGreaterThanOper::GetOperatorImage() const {
    return L" > ";
}

TGreaterEqualOper* TGreaterEqualOper::Clone() const {
    return new TGreaterEqualOper(*this);
}

bool TGreaterEqualOper::GetNumber(double& pNumber, TVariant& pOther) const {
    return ComputeNumber(*this, pNumber, pOther);
}

const wchar_t* TGreaterEqualOper::GetOperatorImage() const {
    return L" >= ";
}

TConditionalOper* TConditionalOper::Clone() const {
    return new TConditionalOper(*this);
}

int TConditionalOper::GetPriority() const {
    return 2;
}

int TConditionalOper::GetOperandCount() const {
    return 3;
}

bool TConditionalOper::CheckSemantic(const TContext& pContext, TParser& pParser) {
    IExprNode* first = GetFirstOperand();
    IExprNode* second = GetSecondOperand();
    IExprNode* last = GetLastOperand(3);
    bool checked = !first || first->CheckSemantic(pContext, pParser);
    if (second)
        checked = second->CheckSemantic(pContext, pParser) && checked;
    if (last)
        checked = last->CheckSemantic(pContext, pParser) && checked;
    return checked;
}

bool TConditionalOper::GetNumber(double& pNumber, TVariant& pOther) const {
    const IExprNode* condition = GetFirstOperand();
    if (!condition)
        return false;
    double number;
    bool second;
    if (NumberOf(condition, number, pOther)) {
        second = number != 0.0;
    } else {
        second = pOther.IsText();
        pOther.Clear();
    }
    const IExprNode* chosen = second ? GetSecondOperand() : GetLastOperand(3);
    return chosen && NumberOf(chosen, pNumber, pOther);
}

void TConditionalOper::AppendImage(wxString& pImage) const {
    AppendImageOf(GetFirstOperand(), pImage);
    pImage += L" ? ";
    AppendImageOf(GetSecondOperand(), pImage);
    pImage += L" : ";
    AppendImageOf(GetLastOperand(3), pImage);
}

wxString TConditionalOper::MissingArgError() const {
    return wxGetTranslation(L"Missing alternative in conditional expression");
}

TFunctionOper::TFunctionOper(const wxString& pName) : aName(pName), aFunction(nullptr) {}

TFunctionOper* TFunctionOper::Clone() const {
    return new TFunctionOper(*this);
}

int TFunctionOper::GetPriority() const {
    return 1;
}

int TFunctionOper::GetOperandCount() const {
    return 0;
}

bool TFunctionOper::CheckSemantic(const TContext& pContext, TParser& pParser) {
    ForgetCompiledTree();
    if (pContext.GetCheckMode() == 0) {
        const IFunction* function = nullptr;
        const bool found = pContext.GetFunction(aName, &function);
        aFunction = function;
        if (!found)
            return false;
    }
    return CheckAll(GetOperands(), pContext, pParser);
}

bool TFunctionOper::GetNumber(double& pNumber, TVariant& pOther) const {
    if (!aFunction)
        return false;
    pOther = aFunction->Evaluate(GetOperands());
    if (!pOther.IsNumeric())
        return false;
    pNumber = pOther.GetDouble();
    pOther.Clear();
    return true;
}

void TFunctionOper::AppendImage(wxString& pImage) const {
    pImage += aName;
    pImage += L'(';
    for (auto node = GetOperands().GetFirst(); node; node = node->GetNext()) {
        if (node != GetOperands().GetFirst())
            pImage += L',';
        AppendImageOf(node->GetData(), pImage);
    }
    pImage += L')';
}

} // namespace NSExpression
