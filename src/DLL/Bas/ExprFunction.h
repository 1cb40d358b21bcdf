// Functions that calls of the expression language evaluate. Function objects are long-lived
// (the predefined ones are single instances shared by every context) and are never deleted
// through these interfaces.
#pragma once

#include "DLL/Bas/ExprNode.h"

namespace NSExpression {

class IFunction {
public:
    // The value of a call with these operands; keeps no reference to an operand's text.
    virtual TVariant Evaluate(const TExprList& pOperands) const = 0;
    // Whether the function takes pCount arguments.
    virtual bool AcceptsArgCount(int pCount) const = 0;

protected:
    IFunction() = default;
    ~IFunction() = default;
};

// A function of one number, applied to the double image of the first operand's value and
// stored by its bits. A text, an undefined operand or a call without operand gives undefined.
class IUnaryFunction : public IFunction {
public:
    TVariant Evaluate(const TExprList& pOperands) const final;
    // True for exactly 1.
    bool AcceptsArgCount(int pCount) const final;

    // f(x).
    virtual double Compute(double pX) const = 0;

protected:
    ~IUnaryFunction() = default;
};

// Nearest integer, halves away from zero; a NaN stays as it is.
class TRoundFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

// Largest integer not greater than x.
class TFloorFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

// Sine of x radians.
class TSinFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

// Cosine of x radians.
class TCosFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

// Tangent of x radians.
class TTanFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

// Natural logarithm.
class TLogFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

// e to the power x.
class TExpFunc final : public IUnaryFunction {
public:
    double Compute(double pX) const override;
};

} // namespace NSExpression
