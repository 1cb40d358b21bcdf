// TABCFormula: one key segment of a parameter, a time range with the value at its start and
// a cubic rise over the range, plus the continuity kind of its start key and two easing
// flags; with the operations that rebuild its curve after an edit and its "key" XML element.
#pragma once

#include "ALL/Assert.h"
#include "ALL/Range.h"
#include "ALL/Variant.h"
#include "DLL/Bas/Formula.h"

#include <cstdint>

class TTypeDef;
class wxXmlNode;

// value(t) = aValue + ((a·x + b)·x + c)·x with x = t - aBegin, in exactly this order (stored
// coefficients are compared bit for bit); a FLAT segment keeps aValue throughout.
class TABCFormula : public IFormula, public TRange {
public:
    // Bits of aFlags owned by the parameter rows; every computation here needs both clear.
    enum { flagLEFT_MULT = 4, flagRIGHT_MULT = 8 };

    // [pBegin, pEnd) holding pValue (a text is copied), zero coefficients, no easing; NONE for
    // a number, FLAT for a text or undefined value.
    TABCFormula(long pBegin, const TVariant& pValue, long pEnd);
    // A new segment over pRange between the optional neighbours: it continues a touching left
    // neighbour's end value, else takes a touching right neighbour's start value or the
    // type's default, and runs at the type's slope (per 1000 time units at pRate) within the
    // type's range. Between two touching neighbours of a type without slope, a straight line
    // joins them.
    TABCFormula(const TABCFormula* pLeft, const TABCFormula* pRight, const TRange& pRange,
                const TTypeDef& pType, long pRate);
    TABCFormula(const TABCFormula& pSource) = default;
    TABCFormula& operator=(const TABCFormula& pSource) = default;
    ~TABCFormula() override;

    // Segments are ordered by aBegin alone: two segments with one begin are one key.
    bool operator<(const TABCFormula& pOther) const { return aBegin < pOther.aBegin; }

    // The value at pTime as a number (aValue for a FLAT segment). Inline with ComputePointAt:
    // the key list's value look-up runs through both for every sample.
    double ComputeAt(double pTime) const {
        if (aCont == contFLAT)
            return aValue.GetDouble();
        const double x = pTime - double(aBegin);
        return aValue.GetDouble() + ((a * x + b) * x + c) * x;
    }
    // The slope of the polynomial at pTime, whatever the continuity.
    double slopeAt(long pTime) const;
    // A copy of aValue for a text, an undefined value or a FLAT segment, else the number.
    TVariant ComputePointAt(double pTime) const override {
        if (!aValue.IsNumeric() || aCont == contFLAT)
            return aValue;
        return TVariant(ComputeAt(pTime));
    }
    // True when a, b and c are all 0.0; the time is not looked at.
    bool IsFlatFormula(long pTime) const override;
    // True when pNext starts at aEnd and either continues smoothly or both segments are FLAT
    // with equal values, so the two can be one segment.
    bool CanJoin(const TABCFormula& pNext) const;
    // The time at which the straight continuation at slope c reaches the type's minimum
    // (or maximum) towards later (pRight) or earlier times; the open end (2147483647 or
    // -2147483648) when the type sets no reachable limit.
    long ExtrapolLimit(const TTypeDef& pType, bool pRight) const;

    // Replaces the start value and nothing else; the value held before must be defined.
    void SetValueAtOrig(const TVariant& pValue) {
        ZV_ASSERT(!aValue.IsUndefined());
        aValue = pValue;
    }
    // Moves the end to pTime and drops the ease out; the coefficients stay.
    void TruncateRight(long pTime);

    // New coefficients for a total rise of pDelta over the segment, shaped by the easing
    // flags, a SMOOTH start (its slope c stays unless pFreeStart) and a SMOOTH pNextFormula
    // (whose start slope becomes the end slope). The segment must not be empty.
    void rebuildFormula(double pDelta, const TABCFormula* pNextFormula, bool pFreeStart);
    // Rebuilds for the current total rise, with no next segment.
    void RebuildCurve();
    // Rebuilds so that a numeric segment ends at pNext's start value.
    void ComputeCurveTo(const TABCFormula& pNext);
    // Sets the start value (a text stays) and rebuilds so that the end value stays.
    void SetValueAtLeft(double pValue, const TABCFormula* pNext);
    // As SetValueAtLeft, but a SMOOTH segment also gets a new start slope.
    void ReachAtLeft(double pValue, const TABCFormula* pNext);
    // Moves the start by pShift keeping the end value.
    void ShiftLeftAndRecompute(long pShift, const TABCFormula* pNext);
    // Moves the end by pShift keeping the end value.
    void ShiftRightAndRecompute(long pShift, const TABCFormula* pNext);
    // Multiplies both times by pFactor (nearest, ties to even) keeping the end value and a
    // SMOOTH start's slope per time unit of the old scale.
    void ScaleTime(double pFactor, const TABCFormula* pNext);
    // Moves the start to pTime on the same curve; the start key becomes NONE (FLAT stays).
    void TruncateLeft(long pTime);
    // pNext is this segment's curve from pNext's begin on: value and coefficients bit for bit.
    bool IsContinuedBy(const TABCFormula& pNext) const;
    // Takes pNext's end and rebuilds to reach pNext's end value; when pNext is this very curve
    // cut at its begin, as a split leaves it, the curve goes on unchanged instead.
    void Join(const TABCFormula& pNext, const TABCFormula* pNextNext);
    // Rebuilds a first segment towards pNext, with a free start slope.
    void ComputeFirstTo(const TABCFormula& pNext);
    // Rebuilds a first segment between two segments, a SMOOTH start taking the left
    // neighbour's slope.
    void ComputeFirst(const TABCFormula& pLeftFormula, const TABCFormula& pRight);
    // Rebuilds after the left neighbour changed: unless NONE the start value (and for SMOOTH
    // the slope) continues pLeftFormula; the end reaches pNext's value when pNext continues
    // this segment.
    void ComputeCurve(const TABCFormula& pLeftFormula, const TABCFormula* pNext);
    // Takes the end key (time, value, ease out) of the edited copy pSource. *pChanged (when
    // given) tells whether the key at the end changed its kind for pNext.
    void ChangeRight(const TABCFormula& pSource, const TABCFormula* pNext, bool pCopyFlat,
                     bool* pChanged);
    // Takes the start key of the edited copy pSource, keeping the end key where and what it
    // was. *pChanged as for ChangeRight.
    void ChangeLeft(const TABCFormula& pSource, const TABCFormula* pNext, bool pCopyFlat,
                    bool* pChanged);
    // Makes the curve constant (at the end value when pTakeEndValue) without easing; FLAT
    // when pMarkFlat.
    void SetFlat(bool pTakeEndValue, bool pMarkFlat);
    // Makes the segment a straight line at the type's slope that ends at the old start value
    // (leftwards) or starts there (pRight), cut where it reaches the type's range. False, with
    // nothing changed, for a type without slope.
    bool Extrapolate(const TTypeDef& pType, long pRate, bool pRight);

    // A new "key" element holding the segment; the caller owns it.
    wxXmlNode* GetXmlImage(const TTypeDef& pType) const;
    // Writes "time" and, for a segment that is not empty, "to", the value, "kind" and the
    // non-zero coefficients into pElement.
    void MakeXmlImage(wxXmlNode* pElement, const TTypeDef& pType) const;
    // Reads a "key" element. A "key" with "time" alone is an empty FLAT segment that keeps
    // the value held before. False, with the segment unchanged, on a missing or bad item.
    bool ValueFromXml(const wxXmlNode* pElement, const TTypeDef& pType);

    TVariant aValue; // at aBegin
    double a;
    double b;
    double c; // slope at aBegin
    EContinuity aCont;
    bool aAccel;    // slope 0 at the start
    bool aDecel;    // slope 0 at the end
    uint8_t aFlags; // flagLEFT_MULT, flagRIGHT_MULT

private:
    // The curve of the segment between two neighbours, built by the constructor.
    void Build(const TABCFormula* pLeft, const TABCFormula* pRight, const TTypeDef& pType,
               long pRate);
    // The rise over the segment with the current times and coefficients.
    double Rise() const;
    // The time where the straight line at slope c from (aBegin, aValue) reaches the type's
    // bound on the given side (up going right, down going left, clamped to 32 bits). False
    // when there is none: a bound or start value that is not a number, or no number as the
    // crossing time.
    bool LimitTime(const TTypeDef& pType, bool pRight, long& pTime) const;
};
