#include "DLL/Ctl/XScale.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"

#include <cmath>
#include <cstdint>

namespace {

// Minor tick steps by the number of time units in 10 pixels (after division by powers of 10).
const int theSteps[11] = {1, 1, 2, 4, 4, 5, 5, 5, 10, 10, 10};

// The largest minor step of the pattern (1, 2, 4, 5 times a power of ten) whose major step,
// ten times as large, is still a 32-bit time.
const int theMaxUnit = 200000000;

// A scale that every mapping and the tick search can use: 0, negative, infinite and NaN
// scales divide by zero, and a scale whose inverse is infinite maps every pixel to one time.
bool IsUsableScale(double pScale) {
    return pScale > 0 && std::isfinite(pScale) && std::isfinite(1 / pScale);
}

// The minor tick spacing for pInvScale time units per pixel: about 10 pixels or more. The
// search runs in doubles (a tiny scale puts billions of units in 10 pixels) and stops at
// theMaxUnit.
int UnitFor(double pInvScale) {
    double count = std::trunc(10 * pInvScale);
    double power = 1;
    while (count > 10 && power < theMaxUnit) {
        count = std::trunc(count / 10);
        power *= 10;
    }
    if (count > 10)
        return theMaxUnit;
    const double unit = theSteps[int(count)] * power;
    return unit > theMaxUnit ? theMaxUnit : int(unit);
}

} // namespace

TZVXScale::TZVXScale(double pScale)
    : aOrig(0), aScale(0), aInvScale(0), aCenter(0), aZoom(0), aUnit(1), aDirty(true), aMajor(10),
      aUnitWidth(0), aFirstMajor(0), aFirstIndex(0), aFirstPixel(0), aMajorPixel(0) {
    if (!SetScale(pScale, 0, true))
        SetScale(1.0, 0, true);
}

bool TZVXScale::SetScale(double pScale, int pPos, bool pPosIsTime) {
    if (!ZV_ASSERT(IsUsableScale(pScale)) || pScale == aScale)
        return false;
    double time = 0;
    if (!pPosIsTime)
        time = SaturateToInt(std::nearbyint((double(pPos) + aOrig) * aInvScale));

    aScale = pScale;
    aCenter = pScale > 1 ? pScale * 0.5 - 0.5 : 0;
    aInvScale = 1 / pScale;
    aZoom = pScale == 2 || pScale == 4 || pScale == 8 ? int(pScale) : 0;
    aUnit = UnitFor(aInvScale);
    aMajor = 10 * aUnit;
    aUnitWidth = aUnit * pScale;

    int orig;
    if (pPosIsTime)
        orig = SaturateToInt(std::nearbyint(pPos * pScale - 0.5));
    else
        orig = SaturateToInt(std::trunc(time * pScale) - pPos + 8);
    aOrig = orig & ~15;
    aDirty = true;
    return true;
}

void TZVXScale::updateUnit() const {
    if (!ZV_ASSERT(aUnit > 0))
        return;
    int64_t left = SaturateToInt(std::nearbyint(aOrig * aInvScale));
    if (left > 0)
        left += aUnit - 1;
    const int64_t index = left / aUnit;
    const int64_t first = index * aUnit;
    aFirstPixel = first * aScale - aOrig;
    const int64_t place = index % 10 < 0 ? index % 10 + 10 : index % 10;
    aFirstIndex = int(place);
    const int64_t major = first - place * aUnit;
    aFirstMajor = SaturateToInt(major);
    aMajorPixel = SaturateToInt(std::nearbyint(major * aScale) - aOrig);
    aDirty = false;
}

void TZVXScale::Scroll(int pDelta) {
    aOrig = SaturateToInt(int64_t(aOrig) + pDelta);
    aDirty = true;
}
