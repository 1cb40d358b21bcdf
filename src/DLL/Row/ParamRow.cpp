#include "DLL/Row/ParamRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/ParamGraph.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/RowRegistry.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <iterator>
#include <utility>

TZVParamRow::TFactorySet* TZVParamRow::theFactorySet = nullptr;

IParamFactory::~IParamFactory() = default;

// Hands each key of a walk to the stream, to the listeners, or to both.
class TZVParamRow::TKeyWalk : public IKeyPropagator {
public:
    enum ETarget { targetSTREAM, targetLISTENERS, targetBOTH };
    TKeyWalk(const TZVParamRow& pRow, ETarget pTarget) : aRow(pRow), aTarget(pTarget) {}
    void Propagate(long pTime, int pChange) override {
        if (aTarget == targetSTREAM)
            aRow.CountInStream(pTime, pChange);
        else if (aTarget == targetLISTENERS)
            aRow.notifyKey(TStreamKey(pTime, 1), pChange);
        else
            aRow.propagateKey(pTime, pChange);
    }

private:
    const TZVParamRow& aRow;
    ETarget aTarget;
};

TZVParamRow::TZVParamRow(const TTypeDef& pTypeDef)
    : aTypeDef(pTypeDef), aFormula(nullptr), aUndoFormula(nullptr), aIndex(0), aResizeStart(0),
      aResizeKept(0), aGraphSlot(-1), aIsEnabled(false), aIsEndResize(false), aIsExpression(false) {
}

TZVParamRow::~TZVParamRow() {
    if (aFormula) {
        aFormula->AddListeners(true);
        delete aFormula;
    }
    // Each listener's formula unregisters from this row too: walk a list it cannot change.
    std::list<TParamListener> listeners;
    listeners.swap(aListenerList);
    for (const TParamListener& entry : listeners)
        entry.aListener->LoseValueSource();
    // The slot table must not keep a pointer to a dead row.
    if (aGraphSlot >= 0)
        RemoveParam(aGraphSlot);
    delete aUndoFormula;
}

void TZVParamRow::LoseValueSource() {
    if (!aFormula)
        return;
    aFormula->AddListeners(true);
    delete aFormula;
    aFormula = nullptr;
    aIsExpression = false;
}

TZVStreamRow* TZVParamRow::GetOwnerStream() {
    return aParent;
}

const ITimeList& TZVParamRow::GetKeyTimeList() const {
    return aFormulaList;
}

const TRangeList& TZVParamRow::GetSequenceList() const {
    return aParent->GetSequenceList();
}

wxIcon* TZVParamRow::GetRoleIcon() const {
    return GetParamIcon();
}

wxIcon* TZVParamRow::GetTypeIcon() const {
    return aParent->GetParamTypeIcon(aIndex);
}

void TZVParamRow::ListParam(std::list<TZVParamRow*>& pList) {
    pList.push_back(this);
}

TZVBaseRow* TZVParamRow::GetNextRow() const {
    return aParent->GetRowAfterParam(aIndex);
}

TZVBaseRow* TZVParamRow::GetPrevModRow() const {
    if (aParent->GetNextParam(aIndex))
        return nullptr;
    if (aParent->GetFirstEnabParam() == this)
        return aParent;
    return aParent->GetPrevParam(aIndex);
}

bool TZVParamRow::IsLastSibling() const {
    return !aParent->GetNextParam(aIndex);
}

void TZVParamRow::DeconflictName() {}

ERowKind TZVParamRow::retrieveRowKind() const {
    return rowKindPARAM;
}

void TZVParamRow::SetDefault(int pIndex, bool pEnabled) {
    setRowKind();
    aIndex = pIndex;
    aIsEnabled = pEnabled;
}

void TZVParamRow::SetRange(double pMin, double pMax) {
    // A text cell keeps its text under a numeric store.
    aTypeDef.aMin = pMin;
    aTypeDef.aMax = pMax;
    aTypeDef.aRangeCheck = true;
}

void TZVParamRow::ChangeName(const wxString& pName) {
    Rename(wxGetTranslation(pName));
    IEditorListener::OnRowModified(this, IEditorListener::editNAME);
}

void TZVParamRow::RefreshIcon() const {
    IEditorListener::OnRowModified(this, IEditorListener::editICON);
}

TVariant TZVParamRow::GetValueAt(double pTime) const {
    if (aFormula)
        return aFormula->ComputePointAt(pTime);
    const TABCFormula* segment = aFormulaList.GetCurveAt(SaturateToInt(pTime));
    return segment ? segment->ComputePointAt(pTime) : TVariant();
}

// Value sources.

void TZVParamRow::KeepForUndo(IDependFormula* pFormula) {
    delete aUndoFormula;
    aUndoFormula = pFormula;
}

void TZVParamRow::InitFormula(TZVFormula* pFormula) {
    ZV_ASSERT(aFormulaList.empty());
    pFormula->FitUnderReaders();
    LoseValueSource();
    aFormula = pFormula;
    aIsExpression = true;
    pFormula->AddListeners(false);
}

void TZVParamRow::SetFormula(IDependFormula* pFormula) {
    ApplyUndo(pFormula);
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    notifyListenersParamChanged();
}

void TZVParamRow::deleteFormula(bool pKeep) {
    if (!aFormula)
        return;
    aFormula->AddListeners(true);
    if (pKeep)
        KeepForUndo(aFormula);
    else
        delete aFormula;
    aFormula = nullptr;
    aIsExpression = false;
}

void TZVParamRow::InitDefaultFormulaList() {
    cutToSequences();
    fillUncovered(false);
}

void TZVParamRow::ResetFormulaList() {
    // The composite listeners counted these keys as well: they withdraw them too.
    TKeyWalk walk(*this, TKeyWalk::targetBOTH);
    WalkKeys(walk, -1);
    aFormulaList.Clear();
    aFormulaList.Touch();
    InitDefaultFormulaList();
}

TZVParamRow::iterator TZVParamRow::fillOneFormulaGap(const TRange& pGap, iterator pHint,
                                                     bool pRecord) {
    const TABCFormula* left = pHint == aFormulaList.begin() ? nullptr : &*std::prev(pHint);
    const TABCFormula* right = pHint == aFormulaList.end() ? nullptr : &*pHint;
    const TABCFormula built(left, right, pGap, aTypeDef,
                            IZVProject::theCurrentProject->GetMediaFormat().aRate);
    if (built.aBegin > pGap.aBegin)
        insertFormula(TABCFormula(pGap.aBegin, built.aValue, built.aBegin), &pHint, pRecord);
    iterator result = pHint;
    if (built.aBegin < built.aEnd)
        result = insertFormula(built, &pHint, pRecord);
    if (built.aEnd < pGap.aEnd) {
        TABCFormula filler(built.aEnd, built.ComputePointAt(double(built.aEnd)), pGap.aEnd);
        filler.aCont = contANGLE;
        insertFormula(filler, &pHint, pRecord);
    }
    return result;
}

// Recording primitives.

void TZVParamRow::Widen(const TRange& pSpan) {
    if (aIsEnabled)
        aEditRange.Extend(TRange(pSpan.aBegin, pSpan.aEnd));
}

void TZVParamRow::Save(const TABCFormula& pSegment) {
    aFormulaList.Touch();
    aUndoList.push_front(pSegment);
}

void TZVParamRow::Mark(long pTime) {
    aUndoList.push_front(TABCFormula(pTime, UNDEFINED_VARIANT, pTime));
}

TZVParamRow::iterator TZVParamRow::insertFormula(const TABCFormula& pSegment, const iterator* pHint,
                                                 bool pRecord) {
    const iterator existing = aFormulaList.find(pSegment.aBegin);
    if (existing != aFormulaList.end()) {
        ZV_FAIL("InsertResult.second");
        return existing;
    }
    const iterator inserted =
        pHint ? aFormulaList.Insert(*pHint, pSegment) : aFormulaList.Insert(pSegment).first;
    aFormulaList.Touch();
    Widen(pSegment);
    propagateAddKey(pSegment.aBegin);
    propagateAddKey(pSegment.aEnd);
    if (pRecord)
        Mark(pSegment.aBegin);
    return inserted;
}

TZVParamRow::iterator TZVParamRow::deleteFormula(iterator pPos, bool pRecord) {
    const TABCFormula& segment = *pPos;
    Widen(segment);
    propagateDelKey(segment.aBegin);
    propagateDelKey(segment.aEnd);
    if (pRecord)
        Save(segment);
    const iterator next = aFormulaList.Erase(pPos);
    aFormulaList.Touch();
    return next;
}

// XML.

void TZVParamRow::CreateAllChildren(const wxXmlNode* pElement) {
    SetProperties(pElement);
    const wxXmlNode* value = pElement->GetChildren();
    if (!value || value->GetType() != wxXML_ELEMENT_NODE || value->GetName() != L"value")
        throw TError(wxGetTranslation(L"Missing formula list for %s"), GetRowDesignation());
    if (!aFormula)
        ReadValue(value);
    if (aIsEnabled)
        PropagateAll(true);
    notifyAll();
}

void TZVParamRow::ReadValue(const wxXmlNode* pValue) {
    bool hasElement = false;
    for (const wxXmlNode* child = pValue->GetChildren(); child; child = child->GetNext())
        hasElement = hasElement || child->GetType() == wxXML_ELEMENT_NODE;
    if (hasElement || !pValue->GetChildren()) {
        ReadKeys(pValue);
        return;
    }
    // A text that does not parse is kept with its errors, which the host shows.
    TZVFormula* formula = new TZVFormula(this);
    formula->ValueFromXml(pValue, aTypeDef);
    aFormula = formula;
    aIsExpression = true;
}

void TZVParamRow::ReadKeys(const wxXmlNode* pValue) {
    size_t count = 0;
    for (const wxXmlNode* child = pValue->GetChildren(); child; child = child->GetNext())
        ++count;
    bool valid = count == 0 || aFormulaList.ValueFromXml(pValue, aTypeDef);
    // A begin read twice is kept once by the list: the count tells.
    valid = valid && aFormulaList.size() == count;
    long lastEnd = 0;
    for (const TABCFormula& segment : aFormulaList) {
        valid = valid && segment.aBegin < segment.aEnd &&
                (&segment == &*aFormulaList.begin() || lastEnd <= segment.aBegin);
        lastEnd = segment.aEnd;
    }
    if (valid)
        return;
    aFormulaList.Clear();
    aFormulaList.Touch();
    throw TError(wxGetTranslation(L"Invalid key list for %s"), GetRowDesignation());
}

wxXmlNode* TZVParamRow::GetXmlImage() const {
    wxXmlNode* element = TZVBaseRow::GetXmlImage();
    if (!aIsEnabled)
        element->AddAttribute(L"disabled", wxEmptyString);
    wxXmlNode* value = new wxXmlNode(wxXML_ELEMENT_NODE, L"value");
    AppendChild(value, element);
    if (aFormula)
        aFormula->MakeXmlImage(value, aTypeDef);
    else
        aFormulaList.MakeXmlImage(value, aTypeDef);
    return element;
}

// Factories.

void TZVParamRow::RegisterFactory(const IParamFactory* pFactory) {
    if (!theFactorySet)
        theFactorySet = new TFactorySet;
    const auto InsertResult = theFactorySet->emplace(pFactory->GetSubType(), pFactory);
    if (!ZV_ASSERT(InsertResult.second))
        delete pFactory;
}

void TZVParamRow::DeleteAllFactories() {
    if (!theFactorySet)
        return;
    for (const auto& entry : *theFactorySet)
        delete entry.second;
    delete theFactorySet;
    theFactorySet = nullptr;
}

TZVParamRow* TZVParamRow::Create(const wxXmlNode* pElement, TZVStreamRow* pStream, int pIndex,
                                 const TTypeDef& pTypeDef) {
    const wxString type = pStream->GetPropValue(pElement, L"type");
    const auto factory = theFactorySet ? theFactorySet->find(type) : TFactorySet::iterator();
    if (!theFactorySet || factory == theFactorySet->end())
        throw TError(wxGetTranslation(L"No parameter factory is registered for type %ls of %ls "
                                      L"parameter"),
                     type, pStream->GetRowDesignation());
    TZVParamRow* row = factory->second->Create(pTypeDef);
    try {
        row->SetDefault(pIndex, !pElement->HasAttribute(L"disabled"));
        row->SetParent(pStream, pStream->aIsParamShown);
        row->CreateAllChildren(pElement);
    } catch (...) {
        delete row;
        throw;
    }
    return row;
}

// Listeners and keys.

void TZVParamRow::AddListener(TZVParamRow* pListener, bool pOnValue) const {
    for (TParamListener& entry : aListenerList) {
        if (entry.aListener == pListener) {
            // A formula may read "begin" before "value": the value dependency must stay.
            entry.aOnValue = entry.aOnValue || pOnValue;
            return;
        }
    }
    aListenerList.push_back({pListener, pOnValue});
}

bool TZVParamRow::RemListener(TZVParamRow* pListener) const {
    for (auto entry = aListenerList.begin(); entry != aListenerList.end(); ++entry) {
        if (entry->aListener == pListener) {
            aListenerList.erase(entry);
            return true;
        }
    }
    return false;
}

bool TZVParamRow::CheckListenerLoop(const TZVParamRow* pTarget, int pDepth) const {
    // Clear at some depth means clear at any larger one: the smallest such depth per row
    // keeps a lattice's shared rows from being walked once per path.
    std::map<const TZVParamRow*, int> clear;
    return CheckLoopFrom(pTarget, pDepth, clear);
}

bool TZVParamRow::CheckLoopFrom(const TZVParamRow* pTarget, int pDepth,
                                std::map<const TZVParamRow*, int>& pClear) const {
    if (pDepth < 1)
        return false;
    const auto known = pClear.find(this);
    if (known != pClear.end() && known->second <= pDepth)
        return true;
    for (const TParamListener& entry : aListenerList) {
        if (!entry.aOnValue)
            continue;
        if (entry.aListener == pTarget || pDepth == 1 ||
            !entry.aListener->CheckLoopFrom(pTarget, pDepth - 1, pClear))
            return false;
    }
    pClear[this] = pDepth;
    return true;
}

bool TZVParamRow::AddFormulaListeners(bool pRemove) {
    bool bound = true;
    if (aIsExpression && !pRemove) {
        TZVFormula* expression = dynamic_cast<TZVFormula*>(aFormula);
        bound = !expression || expression->Resolve();
    }
    // The references that did bind listen even when others failed: a row that dies first
    // then takes this formula with it instead of leaving it a dangling reference.
    if (aFormula && (pRemove || aIsExpression))
        aFormula->AddListeners(pRemove);
    return bound;
}

void TZVParamRow::WalkKeys(IKeyPropagator& pPropagator, int pSign) const {
    bool first = true;
    long pending = 0;
    for (const TABCFormula& segment : aFormulaList) {
        if (!first && pending == segment.aBegin) {
            pPropagator.Propagate(segment.aBegin, 2 * pSign);
        } else {
            if (!first && pending != OPEN_END)
                pPropagator.Propagate(pending, pSign);
            pPropagator.Propagate(segment.aBegin, pSign);
        }
        first = false;
        pending = segment.aEnd;
    }
    if (!first && pending != OPEN_END)
        pPropagator.Propagate(pending, pSign);
}

void TZVParamRow::CountInStream(long pTime, int pChange) const {
    if (aParent)
        aParent->PropagateKey(TStreamKey(pTime, 1), pChange, false, true);
}

void TZVParamRow::PropagateAll(bool pAdd) const {
    const int sign = pAdd ? 1 : -1;
    if (!aFormula) {
        TKeyWalk walk(*this, TKeyWalk::targetSTREAM);
        WalkKeys(walk, sign);
        return;
    }
    for (const TStreamKey& key : aKeyList)
        CountInStream(key.aTime, sign * key.aCount);
}

void TZVParamRow::notifyAll() const {
    if (aListenerList.empty())
        return;
    TKeyWalk walk(*this, TKeyWalk::targetLISTENERS);
    WalkKeys(walk, 1);
}

void TZVParamRow::propagateKey(long pTime, int pChange) const {
    if (pTime == OPEN_END)
        return;
    if (aIsEnabled)
        CountInStream(pTime, pChange);
    notifyKey(TStreamKey(pTime, 1), pChange);
}

void TZVParamRow::notifyKey(const TStreamKey& pKey, int pChange) const {
    for (const TParamListener& entry : aListenerList)
        entry.aListener->onKeyChanged(this, pKey, pChange);
}

void TZVParamRow::onKeyChanged(const TZVParamRow*, const TStreamKey& pKey, int pChange) {
    if (!ZV_ASSERT(aFormula != NULL) || aIsExpression)
        return;
    if (aKeyList.AddCount(TStreamKey(pKey.aTime, 1), pChange) && aIsEnabled)
        IEditorListener::OnParamKeyEdit(this, TRange(pKey.aTime, pKey.aTime + 1));
    propagateKey(pKey.aTime, pChange);
}

bool TZVParamRow::TakeChange(bool pAll) {
    if (!ZV_ASSERT(aFormula != NULL))
        return false;
    IEditorListener::OnParamKeyEdit(this, TRange());
    return aFormula->OnParamChanged(this, pAll);
}

void TZVParamRow::onParamChanged(const TZVParamRow*, bool pAll) {
    if (TakeChange(pAll))
        notifyListenersParamChanged();
}

void TZVParamRow::notifyOther(bool pAll) const {
    TReached reached{{this, true}};
    NotifyFrom(pAll, reached);
}

void TZVParamRow::NotifyFrom(bool pAll, TReached& pReached) const {
    if (aParent)
        aParent->OnParamUpdate(this);
    for (const TParamListener& entry : aListenerList) {
        if (!pAll && !entry.aOnValue)
            continue;
        // A row already told of this change (with at least this flag) is not told again.
        const auto reached = pReached.emplace(entry.aListener, pAll);
        if (!reached.second) {
            if (reached.first->second || !pAll)
                continue;
            reached.first->second = true;
        }
        if (entry.aListener->TakeChange(pAll))
            entry.aListener->NotifyFrom(false, pReached);
    }
}
