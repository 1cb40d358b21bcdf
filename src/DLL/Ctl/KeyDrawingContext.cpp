#include "DLL/Ctl/KeyDrawingContext.h"

#include "ALL/KeyList.h"
#include "ALL/Variant.h"
#include "DLL/Ctl/RasterHelper.h"
#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Ctl/XScale.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/BaseRow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

int AddSaturated(int pValue, int pDelta) {
    return SaturateToInt(int64_t(pValue) + pDelta);
}

// Draws each key as its line and tells the marker; the pen changes only with the highlight.
class TKeyPainter : public TZVKeyWalk::IVisitor {
public:
    TKeyPainter(wxDC& pDC, int pTop, int pBottom, const IZVKeyMarker& pMarker, int pOrig)
        : aDC(pDC), aRaster(pDC), aTop(pTop), aBottom(pBottom), aMarker(pMarker), aOrig(pOrig),
          aHighlighted(false) {}

    void OnKey(int pX, bool pHighlighted) override {
        if (pHighlighted != aHighlighted) {
            aDC.SetPen(pHighlighted ? *GetRedPen() : *GetBluePen());
            aHighlighted = pHighlighted;
        }
        aRaster.DrawLine(pX, aTop + 4, pX, aBottom - 3);
        aMarker.MarkKeyAt(AddSaturated(pX, aOrig));
    }

private:
    wxDC& aDC;
    const TRasterHelper aRaster;
    const int aTop, aBottom;
    const IZVKeyMarker& aMarker;
    const int aOrig;
    bool aHighlighted;
};

} // namespace

TZVKeyWalk::TZVKeyWalk(const TZVXScale& pScale, int pMinX, int pMaxX, bool pSelOnly)
    : aScale(&pScale), aMinX(pMinX), aMaxX(pMaxX), aFirstTime(0), aLastX(0), aFirstX(0),
      aSelOnly(pSelOnly), aNoKeys(true) {}

int TZVKeyWalk::PixelOf(long pTime) const {
    return SaturateToInt(std::nearbyint(pTime * aScale->aScale) - aScale->aOrig);
}

long TZVKeyWalk::TimeOf(int pX) const {
    return SaturateToInt(std::nearbyint((double(pX) + aScale->aOrig) * aScale->aInvScale));
}

void TZVKeyWalk::UpdateRange(const TRange& pRange, bool pInPixels) {
    long end;
    if (pInPixels) {
        aFirstX = SaturateToInt(int64_t(std::max<long>(pRange.aBegin, aMinX)));
        aFirstTime = TimeOf(aFirstX) - 1;
        aLastX = SaturateToInt(int64_t(std::min<long>(pRange.aEnd, aMaxX)));
        end = TimeOf(aLastX) + 1;
    } else {
        aFirstX = std::max(AddSaturated(PixelOf(pRange.aBegin), -1), aMinX);
        aFirstTime = std::max(TimeOf(aMinX) - 1, pRange.aBegin);
        aLastX = std::min(AddSaturated(PixelOf(pRange.aEnd), 1), aMaxX);
        end = std::min(TimeOf(aMaxX) + 1, pRange.aEnd);
    }

    const TRangeList& list = ITimeSelection::theSingleton->GetRangeList();
    aSelEnd = list.end();
    aSelFirst = std::find_if(list.begin(), aSelEnd,
                             [this](const TRange& pSel) { return pSel.aEnd >= aFirstTime; });
    aNoKeys = false;
    if (!aSelOnly)
        return;
    if (aSelFirst == aSelEnd || end < aSelFirst->aBegin) {
        aNoKeys = true;
        return;
    }
    aFirstTime = std::max(aFirstTime, aSelFirst->aBegin);
    // The last range that begins by the end; one exists, aSelFirst begins by then.
    TRangeList::const_iterator last = aSelEnd;
    do
        --last;
    while (last->aBegin > end);
    aSelEnd = std::next(last);
    if (end > last->aEnd)
        aLastX = AddSaturated(PixelOf(last->aEnd), 1);
}

void TZVKeyWalk::Walk(const ITimeList& pKeys, bool pHighlight, IVisitor& pVisitor) const {
    if (aNoKeys)
        return;
    const bool test = pHighlight || aSelOnly;
    const bool keySelMode = test && ITimeSelection::theSingleton->IsKeySelMode();
    TRangeList::const_iterator sel = aSelFirst;
    const ITimeList::TPosition stop = pKeys.GetEnd();
    for (ITimeList::TPosition pos = pKeys.GetFirstFrom(aFirstTime); pos != stop;
         pKeys.GetNext(pos)) {
        const long time = pKeys.GetTime(pos);
        const int x = PixelOf(time);
        if (x > aLastX)
            return;
        const bool in = test && IsSelected(time, sel, keySelMode);
        if (aSelOnly && !in)
            continue;
        pVisitor.OnKey(x, aSelOnly ? pHighlight : in);
    }
}

bool TZVKeyWalk::IsSelected(long pTime, TRangeList::const_iterator& pSel, bool pKeySelMode) const {
    while (pSel != aSelEnd && (pTime > pSel->aEnd || (pTime == pSel->aEnd && pKeySelMode)))
        ++pSel;
    return pSel != aSelEnd && pTime >= pSel->aBegin;
}

TZVKeyDrawingContext::TZVKeyDrawingContext(wxDC& pDC, const TZVXScale& pScale, int pMinX, int pMaxX,
                                           bool pSelOnly)
    : TZVKeyWalk(pScale, pMinX, pMaxX, pSelOnly), aDC(&pDC) {}

void TZVKeyDrawingContext::Draw(const ITimeList& pKeys, int pTop, int pBottom, bool pHighlight,
                                const IZVKeyMarker* pMarker) const {
    if (aNoKeys)
        return;
    aDC->SetPen(*GetBluePen());
    TKeyPainter painter(*aDC, pTop, pBottom, *pMarker, aScale->aOrig);
    Walk(pKeys, pHighlight, painter);
}
