#include "DLL/Row/RenderParam.h"

#include "ALL/Assert.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"

namespace NSRenderParam {

const IFormula* FirstFormula(const IZVRenderContext& pContext, int pKind) {
    IFormula* const* formulas = pContext.GetParams(0, pKind);
    return formulas ? formulas[0] : nullptr;
}

TVariant ValueAt(const IFormula* pFormula, double pTime) {
    return pFormula ? pFormula->ComputePointAt(pTime) : TVariant();
}

TVariant FirstValue(const IZVRenderContext& pContext, int pKind) {
    return ValueAt(FirstFormula(pContext, pKind), double(pContext.GetFrame(pKind)));
}

void CheckParamCount(const IZVRenderContext& pContext, int pCount, const char* pText) {
    if (pContext.GetParamCount() != pCount)
        ZV_FAIL(pText);
}

} // namespace NSRenderParam
