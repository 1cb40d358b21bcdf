// TExprProgram: a bound tree of numbers flattened into a short list of steps over a small
// stack, so that a formula evaluated once per frame walks an array instead of the tree.
//
// Only trees of the built-in nodes compile: numbers, bound variables, the operators and the
// predefined functions. A run gives way to the tree whenever a variable holds anything but a
// number other than a NaN, so every value it gives is the tree's own: with such inputs no
// step can produce a pattern with the non-number tag.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class TVariant;

namespace NSExpression {

class IExprNode;
class IFunction;

class TExprProgram {
public:
    // The deepest stack a program may use. Operands are ordered so that the depth grows
    // with the logarithm of the tree's size; a deeper tree is left to the tree walk.
    static constexpr int MAX_STACK = 64;
    // The deepest a compiled node may lie below the top; deeper trees are left to the tree
    // walk, whose frames are smaller.
    static constexpr int MAX_DEPTH = 1000;

    // The program of the tree under pTop, or null when a node of it does not compile.
    // Every node of a compiled tree is marked until the program is destroyed, so that a
    // change of the tree can drop it (IExprNode::ForgetCompiledTree).
    static std::unique_ptr<TExprProgram> Compile(const IExprNode& pTop);
    ~TExprProgram();
    TExprProgram(const TExprProgram&) = delete;
    TExprProgram& operator=(const TExprProgram&) = delete;

    // The tree's value; false, with nothing computed, when a variable holds a text, the
    // undefined value or a NaN.
    bool Run(double& pResult) const;

private:
    class TBuilder;

    // A step's operation. Each binary operation is followed by its variants: the operand
    // popped, a number or a variable (EArg), each as the right or (swapped) the left one.
    enum EOp : uint8_t {
        opPUSH, // a number
        opPUSH_CELL,
        opNEGATE,
        opCALL,
        opJUMP_IF_ZERO, // pops the condition
        opJUMP,
        opSELECT, // the condition on the stack becomes one of two operands
        opPLUS,
        opSUB = opPLUS + 6,
        opTIMES = opSUB + 6,
        opDIV = opTIMES + 6,
        opMOD = opDIV + 6,
        opEQUAL = opMOD + 6,
        opLESS = opEQUAL + 6,
        opLESS_EQUAL = opLESS + 6,
        opGREATER = opLESS_EQUAL + 6,
        opGREATER_EQUAL = opGREATER + 6
    };
    // Where an operand comes from.
    enum EArg : uint8_t { argSTACK, argNUMBER, argCELL };

    struct TStep {
        uint8_t aOp; // EOp plus the variant of a binary step
        uint32_t aJump;
        double aNumber;
        const TVariant* aCell;
        // The operator node of a binary step, the function of a call.
        const void* aObject;
        // The last operand of a select step.
        double aOtherNumber;
        const TVariant* aOtherCell;
    };

    TExprProgram() = default;
    // A binary step: the stack top becomes the operator's value. False when the operand is
    // a variable that holds no number.
    template <class TOper, EArg ARG, bool SWAPPED>
    static bool Apply(const TStep& pStep, double* pStack, int& pTop);

    std::vector<TStep> aSteps;
    std::vector<const IExprNode*> aMarked;
};

} // namespace NSExpression
