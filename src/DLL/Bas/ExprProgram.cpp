#include "DLL/Bas/ExprProgram.h"

#include "DLL/Bas/ExprFunction.h"
#include "DLL/Bas/ExprOperator.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <unordered_map>

namespace NSExpression {

namespace {

// The predefined functions: pure, and never a tagged pattern from a number that is not a
// NaN. Calls of any other function are left to the tree, which keeps their call counts.
bool IsPredefined(const IFunction* pFunction) {
    const std::type_info& type = typeid(*pFunction);
    return type == typeid(TRoundFunc) || type == typeid(TFloorFunc) || type == typeid(TSinFunc) ||
           type == typeid(TCosFunc) || type == typeid(TTanFunc) || type == typeid(TLogFunc) ||
           type == typeid(TExpFunc);
}

} // namespace

class TExprProgram::TBuilder {
public:
    explicit TBuilder(TExprProgram& pProgram) : aProgram(pProgram) {}

    // Classifies pNode, pDepth levels below the top, and everything below it; false when a
    // node does not compile.
    bool Measure(const IExprNode* pNode, int pDepth);
    // Appends the steps that leave pNode's value on the stack.
    void Emit(const IExprNode* pNode);

private:
    enum EKind { kindLEAF, kindIDENTITY, kindNEGATE, kindCALL, kindCONDITIONAL, kindBINARY };

    // What a node compiles to: a leaf (a number, folded constants included, or a variable)
    // is an operand of the step above it; anything else leaves its value on the stack,
    // needing aNeed stack entries on the way.
    struct TInfo {
        EKind aKind;
        EOp aOp;
        EArg aArg;
        int aNeed;
        double aNumber;
        const TVariant* aCell;
    };

    bool Record(const IExprNode* pNode, const TInfo& pInfo);
    bool MeasureOperands(const IOperNode* pNode, int pDepth, const TInfo& pInfo);
    bool MeasureBinary(const IOperNode* pNode, int pDepth, EOp pOp);
    static bool BinaryOp(const std::type_info& pType, EOp& pOp);
    TStep& Add(EOp pOp, const TInfo* pOperand = nullptr, bool pSwapped = false);

    TExprProgram& aProgram;
    std::unordered_map<const IExprNode*, TInfo> aInfo;
};

bool TExprProgram::TBuilder::Record(const IExprNode* pNode, const TInfo& pInfo) {
    if (pInfo.aNeed > MAX_STACK)
        return false;
    aInfo[pNode] = pInfo;
    return true;
}

bool TExprProgram::TBuilder::BinaryOp(const std::type_info& pType, EOp& pOp) {
    static const struct {
        const std::type_info& aType;
        EOp aOp;
    } theOps[] = {{typeid(TPlusOper), opPLUS},
                  {typeid(TSubOper), opSUB},
                  {typeid(TTimesOper), opTIMES},
                  {typeid(TDivOper), opDIV},
                  {typeid(TModOper), opMOD},
                  {typeid(TEqualOper), opEQUAL},
                  {typeid(TLessThanOper), opLESS},
                  {typeid(TLessEqualOper), opLESS_EQUAL},
                  {typeid(TGreaterThanOper), opGREATER},
                  {typeid(TGreaterEqualOper), opGREATER_EQUAL}};
    for (const auto& entry : theOps) {
        if (entry.aType == pType) {
            pOp = entry.aOp;
            return true;
        }
    }
    return false;
}

bool TExprProgram::TBuilder::Measure(const IExprNode* pNode, int pDepth) {
    if (!pNode || pDepth > MAX_DEPTH)
        return false;
    pNode->aCompiled = true;
    aProgram.aMarked.push_back(pNode);
    const std::type_info& type = typeid(*pNode);
    if (type == typeid(TValueNode)) {
        const double number = pNode->aCell->GetDouble();
        return !std::isnan(number) &&
               Record(pNode, {kindLEAF, opPUSH, argNUMBER, 1, number, nullptr});
    }
    if (type == typeid(TVariableNode))
        return pNode->aCell && Record(pNode, {kindLEAF, opPUSH, argCELL, 1, 0.0, pNode->aCell});
    const IOperNode* oper = dynamic_cast<const IOperNode*>(pNode);
    if (!oper)
        return false;
    if (type == typeid(TRootNode) || type == typeid(TParenthesisOper)) {
        // Transparent: a leaf inside stays a leaf for the node above.
        const IExprNode* operand = oper->GetFirstOperand();
        if (!Measure(operand, pDepth + 1))
            return false;
        const TInfo& inner = aInfo[operand];
        return Record(pNode, inner.aKind == kindLEAF ? inner
                                                     : TInfo{kindIDENTITY, opPUSH, argSTACK,
                                                             inner.aNeed, 0.0, nullptr});
    }
    if (type == typeid(TNegateOper))
        return MeasureOperands(oper, pDepth, {kindNEGATE, opNEGATE, argSTACK, 0, 0.0, nullptr});
    if (type == typeid(TFunctionOper)) {
        const IFunction* function = static_cast<const TFunctionOper*>(pNode)->aFunction;
        return function && IsPredefined(function) &&
               MeasureOperands(oper, pDepth, {kindCALL, opCALL, argSTACK, 0, 0.0, nullptr});
    }
    if (type == typeid(TConditionalOper))
        return MeasureOperands(oper, pDepth,
                               {kindCONDITIONAL, opJUMP_IF_ZERO, argSTACK, 0, 0.0, nullptr});
    EOp op;
    return BinaryOp(type, op) && MeasureBinary(oper, pDepth, op);
}

// The one-operand nodes and the conditional: the stack they need is the most any of their
// operands needs (the condition is popped before an alternative runs). A negated number is
// folded.
bool TExprProgram::TBuilder::MeasureOperands(const IOperNode* pNode, int pDepth,
                                             const TInfo& pInfo) {
    TInfo info = pInfo;
    const bool conditional = pInfo.aKind == kindCONDITIONAL;
    const IExprNode* operands[] = {pNode->GetFirstOperand(),
                                   conditional ? pNode->GetSecondOperand() : nullptr,
                                   conditional ? pNode->GetLastOperand(3) : nullptr};
    for (int i = 0; i < (conditional ? 3 : 1); ++i) {
        if (!Measure(operands[i], pDepth + 1))
            return false;
        info.aNeed = std::max(info.aNeed, aInfo[operands[i]].aNeed);
    }
    const TInfo& first = aInfo[operands[0]];
    if (pInfo.aKind == kindNEGATE && first.aArg == argNUMBER)
        info = {kindLEAF, opPUSH, argNUMBER, 1, -first.aNumber, nullptr};
    return Record(pNode, info);
}

// A binary node reads a leaf operand in its own step; two computed operands are computed
// in the order that needs the shallower stack. Two numbers are folded by the operator.
bool TExprProgram::TBuilder::MeasureBinary(const IOperNode* pNode, int pDepth, EOp pOp) {
    const IExprNode* left = pNode->GetFirstOperand();
    const IExprNode* right = pNode->GetLastOperand(2);
    if (!Measure(left, pDepth + 1) || !Measure(right, pDepth + 1))
        return false;
    const TInfo& l = aInfo[left];
    const TInfo& r = aInfo[right];
    if (l.aArg == argNUMBER && r.aArg == argNUMBER) {
        const double number = static_cast<const IBinaryOper*>(pNode)->Compute(l.aNumber, r.aNumber);
        return !IsTagBits(DoubleToBits(number)) &&
               Record(pNode, {kindLEAF, opPUSH, argNUMBER, 1, number, nullptr});
    }
    int need;
    if (r.aKind == kindLEAF)
        need = l.aNeed;
    else if (l.aKind == kindLEAF)
        need = r.aNeed;
    else
        need = l.aNeed == r.aNeed ? l.aNeed + 1 : std::max(l.aNeed, r.aNeed);
    return Record(pNode, {kindBINARY, pOp, argSTACK, need, 0.0, nullptr});
}

TExprProgram::TStep& TExprProgram::TBuilder::Add(EOp pOp, const TInfo* pOperand, bool pSwapped) {
    TStep step = {pOp, 0, 0.0, nullptr, nullptr, 0.0, nullptr};
    if (pOperand) {
        step.aNumber = pOperand->aNumber;
        step.aCell = pOperand->aCell;
    }
    if (pOp >= opPLUS)
        step.aOp = uint8_t(pOp + 2 * (pOperand ? pOperand->aArg : argSTACK) + (pSwapped ? 1 : 0));
    else if (pOp == opPUSH)
        step.aOp = pOperand->aArg == argCELL ? opPUSH_CELL : opPUSH;
    aProgram.aSteps.push_back(step);
    return aProgram.aSteps.back();
}

void TExprProgram::TBuilder::Emit(const IExprNode* pNode) {
    const TInfo& info = aInfo[pNode];
    if (info.aKind == kindLEAF) {
        Add(opPUSH, &info);
        return;
    }
    const IOperNode* oper = static_cast<const IOperNode*>(pNode);
    switch (info.aKind) {
    case kindIDENTITY:
        Emit(oper->GetFirstOperand());
        return;
    case kindNEGATE:
        Emit(oper->GetFirstOperand());
        Add(opNEGATE);
        return;
    case kindCALL:
        Emit(oper->GetFirstOperand());
        Add(opCALL).aObject = static_cast<const TFunctionOper*>(pNode)->aFunction;
        return;
    case kindCONDITIONAL: {
        Emit(oper->GetFirstOperand());
        // Two leaves need no jump: the chosen one is read in place of the condition.
        const TInfo& second = aInfo[oper->GetSecondOperand()];
        const TInfo& last = aInfo[oper->GetLastOperand(3)];
        if (second.aKind == kindLEAF && last.aKind == kindLEAF) {
            TStep& select = Add(opSELECT, &second);
            select.aOtherNumber = last.aNumber;
            select.aOtherCell = last.aCell;
            return;
        }
        const size_t toLast = aProgram.aSteps.size();
        Add(opJUMP_IF_ZERO);
        Emit(oper->GetSecondOperand());
        const size_t toEnd = aProgram.aSteps.size();
        Add(opJUMP);
        aProgram.aSteps[toLast].aJump = uint32_t(aProgram.aSteps.size());
        Emit(oper->GetLastOperand(3));
        aProgram.aSteps[toEnd].aJump = uint32_t(aProgram.aSteps.size());
        return;
    }
    case kindLEAF:
    case kindBINARY:
        break;
    }
    const IExprNode* left = oper->GetFirstOperand();
    const IExprNode* right = oper->GetLastOperand(2);
    const TInfo& l = aInfo[left];
    const TInfo& r = aInfo[right];
    bool swapped;
    const TInfo* operand = nullptr;
    if (r.aKind == kindLEAF) {
        Emit(left);
        swapped = false;
        operand = &r;
    } else if (l.aKind == kindLEAF) {
        Emit(right);
        swapped = true;
        operand = &l;
    } else {
        swapped = l.aNeed < r.aNeed;
        Emit(swapped ? right : left);
        Emit(swapped ? left : right);
    }
    Add(info.aOp, operand, swapped).aObject = pNode;
}

std::unique_ptr<TExprProgram> TExprProgram::Compile(const IExprNode& pTop) {
    std::unique_ptr<TExprProgram> program(new TExprProgram);
    TBuilder builder(*program);
    if (!builder.Measure(&pTop, 0))
        return nullptr;
    builder.Emit(&pTop);
    return program;
}

TExprProgram::~TExprProgram() {
    for (const IExprNode* node : aMarked)
        node->aCompiled = false;
}

namespace {

// A variable's number; false for a text, the undefined value or a NaN.
bool ReadCell(const TVariant* pCell, double& pNumber) {
    pNumber = pCell->GetDouble();
    return !std::isnan(pNumber);
}

// A leaf operand: a variable's number as ReadCell, else pNumber.
bool ReadLeaf(const TVariant* pCell, double pNumber, double& pValue) {
    if (pCell)
        return ReadCell(pCell, pValue);
    pValue = pNumber;
    return true;
}

} // namespace

template <class TOper, TExprProgram::EArg ARG, bool SWAPPED>
bool TExprProgram::Apply(const TStep& pStep, double* pStack, int& pTop) {
    double operand;
    if (ARG == argSTACK)
        operand = pStack[--pTop];
    else if (ARG == argNUMBER)
        operand = pStep.aNumber;
    else if (!ReadCell(pStep.aCell, operand))
        return false;
    double& value = pStack[pTop - 1];
    const TOper* oper = static_cast<const TOper*>(pStep.aObject);
    value = SWAPPED ? oper->TOper::Compute(operand, value) : oper->TOper::Compute(value, operand);
    return true;
}

// The six variants of a binary operation, in the order of EOp.
#define ZV_BINARY_CASES(op, TOper)                                                                 \
    case op:                                                                                       \
        if (!Apply<TOper, argSTACK, false>(step, stack, top))                                      \
            return false;                                                                          \
        break;                                                                                     \
    case op + 1:                                                                                   \
        if (!Apply<TOper, argSTACK, true>(step, stack, top))                                       \
            return false;                                                                          \
        break;                                                                                     \
    case op + 2:                                                                                   \
        if (!Apply<TOper, argNUMBER, false>(step, stack, top))                                     \
            return false;                                                                          \
        break;                                                                                     \
    case op + 3:                                                                                   \
        if (!Apply<TOper, argNUMBER, true>(step, stack, top))                                      \
            return false;                                                                          \
        break;                                                                                     \
    case op + 4:                                                                                   \
        if (!Apply<TOper, argCELL, false>(step, stack, top))                                       \
            return false;                                                                          \
        break;                                                                                     \
    case op + 5:                                                                                   \
        if (!Apply<TOper, argCELL, true>(step, stack, top))                                        \
            return false;                                                                          \
        break

bool TExprProgram::Run(double& pResult) const {
    double stack[MAX_STACK];
    int top = 0;
    const size_t count = aSteps.size();
    for (size_t i = 0; i < count; ++i) {
        const TStep& step = aSteps[i];
        switch (step.aOp) {
        case opPUSH:
            stack[top++] = step.aNumber;
            break;
        case opPUSH_CELL:
            if (!ReadCell(step.aCell, stack[top++]))
                return false;
            break;
        case opNEGATE:
            stack[top - 1] = -stack[top - 1];
            break;
        case opCALL:
            stack[top - 1] =
                static_cast<const IUnaryFunction*>(step.aObject)->Compute(stack[top - 1]);
            break;
        case opJUMP_IF_ZERO:
            if (stack[--top] == 0.0)
                i = step.aJump - 1;
            break;
        case opJUMP:
            i = step.aJump - 1;
            break;
        case opSELECT:
            if (stack[top - 1] != 0.0) {
                if (!ReadLeaf(step.aCell, step.aNumber, stack[top - 1]))
                    return false;
            } else if (!ReadLeaf(step.aOtherCell, step.aOtherNumber, stack[top - 1])) {
                return false;
            }
            break;
            ZV_BINARY_CASES(opPLUS, TPlusOper);
            ZV_BINARY_CASES(opSUB, TSubOper);
            ZV_BINARY_CASES(opTIMES, TTimesOper);
            ZV_BINARY_CASES(opDIV, TDivOper);
            ZV_BINARY_CASES(opMOD, TModOper);
            ZV_BINARY_CASES(opEQUAL, TEqualOper);
            ZV_BINARY_CASES(opLESS, TLessThanOper);
            ZV_BINARY_CASES(opLESS_EQUAL, TLessEqualOper);
            ZV_BINARY_CASES(opGREATER, TGreaterThanOper);
            ZV_BINARY_CASES(opGREATER_EQUAL, TGreaterEqualOper);
        }
    }
    pResult = stack[0];
    return true;
}

#undef ZV_BINARY_CASES

} // namespace NSExpression
