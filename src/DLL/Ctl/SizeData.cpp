#include "DLL/Ctl/SizeData.h"

#include "ALL/Assert.h"

#include <algorithm>

uint32_t TSizeData::theCurSerial = 0;

TSizeData::TSizeData(int pParamIndex, T32BoolArray pFlags, int pCapacity)
    : aFullWidth(0), aFullHeight(0), aCenterX(0), aCenterY(0), aParamIndex(pParamIndex),
      aFlags(pFlags), aRectCount(pCapacity), aRect(new wxRect[pCapacity]), aCapacity(pCapacity) {}

TSizeData::TSizeData(const TSizeData& pSource)
    : aFullWidth(pSource.aFullWidth), aFullHeight(pSource.aFullHeight), aCenterX(pSource.aCenterX),
      aCenterY(pSource.aCenterY), aParamIndex(pSource.aParamIndex), aFlags(pSource.aFlags),
      aRectCount(pSource.aRectCount), aRect(pSource.aRect), aCapacity(pSource.aCapacity) {
    cloneRect(aCapacity);
}

TSizeData::~TSizeData() {
    delete[] aRect;
}

void TSizeData::cloneRect(int pRectCount) {
    ZV_ASSERT(pRectCount >= aRectCount);
    wxRect* rects = new wxRect[pRectCount];
    std::copy(aRect, aRect + pRectCount, rects);
    aRect = rects;
}

const wxRect* TSizeData::GetFrame() const {
    // A record whose count fills the array has no room left for a frame.
    if (aRectCount < 0 || aRectCount >= aCapacity)
        return nullptr;
    return &aRect[aRectCount];
}

bool TSizeData::HasHandle(int pIndex) const {
    return pIndex >= 0 && pIndex < GetHandleCount();
}

int TSizeData::GetHandleCount() const {
    return std::clamp(aRectCount, 0, aCapacity);
}

TParamUpdate* MakeParamUpdates(int pCount, int& pParamCount) {
    pParamCount = pCount;
    return pCount > 0 ? new TParamUpdate[pCount] : nullptr;
}
