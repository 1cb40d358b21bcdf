#include "DLL/Row/SuperParamRow.h"

#include "ALL/Error.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Row/ParamFormula.h"
#include "DLL/Row/RowSelection.h"
#include "DLL/Row/StreamRow.h"

#include <wx/intl.h>

TZVSuperParamRow::TZVSuperParamRow(const TTypeDef& pTypeDef, int pSubCount)
    : TZVParamRow(pTypeDef), aIsApplying(false), aSubCount(pSubCount) {}

TZVSuperParamRow::~TZVSuperParamRow() {
    // The combining formula walks the components through this class: drop it while the
    // row is still one.
    deleteFormula(false);
    if (aParent && aParent->aSuperParam == this)
        aParent->aSuperParam = nullptr;
}

const ITimeList& TZVSuperParamRow::GetKeyTimeList() const {
    return aKeyList;
}

TZVParamRow* TZVSuperParamRow::GetSubParam(int pNumber) const {
    if (!aParent || pNumber < 0 || pNumber >= aSubCount)
        return nullptr;
    const size_t index = size_t(aIndex) + 1 + size_t(pNumber);
    return index < aParent->aParamTab.size() ? aParent->aParamTab[index] : nullptr;
}

void TZVSuperParamRow::ApplyToSubParam(TSubParamMethod& pMethod) {
    aIsApplying = true;
    for (int number = aSubCount - 1; number >= 0; --number) {
        if (TZVParamRow* component = GetSubParam(number))
            pMethod.Apply(component);
    }
    aIsApplying = false;
}

bool TZVSuperParamRow::ApplyToSubParam(TSubParamPredicat& pPredicat) const {
    for (int number = aSubCount - 1; number >= 0; --number) {
        const TZVParamRow* component = GetSubParam(number);
        if (component && pPredicat.Apply(component))
            return false;
    }
    return true;
}

namespace {

// Lists each component that is not selected itself.
class TUnselectedLister : public TSubParamMethod {
public:
    explicit TUnselectedLister(std::list<TZVParamRow*>& pList) : aList(pList) {}
    void Apply(TZVParamRow* pComponent) override {
        if (!IRowSelection::theSingleton->IsSelected(pComponent))
            pComponent->ListParam(aList);
    }

private:
    std::list<TZVParamRow*>& aList;
};

} // namespace

void TZVSuperParamRow::ListParam(std::list<TZVParamRow*>& pList) {
    if (!IRowSelection::theSingleton->IsSelected(this))
        return;
    TUnselectedLister lister(pList);
    ApplyToSubParam(lister);
}

namespace {

// DeleteKey, or DeleteFormula with pSegment, on each component.
class TKeyDeleter : public TSubParamMethod {
public:
    TKeyDeleter(long pTime, TZVBaseRow::IUndoCompiler& pUndo, bool pSegment)
        : aTime(pTime), aUndo(pUndo), aSegment(pSegment) {}
    void Apply(TZVParamRow* pComponent) override {
        if (aSegment)
            pComponent->DeleteFormula(aTime, aUndo);
        else
            pComponent->DeleteKey(aTime, aUndo);
    }

private:
    long aTime;
    TZVBaseRow::IUndoCompiler& aUndo;
    bool aSegment;
};

} // namespace

namespace {

class TKeyEditor : public TSubParamMethod {
public:
    TKeyEditor(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
               TZVBaseRow::IUndoCompiler& pUndo)
        : aTime(pTime), aLeftSide(pLeftSide), aEase(pEase), aCont(pCont), aUndo(pUndo) {}
    void Apply(TZVParamRow* pComponent) override {
        pComponent->EditKey(aTime, aLeftSide, aEase, aCont, aUndo);
    }

private:
    long aTime;
    bool aLeftSide;
    bool aEase;
    EContinuity aCont;
    TZVBaseRow::IUndoCompiler& aUndo;
};

} // namespace

void TZVSuperParamRow::EditKey(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
                               TZVBaseRow::IUndoCompiler& pUndo) {
    TKeyEditor editor(pTime, pLeftSide, pEase, pCont, pUndo);
    ApplyToSubParam(editor);
}

void TZVSuperParamRow::DeleteKey(long pTime, TZVBaseRow::IUndoCompiler& pUndo) {
    TKeyDeleter deleter(pTime, pUndo, false);
    ApplyToSubParam(deleter);
}

void TZVSuperParamRow::DeleteFormula(long pTime, TZVBaseRow::IUndoCompiler& pUndo) {
    TKeyDeleter deleter(pTime, pUndo, true);
    ApplyToSubParam(deleter);
}

void TZVSuperParamRow::SetDefault(int pIndex, bool pEnabled) {
    delete aFormula;
    aFormula = new TZVParamFormula(this);
    aIsExpression = false;
    TZVParamRow::SetDefault(pIndex, pEnabled);
}

void TZVSuperParamRow::CreateAllChildren(const wxXmlNode* pElement) {
    if (aParent)
        aParent->aSuperParam = this;
    TZVParamRow::CreateAllChildren(pElement);
}

void TZVSuperParamRow::InitDefaultFormulaList() {
    if (aParent)
        aParent->aSuperParam = this;
}

void TZVSuperParamRow::OnSetupUpdate(int pSetup) {
    if (!aParent || pSetup < 0 || size_t(pSetup) >= aParent->aSetupTab.size()) {
        ZV_FAIL("pSetup < GetSetupCount()");
        return;
    }
    const TVariant& setup = aParent->aSetupTab[size_t(pSetup)];
    const bool enable = !setup.IsNumeric() || setup.GetDouble() != 0.0;
    for (int number = 0; number < aSubCount; ++number) {
        if (TZVParamRow* component = GetSubParam(number))
            aParent->EnableParam(component, enable);
    }
}

bool TZVSuperParamRow::OnCompChanged(const TZVParamRow*) {
    if (aIsApplying)
        return false;
    IEditorListener::OnParamKeyEdit(this, TRange());
    return true;
}

// Components.

TZVSubParamRow::~TZVSubParamRow() = default;

wxIcon* TZVSubParamRow::GetTypeIcon() const {
    return aIsLinked ? GetSubParamIcon(aSubNumber) : nullptr;
}

void TZVSubParamRow::CreateAllChildren(const wxXmlNode* pElement) {
    linkToSuperParam();
    TZVParamRow::CreateAllChildren(pElement);
}

void TZVSubParamRow::InitDefaultFormulaList() {
    linkToSuperParam();
    TZVParamRow::InitDefaultFormulaList();
}

void TZVSubParamRow::EndShift(TZVBaseRow::IUndoCompiler& pUndo) {
    pUndo.AddParamRow(this);
}

void TZVSubParamRow::linkToSuperParam() {
    if (aIsLinked)
        return;
    // Stored files may put a component anywhere: only a row right behind its composite,
    // within both the composite's and the component's own count, is one.
    TZVSuperParamRow* super = aParent ? aParent->aSuperParam : nullptr;
    const int number = super ? aIndex - 1 - super->aIndex : -1;
    if (number < 0 || number >= super->aSubCount || size_t(number) >= GetSubParamNameTab().size())
        throw TError(wxGetTranslation(L"Misplaced component parameter %s"), GetRowDesignation());
    if (aName.empty())
        Rename(wxGetTranslation(super->aName) + L" - " +
               wxGetTranslation(GetSubParamNameTab()[size_t(number)]));
    AddListener(super, true);
    aSubNumber = number;
    aIsLinked = true;
}
