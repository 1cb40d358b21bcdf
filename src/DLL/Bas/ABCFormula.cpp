#include "DLL/Bas/ABCFormula.h"

#include "ALL/Number.h"
#include "ALL/TypeDef.h"
#include "ALL/Variant.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cmath>

namespace {

const wchar_t* const TIME_ATTRIBUTE = L"time";
const wchar_t* const TO_ATTRIBUTE = L"to";
const wchar_t* const KIND_ATTRIBUTE = L"kind";
const wchar_t* const COEFFICIENT_ATTRIBUTES[] = {L"a", L"b", L"c"};

constexpr long MIN_TIME = -2147483647L - 1;
constexpr long MAX_TIME = 2147483647L;
// "kind": the continuity in the low four bits, then the easing flags.
constexpr long KIND_CONT_MASK = 15;
constexpr long KIND_ACCEL = 16;
constexpr long KIND_DECEL = 32;
// The one pattern no number image is written for (its image would read back as 0.0).
constexpr uint64_t UNWRITABLE_BITS = ~uint64_t(0);

long ShiftedTime(long pTime, long pShift) {
    long sum;
    if (__builtin_add_overflow(pTime, pShift, &sum))
        return pShift < 0 ? MIN_TIME : MAX_TIME;
    return SaturateToInt(sum);
}

// pTime·pFactor to the nearest time, ties to even, saturated; a factor that gives no number
// leaves the time alone.
long ScaledTime(long pTime, double pFactor) {
    const double scaled = std::nearbyint(double(pTime) * pFactor);
    return std::isnan(scaled) ? pTime : SaturateToInt(scaled);
}

// A coefficient attribute: absent or empty is 0.0; a bad image is refused.
bool ReadCoefficient(const wxXmlNode* pElement, const wchar_t* pName, double& pValue) {
    bool badImage = false;
    GetXmlIEEE754Attribute(pElement, pName, pValue, badImage);
    return !badImage && DoubleToBits(pValue) != UNWRITABLE_BITS;
}

} // namespace

// The check of the operations that compute with the coefficients, with its reported text.
// clang-format off
#define CHECK_NO_MULT_FLAGS() ZV_ASSERT((aFlags&(flagLEFT_MULT|flagRIGHT_MULT))==0)
// clang-format on

TABCFormula::TABCFormula(long pBegin, const TVariant& pValue, long pEnd)
    : TRange(pBegin, pEnd), aValue(pValue), a(0.0), b(0.0), c(0.0),
      aCont(pValue.IsNumeric() ? contNONE : contFLAT), aAccel(false), aDecel(false), aFlags(0) {}

TABCFormula::TABCFormula(const TABCFormula* pLeft, const TABCFormula* pRight, const TRange& pRange,
                         const TTypeDef& pType, long pRate)
    : TRange(pRange), a(0.0), b(0.0), c(0.0),
      aCont(pType.aType < paramTypeFONT ? contNONE : contFLAT), aAccel(false), aDecel(false),
      aFlags(0) {
    if (pLeft)
        ZV_ASSERT(pLeft->aEnd <= pRange.aBegin);
    if (pRight)
        ZV_ASSERT(pRight->aBegin >= pRange.aEnd);
    Build(pLeft, pRight, pType, pRate);
    // An undefined start value is stored as a FLAT key without coefficients: build it as it
    // reads back.
    if (!aValue.IsNumeric()) {
        aCont = contFLAT;
        a = b = c = 0.0;
    }
}

void TABCFormula::Build(const TABCFormula* pLeft, const TABCFormula* pRight, const TTypeDef& pType,
                        long pRate) {
    const bool leftTouch = pLeft && pLeft->aEnd == aBegin;
    const bool rightTouch = pRight && pRight->aBegin == aEnd;
    const bool keyed = pType.aType < paramTypeFONT;
    if (leftTouch) {
        aValue = pLeft->ComputePointAt(double(pLeft->aEnd));
        if (!keyed)
            return;
    }
    if (!rightTouch) {
        if (!leftTouch) {
            if (pLeft) {
                aValue = pLeft->ComputePointAt(double(pLeft->aEnd));
            } else {
                aValue = pType.aDefault;
                if (!keyed)
                    return;
            }
        }
        Extrapolate(pType, pRate, true);
        return;
    }
    if (!leftTouch) {
        aValue = pRight->aValue;
        if (keyed)
            Extrapolate(pType, pRate, false);
        return;
    }
    if (pType.aSlope != 0.0)
        Extrapolate(pType, pRate, true);
    // A line to or from an undefined value would have a NaN slope: it stays level.
    else if (aValue.IsNumeric() && pRight->aValue.IsNumeric())
        c = (pRight->aValue.GetDouble() - aValue.GetDouble()) / double(aEnd - aBegin);
}

TABCFormula::~TABCFormula() = default;

double TABCFormula::slopeAt(long pTime) const {
    const double x = double(pTime) - double(aBegin);
    return x * (3.0 * a * x + 2.0 * b) + c;
}

bool TABCFormula::IsFlatFormula(long) const {
    return a == 0.0 && b == 0.0 && c == 0.0;
}

bool TABCFormula::CanJoin(const TABCFormula& pNext) const {
    if (aEnd != pNext.aBegin)
        return false;
    if (pNext.aCont == contSMOOTH)
        return true;
    return aCont == contFLAT && pNext.aCont == contFLAT && aValue == pNext.aValue;
}

bool TABCFormula::LimitTime(const TTypeDef& pType, bool pRight, long& pTime) const {
    const TVariant& bound = (c < 0.0) == pRight ? pType.aMin : pType.aMax;
    if (!bound.IsNumeric() || !aValue.IsNumeric())
        return false;
    const double time = (bound.GetDouble() - aValue.GetDouble()) / c + double(aBegin);
    if (std::isnan(time))
        return false;
    if (time >= double(MAX_TIME))
        pTime = MAX_TIME;
    else if (time <= double(MIN_TIME))
        pTime = MIN_TIME;
    else
        pTime = RoundToInt(time, pRight ? roundCEIL : roundFLOOR);
    return true;
}

long TABCFormula::ExtrapolLimit(const TTypeDef& pType, bool pRight) const {
    long limit;
    if (pType.aType < paramTypeFONT && pType.aRangeCheck && c != 0.0 &&
        LimitTime(pType, pRight, limit))
        return limit;
    return pRight ? MAX_TIME : MIN_TIME;
}

void TABCFormula::TruncateRight(long pTime) {
    aEnd = pTime;
    aDecel = false;
}

double TABCFormula::Rise() const {
    const double length = double(aEnd - aBegin);
    return length * ((a * length + b) * length + c);
}

void TABCFormula::rebuildFormula(double pDelta, const TABCFormula* pNextFormula, bool pFreeStart) {
    // The checks keep their reported texts as written.
    // clang-format off
    ZV_ASSERT(!aAccel||((aCont!=contSMOOTH)&&(aCont!=contFLAT)));
    ZV_ASSERT(!aDecel||((aCont!=contFLAT)&&((pNextFormula==NULL)||((pNextFormula->aCont!=contSMOOTH)&&(pNextFormula->aCont!=contFLAT)))));
    ZV_ASSERT((aFlags& (flagLEFT_MULT|flagRIGHT_MULT)) == 0);
    // clang-format on
    if (aCont == contFLAT) {
        // clang-format off
        ZV_ASSERT(!(aAccel|aDecel));
        // clang-format on
        a = b = c = 0.0;
        return;
    }
    // A rise to or from an undefined value is no number: the curve keeps the shape it has.
    if (std::isnan(pDelta))
        pDelta = Rise();
    const double k = 1.0 / double(aEnd - aBegin);
    const double s = pDelta * k; // the mean slope
    const bool boundEnd = pNextFormula && pNextFormula->aCont == contSMOOTH;
    const bool keepStart = !pFreeStart && aCont == contSMOOTH;
    if (!aDecel && !aAccel && !keepStart && !boundEnd) {
        a = b = 0.0;
        c = s;
        return;
    }
    const double e = boundEnd ? pNextFormula->c : 0.0; // the end slope to reach
    if (!keepStart)
        c = aAccel ? 0.0 : 2.0 * s - e;
    if ((keepStart ^ boundEnd ^ aAccel) == aDecel) {
        // Both end slopes are bound: cubic Hermite.
        a = (c + e - 2.0 * s) * k * k;
        b = (3.0 * s - 2.0 * c - e) * k;
    } else {
        a = 0.0;
        b = (s - c) * k;
    }
}

void TABCFormula::RebuildCurve() {
    rebuildFormula(Rise(), NULL, false);
}

void TABCFormula::ComputeCurveTo(const TABCFormula& pNext) {
    if (aValue.IsNumeric())
        rebuildFormula(pNext.aValue.GetDouble() - aValue.GetDouble(), &pNext, false);
}

void TABCFormula::SetValueAtLeft(double pValue, const TABCFormula* pNext) {
    const double end = ComputeAt(double(aEnd));
    aValue = pValue;
    rebuildFormula(end - pValue, pNext, false);
}

void TABCFormula::ReachAtLeft(double pValue, const TABCFormula* pNext) {
    const double end = ComputeAt(double(aEnd));
    aValue = pValue;
    rebuildFormula(end - pValue, pNext, true);
}

void TABCFormula::ShiftLeftAndRecompute(long pShift, const TABCFormula* pNext) {
    const double rise = Rise();
    aBegin = ShiftedTime(aBegin, pShift);
    if (aCont != contFLAT)
        rebuildFormula(rise, pNext, false);
}

void TABCFormula::ShiftRightAndRecompute(long pShift, const TABCFormula* pNext) {
    const double rise = Rise();
    aEnd = ShiftedTime(aEnd, pShift);
    if (aCont != contFLAT)
        rebuildFormula(rise, pNext, false);
}

void TABCFormula::ScaleTime(double pFactor, const TABCFormula* pNext) {
    const double rise = Rise();
    aEnd = ScaledTime(aEnd, pFactor);
    aBegin = ScaledTime(aBegin, pFactor);
    if (aBegin >= aEnd || aCont == contFLAT)
        return;
    if (aCont == contSMOOTH)
        c /= pFactor;
    rebuildFormula(rise, pNext, false);
}

void TABCFormula::TruncateLeft(long pTime) {
    CHECK_NO_MULT_FLAGS();
    if (aCont != contFLAT) {
        aCont = contNONE;
        aAccel = false;
        const double x = double(pTime) - double(aBegin);
        const double x2 = x * x;
        // An undefined value stays undefined.
        if (aValue.IsNumeric())
            aValue = aValue.GetDouble() + (c * x + b * x2 + a * x2 * x);
        c += 3.0 * a * x2 + 2.0 * b * x;
        b += 3.0 * a * x;
    }
    aBegin = pTime;
}

bool TABCFormula::IsContinuedBy(const TABCFormula& pNext) const {
    TABCFormula rest(*this);
    rest.TruncateLeft(pNext.aBegin);
    return rest.aValue == pNext.aValue && DoubleToBits(rest.a) == DoubleToBits(pNext.a) &&
           DoubleToBits(rest.b) == DoubleToBits(pNext.b) &&
           DoubleToBits(rest.c) == DoubleToBits(pNext.c);
}

void TABCFormula::Join(const TABCFormula& pNext, const TABCFormula* pNextNext) {
    // A split leaves the right piece on this very curve: the join gives the segment back as it
    // was, where a rebuild would round it, or reshape a curve that a file holds.
    const bool sameCurve = IsContinuedBy(pNext);
    aEnd = pNext.aEnd;
    if (sameCurve)
        aDecel = pNext.aDecel;
    if (sameCurve || aCont == contFLAT)
        return;
    aDecel = pNext.aDecel;
    rebuildFormula(pNext.ComputeAt(double(pNext.aEnd)) - aValue.GetDouble(), pNextNext, false);
}

void TABCFormula::ComputeFirstTo(const TABCFormula& pNext) {
    ZV_ASSERT(aValue.IsNumeric());
    const double target =
        pNext.aCont >= contANGLE ? pNext.aValue.GetDouble() : ComputeAt(double(aEnd));
    rebuildFormula(target - aValue.GetDouble(), &pNext, true);
}

void TABCFormula::ComputeFirst(const TABCFormula& pLeftFormula, const TABCFormula& pRight) {
    ZV_ASSERT(aValue.IsNumeric());
    const double target =
        pRight.aCont >= contANGLE ? pRight.aValue.GetDouble() : ComputeAt(double(aEnd));
    if (aCont == contSMOOTH) {
        ZV_ASSERT(!pLeftFormula.aDecel);
        c = pLeftFormula.slopeAt(aBegin);
    }
    rebuildFormula(target - aValue.GetDouble(), NULL, false);
}

void TABCFormula::ComputeCurve(const TABCFormula& pLeftFormula, const TABCFormula* pNext) {
    ZV_ASSERT(aValue.IsNumeric());
    const double target =
        pNext && pNext->aCont >= contANGLE ? pNext->aValue.GetDouble() : ComputeAt(double(aEnd));
    if (aCont != contNONE) {
        aValue = pLeftFormula.ComputePointAt(double(aBegin));
        if (aCont == contSMOOTH) {
            ZV_ASSERT(!pLeftFormula.aDecel);
            c = pLeftFormula.slopeAt(aBegin);
        }
    }
    rebuildFormula(target - aValue.GetDouble(), pNext, false);
}

void TABCFormula::ChangeRight(const TABCFormula& pSource, const TABCFormula* pNext, bool pCopyFlat,
                              bool* pChanged) {
    aEnd = pSource.aEnd;
    if (!pCopyFlat && aCont == contFLAT) {
        if (pChanged)
            *pChanged = pSource.aCont != contFLAT && pNext && pNext->aCont >= contANGLE;
        return;
    }
    if (pChanged)
        *pChanged = false;
    if (!pCopyFlat || pSource.aCont != contFLAT) {
        aDecel = pSource.aDecel;
        rebuildFormula(pSource.ComputeAt(double(pSource.aEnd)) - aValue.GetDouble(), pNext, false);
        return;
    }
    aCont = contFLAT;
    a = b = c = 0.0;
    aValue = pSource.aValue;
}

void TABCFormula::ChangeLeft(const TABCFormula& pSource, const TABCFormula* pNext, bool pCopyFlat,
                             bool* pChanged) {
    if (pChanged)
        *pChanged = false;
    if (pCopyFlat && aCont == contFLAT) {
        aBegin = pSource.aBegin;
        return;
    }
    if (!pCopyFlat && pSource.aCont == contFLAT) {
        if (aCont != contFLAT) {
            if (pChanged)
                *pChanged = pNext && pNext->aCont >= contANGLE;
            aCont = contFLAT;
            a = b = c = 0.0;
        }
        aValue = pSource.aValue;
        return;
    }
    const double end = ComputeAt(double(aEnd));
    aValue = pSource.aValue;
    c = pSource.c;
    aBegin = pSource.aBegin;
    aCont = pSource.aCont == contFLAT ? contNONE : pSource.aCont;
    aAccel = pSource.aAccel;
    rebuildFormula(end - aValue.GetDouble(), pNext, false);
}

void TABCFormula::SetFlat(bool pTakeEndValue, bool pMarkFlat) {
    CHECK_NO_MULT_FLAGS();
    if (pTakeEndValue)
        aValue = ComputePointAt(double(aEnd));
    a = b = c = 0.0;
    aAccel = aDecel = false;
    if (pMarkFlat)
        aCont = contFLAT;
}

bool TABCFormula::Extrapolate(const TTypeDef& pType, long pRate, bool pRight) {
    if (pType.aSlope == 0.0)
        return false;
    CHECK_NO_MULT_FLAGS();
    a = b = 0.0;
    c = pType.aSlope / double(pRate) * 1000.0;
    // Leftwards the line ends at the old start value. An undefined value stays undefined.
    if (!pRight && aValue.IsNumeric())
        aValue = aValue.GetDouble() - double(aEnd - aBegin) * c;
    long limit;
    if (pType.aType >= paramTypeFONT || !pType.aRangeCheck || c == 0.0 ||
        !LimitTime(pType, pRight, limit))
        return true;
    if (pRight) {
        if (aEnd > limit)
            aEnd = std::max(limit, aBegin);
        return true;
    }
    if (aBegin >= limit)
        return true;
    if (aValue.IsNumeric())
        aValue = aValue.GetDouble() + c * double(limit - aBegin);
    aBegin = std::min(limit, aEnd);
    return true;
}

wxXmlNode* TABCFormula::GetXmlImage(const TTypeDef& pType) const {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, L"key");
    MakeXmlImage(element, pType);
    return element;
}

void TABCFormula::MakeXmlImage(wxXmlNode* pElement, const TTypeDef& pType) const {
    pElement->AddAttribute(TIME_ATTRIBUTE, FormatLong(aBegin));
    if (aEnd == aBegin)
        return;
    pElement->AddAttribute(TO_ATTRIBUTE, FormatLong(aEnd));
    TVariant::MakeXmlNode(aValue, pElement);
    if (pType.aType >= paramTypeFONT)
        return;
    const long kind = long(aCont) + (aAccel ? KIND_ACCEL : 0) + (aDecel ? KIND_DECEL : 0);
    pElement->AddAttribute(KIND_ATTRIBUTE, FormatLong(kind));
    const double coefficients[] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        if (coefficients[i] != 0.0)
            pElement->AddAttribute(COEFFICIENT_ATTRIBUTES[i], IEEE754Image(coefficients[i]));
    }
}

bool TABCFormula::ValueFromXml(const wxXmlNode* pElement, const TTypeDef& pType) {
    long time = 0;
    if (!GetXmlLongAttribute(pElement, TIME_ATTRIBUTE, time))
        return false;
    if (!pElement->HasAttribute(TO_ATTRIBUTE)) {
        aBegin = aEnd = time;
        a = b = c = 0.0;
        aCont = contFLAT;
        aAccel = aDecel = false;
        aFlags = 0;
        return true;
    }
    // A "to" that is there but not a time is damage, not a key without end.
    long to = 0;
    if (!GetXmlLongAttribute(pElement, TO_ATTRIBUTE, to))
        return false;
    TVariant value;
    if (!TVariant::ReadXml(value, pType.aType, pElement))
        return false;
    long kind = 0;
    double coefficients[] = {0.0, 0.0, 0.0};
    if (!value.IsUndefined() && pType.aType < paramTypeFONT) {
        if (!GetXmlLongAttribute(pElement, KIND_ATTRIBUTE, kind) ||
            (kind & KIND_CONT_MASK) > contSMOOTH)
            return false;
        for (int i = 0; i < 3; ++i) {
            if (!ReadCoefficient(pElement, COEFFICIENT_ATTRIBUTES[i], coefficients[i]))
                return false;
        }
    }
    aEnd = to;
    aValue = std::move(value);
    aBegin = time;
    a = coefficients[0];
    b = coefficients[1];
    c = coefficients[2];
    aCont = EContinuity(kind & KIND_CONT_MASK);
    aAccel = (kind & KIND_ACCEL) != 0;
    aDecel = (kind & KIND_DECEL) != 0;
    aFlags = 0;
    return true;
}
