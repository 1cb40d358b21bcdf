#include "DLL/Ctl/4DUpdateBuilder.h"

#include "ALL/Assert.h"

#include <algorithm>
#include <cstdlib>

using namespace NSSizeHandleGrid;

T4DUpdateBuilder::T4DUpdateBuilder(bool pProportional)
    : aUpdateData(nullptr), aData(nullptr), aScaler(nullptr), aResult(nullptr), aCornerID(0),
      aFrameIndex(0), aChanged{}, aFrame(nullptr), aPosX(0), aPosY(0), aLimitX(0), aLimitY(0),
      aSides(0), aActiveSides(0), aOneSided(0), aKeepInside(false), aProportional(pProportional),
      aMovedX(false), aMovedY(false), aIsCenter(false) {}

T4DUpdateBuilder::~T4DUpdateBuilder() = default;

TParamUpdate* T4DUpdateBuilder::Compute(const IZVVideoStream::TUpdateData& pData,
                                        const TZV4DSizeHandle::TData& pRecord,
                                        const TZV4DSizeHandle::TScaler& pScaler, bool pKeepInside) {
    aData = &pRecord;
    aUpdateData = &pData;
    aKeepInside = pKeepInside;
    aScaler = &pScaler;
    aSides = int(pRecord.aFlags.GetBits() & 15);
    aMovedX = pData.MovedX();
    aMovedY = pData.MovedY();
    if (!DetermineCornerID())
        return MakeParamUpdates(0, pData.ParamCount);
    aIsCenter = aCornerID == 4;
    aFrame = &aData->aRect[aFrameIndex];
    DetermineChangedBorder();
    aResult = MakeParamUpdates(int(std::count(aChanged, aChanged + 4, true)), pData.ParamCount);
    if (!aResult)
        return nullptr;
    aPosX = pData.Delta.x;
    aPosY = pData.Delta.y;
    UpdateAllBorder();
    return aResult;
}

bool T4DUpdateBuilder::IsShownHandle(int pCount) const {
    return aUpdateData->HandleIndex >= 0 && aUpdateData->HandleIndex < pCount &&
           aData->HasHandle(aUpdateData->HandleIndex);
}

void T4DUpdateBuilder::DetermineChangedBorder() {
    aActiveSides = (unsigned char)(aSides & SideMask(aCornerID));
    aChanged[2] = aMovedX && (aActiveSides & sideRIGHT);
    aChanged[3] = aMovedY && (aActiveSides & sideBOTTOM);
}

void T4DUpdateBuilder::AddHandleCentre() {
    const wxRect& rect = aData->aRect[aUpdateData->HandleIndex];
    aPosX += rect.x + rect.width / 2 - aData->aCenterX;
    aPosY += rect.y + rect.height / 2 - aData->aCenterY;
}

int T4DUpdateBuilder::RectSide(int pSide, const wxRect& pRect, const wxPoint& pBy) {
    switch (pSide) {
    case 0:
        return pRect.x + pBy.x;
    case 1:
        return pRect.y + pBy.y;
    case 2:
        return pRect.x + pRect.width - 1 + pBy.x;
    case 3:
        return pRect.y + pRect.height - 1 + pBy.y;
    default:
        ZV_ASSERT(false);
        return 0;
    }
}

void T4DUpdateBuilder::UpdateChangedBorder() {
    // From here on positions count from the image's centre.
    aPosX += aData->aOffsetX;
    aPosY += aData->aOffsetY;
    const wxPoint offset(aData->aOffsetX, aData->aOffsetY);
    TParamUpdate* entry = aResult;
    for (int k = 0; k < 4; ++k) {
        if (!aChanged[k])
            continue;
        const bool vertical = k == 1 || k == 3, far = k >= 2;
        const int centre = vertical ? aData->aCenterY : aData->aCenterX;
        const int opposite = RectSide((k + 2) % 4, *aFrame, offset);
        const int extent = vertical ? aData->aFullHeight : aData->aFullWidth;
        int v = vertical ? aPosY : aPosX;
        int size = vertical ? aFrame->height : aFrame->width;
        bool translation = false;
        if (aIsCenter && !aProportional) {
            int half = (size + 1) / 2;
            if (!far) {
                half = -half;
                size = -size;
            }
            translation = !(aOneSided & (1 << k));
            // Moved with the centre, or mirrored about it with the opposite edge in place.
            v = translation ? v + half : centre + 2 * v - opposite;
        }
        if (aKeepInside) {
            const int limit = ((vertical ? aLimitY : aLimitX) + 1) / 2;
            v = far ? std::min(v, limit) : std::max(v, -limit);
            if (translation) // the whole rectangle stays inside
                v = far ? std::max(v, size - limit) : std::min(v, size + limit);
            else if (!aProportional) // an edge does not cross the opposite one
                v = far ? std::max(v, opposite - centre) : std::min(v, opposite - centre);
            else
                v = far ? std::max(v, -limit) : std::min(v, limit);
        }
        entry->ParamIndex = aData->aParamIndex + k;
        entry->Value = aScaler->Scale(v, extent, far);
        ++entry;
    }
}

void T4DUpdateBuilder::UpdateProportional() {
    if (aKeepInside) {
        aLimitX = aData->aFullWidth - aFrame->width;
        aLimitY = aData->aFullHeight - aFrame->height;
    }
    UpdateChangedBorder();
}

bool TNormal4DUpdateBuilder::DetermineCornerID() {
    const int handleCase = aSides - 1;
    if (handleCase < 0 || handleCase >= CASE_COUNT_4D) {
        ZV_FAIL("(unsigned)HandleCase < sizeof(theRectHandleCountFor)");
        return false;
    }
    const TIdList ids = Ids4D(handleCase);
    if (!IsShownHandle(ids.aCount))
        return false;
    aCornerID = ids[aUpdateData->HandleIndex];
    aFrameIndex = theRectHandleCountFor[handleCase];
    return true;
}

void TNormal4DUpdateBuilder::DetermineChangedBorder() {
    T4DUpdateBuilder::DetermineChangedBorder();
    aChanged[0] = aMovedX && (aActiveSides & sideLEFT);
    aChanged[1] = aMovedY && (aActiveSides & sideTOP);
}

void TNormal4DUpdateBuilder::UpdateAllBorder() {
    if (aIsCenter)
        aOneSided = (unsigned char)(aSides & ~((aSides << 2) | (aSides >> 2)));
    else
        AddHandleCentre();
    if (aKeepInside) {
        aLimitX = aData->aFullWidth;
        aLimitY = aData->aFullHeight;
    }
    UpdateChangedBorder();
}

void TProportional4DUpdateBuilder::UpdateAllBorder() {
    UpdateProportional();
}

bool TMove4DUpdateBuilder::DetermineCornerID() {
    // The record shows the centre alone.
    aCornerID = 4;
    aFrameIndex = 1;
    return IsShownHandle(1);
}

bool TSize4DUpdateBuilder::DetermineCornerID() {
    // The record shows all nine ids in order.
    aCornerID = aUpdateData->HandleIndex;
    aFrameIndex = 9;
    return IsShownHandle(9);
}

void TSize4DUpdateBuilder::DetermineChangedBorder() {
    if (aIsCenter) {
        T4DUpdateBuilder::DetermineChangedBorder();
        return;
    }
    aChanged[0] = true;
}

void TSize4DUpdateBuilder::UpdateAllBorder() {
    if (aIsCenter) {
        UpdateProportional();
        return;
    }
    if (aUpdateData->ParamCount != 1)
        ZV_FAIL("aUpdateData->ParamCount==1");
    const bool hx = Column(aCornerID) != 1, vy = Row(aCornerID) != 1;
    AddHandleCentre();
    double x = 0.0, y = 0.0, maxX = 0.0, maxY = 0.0;
    if (hx)
        ScaleHalf(aPosX, Column(aCornerID) == 0, aData->aFullWidth, aData->aOffsetX, x, maxX);
    if (vy)
        ScaleHalf(aPosY, Row(aCornerID) == 0, aData->aFullHeight, aData->aOffsetY, y, maxY);
    double value = hx && vy ? (x + y) * 0.5 : hx ? x : y;
    if (aKeepInside) {
        if (hx)
            aScaler->LimitSize(value, maxX);
        if (vy)
            aScaler->LimitSize(value, maxY);
    }
    aResult[0].ParamIndex = aData->aParamIndex;
    aResult[0].Value = value;
}

void TSize4DUpdateBuilder::ScaleHalf(int& pPos, bool pNear, int pExtent, int pOffset,
                                     double& pValue, double& pLimit) const {
    if (pNear)
        pPos = -pPos;
    pPos = std::max(pPos, 0);
    pLimit = aKeepInside ? aScaler->ScaleSize((pExtent + 1 - std::abs(pOffset)) / 2, pExtent) : 0.0;
    pValue = aScaler->ScaleSize(pPos, pExtent);
}
