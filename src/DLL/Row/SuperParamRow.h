// Composite parameters: TZVSuperParamRow, a parameter whose value is combined from the
// component rows that follow it in its stream's parameter table, and TZVSubParamRow, such a
// component. A component links itself to the composite its stream made last.
#pragma once

#include "DLL/Row/ParamRow.h"

#include <vector>

class TZVSuperParamRow;

// The factory of a composite or component row class TRow under TRow::theSubType, which its
// destruction empties.
template <class TRow>
class TCompositeFactory : public IParamFactory {
public:
    ~TCompositeFactory() override { TRow::theSubType.clear(); }
    wxString GetSubType() const override { return TRow::theSubType; }
    TZVParamRow* Create(const TTypeDef& pTypeDef) const override { return new TRow(pTypeDef); }
};

// An operation applied to each component of a composite; its result is ignored.
class TSubParamMethod {
public:
    virtual void Apply(TZVParamRow* pComponent) = 0;

protected:
    ~TSubParamMethod() = default;
};

// A test applied to each component of a composite.
class TSubParamPredicat {
public:
    virtual bool Apply(const TZVParamRow* pComponent) = 0;

protected:
    ~TSubParamPredicat() = default;
};

// Combines the components' values (one per component, in component order) into the value of
// the composite.
typedef TVariant (*TSubParamCombine)(const TVariant* pComponents);

class TZVSuperParamRow : public TZVParamRow {
public:
    TZVSuperParamRow(const TTypeDef& pTypeDef, int pSubCount);
    // Takes the row out of its components' listener lists; a stream still pointing at this
    // row as the composite being read forgets it.
    ~TZVSuperParamRow() override;

    // The row's own key list, into which the components' keys are counted.
    const ITimeList& GetKeyTimeList() const override;
    // A selected composite lists its components that are not selected themselves (they are
    // listed in their own right); it never lists itself.
    void ListParam(std::list<TZVParamRow*>& pList) override;
    // Installs the combining value source, then sets the kind, index and state.
    void SetDefault(int pIndex, bool pEnabled) override;
    // Records the row as the composite the next components belong to; the stored value is
    // ignored: the components carry the values.
    void CreateAllChildren(const wxXmlNode* pElement) override;
    // Records the row as above; a composite has no segments of its own.
    void InitDefaultFormulaList() override;
    // Key edits reach the components, last to first, which report them; the composite holds
    // no keys.
    void EditKey(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
                 TZVBaseRow::IUndoCompiler& pUndo) override;
    void DeleteKey(long pTime, TZVBaseRow::IUndoCompiler& pUndo) override;
    void DeleteFormula(long pTime, TZVBaseRow::IUndoCompiler& pUndo) override;
    // A composite has no segments to shift, resize, split or fill.
    bool BeginKeyShift(const TRangeList&) override { return false; }
    void Shift(int, bool) override {}
    void BeginResize(bool, long) override {}
    void Resize(long, long) override {}
    bool SplitAt(long, TZVBaseRow::IUndoCompiler&) override { return false; }
    void ExtendEnd(long) override {}
    virtual TSubParamCombine GetFormulaMethod() const = 0;

    // pMethod on each present component, last to first, with the applying flag set.
    void ApplyToSubParam(TSubParamMethod& pMethod);
    // pPredicat on each present component, last to first; false as soon as one answers true.
    bool ApplyToSubParam(TSubParamPredicat& pPredicat) const;
    // Enables every component when setup pSetup of the stream is not 0.0 (a value that is no
    // number counts as not 0), disables them otherwise.
    void OnSetupUpdate(int pSetup);
    // A component changed: reports the composite's edit unless the change comes from an
    // operation passed down by the composite. Returns whether it reported.
    bool OnCompChanged(const TZVParamRow* pComponent);

    // Component pNumber (0 first), or null when the stream has no such row (yet).
    TZVParamRow* GetSubParam(int pNumber) const;

    // True while an operation is passed to the components.
    bool aIsApplying;
    int aSubCount;
};

class TZVSubParamRow : public TZVParamRow {
public:
    explicit TZVSubParamRow(const TTypeDef& pTypeDef)
        : TZVParamRow(pTypeDef), aIsLinked(false), aSubNumber(0) {}
    ~TZVSubParamRow() override;

    // The component's own icon.
    wxIcon* GetTypeIcon() const override;
    // Links the row to its composite, then reads it.
    void CreateAllChildren(const wxXmlNode* pElement) override;
    // Links the row to its composite, then makes the default segments.
    void InitDefaultFormulaList() override;
    // The untranslated component names, by component number.
    virtual const std::vector<const wchar_t*>& GetSubParamNameTab() const = 0;
    virtual wxIcon* GetSubParamIcon(int pNumber) const = 0;
    // The end of a key shift: tells pUndo that the row has an image to take.
    virtual void EndShift(TZVBaseRow::IUndoCompiler& pUndo);

    // Once: takes the stream's last composite, names an unnamed row after it and the
    // component, and lets the composite listen. Throws TError when there is no composite the
    // row can be a component of.
    void linkToSuperParam();

    // Linked to its composite.
    bool aIsLinked;
    // The component number, valid once linked.
    int aSubNumber;
};
