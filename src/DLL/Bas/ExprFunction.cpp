#include "DLL/Bas/ExprFunction.h"

#include <cmath>

namespace NSExpression {

TVariant IUnaryFunction::Evaluate(const TExprList& pOperands) const {
    auto node = pOperands.GetFirst();
    if (!node)
        return TVariant();
    double x;
    TVariant other;
    if (!node->GetData()->GetNumber(x, other))
        return TVariant();
    return TVariant(Compute(x));
}

bool IUnaryFunction::AcceptsArgCount(int pCount) const {
    return pCount == 1;
}

double TRoundFunc::Compute(double pX) const {
    return std::isnan(pX) ? pX : std::round(pX);
}

double TFloorFunc::Compute(double pX) const {
    return std::floor(pX);
}

double TSinFunc::Compute(double pX) const {
    return std::sin(pX);
}

double TCosFunc::Compute(double pX) const {
    return std::cos(pX);
}

double TTanFunc::Compute(double pX) const {
    return std::tan(pX);
}

double TLogFunc::Compute(double pX) const {
    return std::log(pX);
}

double TExpFunc::Compute(double pX) const {
    return std::exp(pX);
}

} // namespace NSExpression
