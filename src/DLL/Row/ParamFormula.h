// The value sources of composite parameters: TZVParamFormula combines the values of the
// composite's live component rows; TZVParamFormulaForRendering, its snapshot for one frame,
// combines the components' snapshots in the host's frame table.
#pragma once

#include "DLL/Row/SuperParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <vector>

class TZVParamFormula : public IDependFormula {
public:
    explicit TZVParamFormula(TZVSuperParamRow* pSuperRow) : aSuperRow(pSuperRow) {}
    ~TZVParamFormula() override;

    // The combined value at pTime truncated toward zero; the first undefined component value
    // is the result (later components are not asked).
    TVariant ComputePointAt(double pTime) const override;
    // True when every component's key list is flat at pTime (an expression component's key
    // list too).
    bool IsFlatFormula(long pTime) const override;
    // pReuse unchanged when given (a snapshot of this composite); else a new snapshot.
    IFormula* CloneFormulaAt(long pTime, IFormula* pReuse, const IEvaluateContext& pContext,
                             bool pFlag) const override;
    // A composite value is never read: reports "false".
    bool ValueFromXml(const wxXmlNode* pParent, const TTypeDef& pType) override;
    // Writes nothing: the components carry the stored values.
    void MakeXmlImage(wxXmlNode* pParent, const TTypeDef& pType) const override;
    // The components' key masks or-ed together.
    int HasKey(long pTime) const override;
    // The combined value; the continuity is the components' common one, contNO_KEY when none
    // has a key at pTime and 5 when they differ; the flag is the last component's.
    TVariant GetValueNSlope(long pTime, bool pLeft, EContinuity& pCont,
                            bool& pFlag) const override;
    // Only value changes of a component concern the composite.
    bool OnParamChanged(const TZVParamRow* pRow, bool pAll) override;
    // pRemove: the components drop the composite's entry. Components register the composite
    // themselves when linked, so adding is reported as misuse.
    void AddListeners(bool pRemove) override;

    TZVSuperParamRow* aSuperRow;
};

class TZVParamFormulaForRendering : public IFormula {
public:
    // Asks pContext for the place of each component's snapshot.
    TZVParamFormulaForRendering(const TZVSuperParamRow* pSuperRow, const IEvaluateContext& pContext,
                                bool pFlag);
    ~TZVParamFormulaForRendering() override;

    // Undefined when a place is missing or empty or a component value is undefined.
    TVariant ComputePointAt(double pTime) const override;
    // True when a place is missing or empty, else when every component is flat.
    bool IsFlatFormula(long pTime) const override;

    // The places of the components' snapshots in the host's frame table.
    std::vector<IFormula**> aSlots;
    // Work array of component values.
    mutable std::vector<TVariant> aValues;
    TSubParamCombine aMethod;
    // Some place was not handed over.
    bool aMissing;
};
