// The value sources of parameters: IFormula (a value at any time) and IClonableFormula (a
// value source with keys, an XML image and per-frame copies), and EContinuity, the kind of
// a key.
#pragma once

#include "ALL/Variant.h"

class IEvaluateContext;
class TABCFormula;
class TTypeDef;
class wxXmlNode;

// How the curve goes on at a key; the kind belongs to the segment that starts there. 32 bits
// with a fixed type, so that a damaged value read from a file is still a value of it.
enum EContinuity : int {
    contFLAT = 0,   // constant segment
    contNONE = 1,   // own start value (a jump is allowed), free start slope
    contANGLE = 2,  // start value continues the left curve, free start slope
    contSMOOTH = 3, // value and slope continue the left curve
    contNO_KEY = 4  // no key at the asked time (an answer of the key queries only)
};

// "FLAT", "NONE", "ANGLE", "SMOOTH" or "COUNT"; "COUNT" for contNO_KEY and for any value
// outside the enumeration.
const wchar_t* GetContinuityImage(EContinuity pCont);

class IFormula {
public:
    // The value at a (possibly fractional) time; undefined where there is none.
    virtual TVariant ComputePointAt(double pTime) const = 0;
    // True when the value does not change around pTime.
    virtual bool IsFlatFormula(long pTime) const = 0;
    virtual ~IFormula();
};

class IClonableFormula : public IFormula {
public:
    // A stand-alone copy of the value source for rendering at pTime; the caller owns it.
    // pReuse (may be null) is an earlier copy the call takes over: it is either reused for
    // the result or deleted.
    virtual IFormula* CloneFormulaAt(long pTime, IFormula* pReuse, const IEvaluateContext& pContext,
                                     bool pFlag) const = 0;
    // Reads the value source from the children of pParent; false on a bad or missing entry.
    virtual bool ValueFromXml(const wxXmlNode* pParent, const TTypeDef& pType) = 0;
    // Appends the value source's image to pParent, after any children it has.
    virtual void MakeXmlImage(wxXmlNode* pParent, const TTypeDef& pType) const = 0;
    // 0 when no key lies at pTime; else 1 when a segment ends there plus 2 when one starts
    // there.
    virtual int HasKey(long pTime) const = 0;
    // The value at pTime, the continuity of the key there (contNO_KEY without one) and the
    // easing flag of the chosen side (pLeft: the segment ending at pTime).
    virtual TVariant GetValueNSlope(long pTime, bool pLeft, EContinuity& pCont,
                                    bool& pFlag) const = 0;
    // Drops cached look-ups; called after every change of the value source.
    virtual void Touch() = 0;
    // The segment with aBegin <= pTime < aEnd, or null.
    virtual const TABCFormula* GetCurveAt(long pTime) const = 0;
    // The segments ending at or containing pTime (pLeft) and starting at or containing it
    // (pRight), null where there is none; pNextJoined (when given) receives the segment that
    // starts where pRight ends, or null.
    virtual void GetCurvesAt(long pTime, const TABCFormula*& pLeft, const TABCFormula*& pRight,
                             const TABCFormula** pNextJoined) const = 0;
    ~IClonableFormula() override;
};
