// What the main render streams read of their row's parameters through the render context:
// the first parameter's value source for the frame, its value, and the check of the count.
#pragma once

#include "ALL/Variant.h"

class IFormula;
class IZVRenderContext;

namespace NSRenderParam {

// The value source of the row's first parameter for the frame (pKind: 1 video, 0 audio);
// null when the host has none to give, as for a keyed parameter in a gap.
const IFormula* FirstFormula(const IZVRenderContext& pContext, int pKind);
// pFormula's value at pTime; undefined for a null value source.
TVariant ValueAt(const IFormula* pFormula, double pTime);
// The first parameter's value at the frame GetFrame(pKind).
TVariant FirstValue(const IZVRenderContext& pContext, int pKind);
// Reports pText when the context does not carry pCount parameters; the caller goes on.
void CheckParamCount(const IZVRenderContext& pContext, int pCount, const char* pText);

} // namespace NSRenderParam
