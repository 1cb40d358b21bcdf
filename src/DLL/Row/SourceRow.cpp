#include "DLL/Row/SourceRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <iterator>

TZVSourceRow::~TZVSourceRow() {
    LeaveParent();
    for (TZVFilterRow* filter : aFilterChildList) {
        filter->SetParent(nullptr, false);
        delete filter;
    }
}

void TZVSourceRow::LeaveParent() {
    destroy();
    if (!aParent)
        return;
    // destroy() took the row's own keys out; this takes out those of its shown children.
    TUpdateKeyParam keys{aParent, false, true, aIsShown};
    UpdateKeyList(keys);
    if (!aIsDetached)
        aParent->RemoveSource(this);
}

wxIcon* TZVSourceRow::GetRoleIcon() const {
    return aParent ? aParent->GetSrcRoleIcon(this) : nullptr;
}

wxXmlNode* TZVSourceRow::GetXmlImage() const {
    wxXmlNode* element = TZVStreamRow::GetXmlImage();
    wxXmlNode* filters = new wxXmlNode(wxXML_ELEMENT_NODE, L"fltr-list");
    NSXml::AppendChild(element, filters);
    filters->AddAttribute(L"shown", FormatLong(aIsFilterShown));
    NSXml::TChildAppender images(filters);
    for (const TZVFilterRow* filter : aFilterChildList)
        images.Append(filter->GetXmlImage());
    return element;
}

void TZVSourceRow::VShift(int pDelta) {
    TZVStreamRow::VShift(pDelta);
    if (aIsFilterShown)
        ShiftFiltersFrom(aFilterChildList.begin(), pDelta);
}

void TZVSourceRow::HShift(int pDelta) {
    if (pDelta == 0)
        return;
    TZVStreamRow::HShift(pDelta);
    for (TZVFilterRow* filter : aFilterChildList)
        filter->HShift(pDelta);
}

void TZVSourceRow::ShowAt(int pTop) {
    if (aFilterListHeight > 0) {
        ZV_ASSERT(aIsFilterShown);
        if (aFilterChildList.empty()) {
            ZV_FAIL("it != aFilterChildList.end()");
        } else {
            const int delta = pTop - aFilterChildList.back()->GetTopRow()->aTop;
            if (delta != 0)
                for (auto it = aFilterChildList.rbegin(); it != aFilterChildList.rend(); ++it)
                    (*it)->VShift(delta);
        }
        pTop += aFilterListHeight;
    }
    TZVStreamRow::ShowAt(pTop);
}

void TZVSourceRow::ListParam(std::list<TZVParamRow*>& pList) {
    TZVStreamRow::ListParam(pList);
    for (TZVFilterRow* filter : aFilterChildList)
        filter->ListParam(pList);
}

bool TZVSourceRow::ApplyOnVisible(IVisibleRowOperation& pOperation) const {
    const bool result = TZVStreamRow::ApplyOnVisible(pOperation);
    if (result && aIsFilterShown)
        for (const TZVFilterRow* filter : aFilterChildList)
            filter->ApplyOnVisible(pOperation);
    return result;
}

TZVBaseRow* TZVSourceRow::GetRow(int pY) {
    if (pY >= aTop)
        return TZVStreamRow::GetRow(pY);
    ZV_ASSERT(aIsFilterShown);
    for (auto it = aFilterChildList.rbegin(); it != aFilterChildList.rend(); ++it)
        if (TZVBaseRow* row = (*it)->GetRow(pY))
            return row;
    ZV_FAIL("false");
    return nullptr;
}

TZVBaseRow* TZVSourceRow::GetNextRow() const {
    if (TZVBaseRow* row = TZVStreamRow::GetNextRow())
        return row;
    return aParent ? aParent->GetRowAfterSource(this) : nullptr;
}

TZVBaseRow* TZVSourceRow::GetPrevModRow() const {
    const TZVMixerRow* mixer = GetParentMixer();
    if (!mixer || mixer->GetNextSource(this))
        return nullptr;
    TZVSourceRow* previous = mixer->GetPrevSource(this);
    return previous ? static_cast<TZVBaseRow*>(previous) : const_cast<TZVMixerRow*>(mixer);
}

void TZVSourceRow::DeconflictName() {
    if (TZVMixerRow* mixer = GetParentMixer()) {
        mixer->RefileSource(this);
        mixer->DeconflictSource(this);
    }
}

void TZVSourceRow::CreateChildren(const wxXmlNode*& pNode) {
    TZVStreamRow::CreateChildren(pNode);
    createFilterList(pNode);
    pNode = pNode->GetNext();
}

void TZVSourceRow::AttachParent(TZVStreamRow* pParent, const TZVStreamRow* pBefore) {
    if (!ZV_ASSERT(pParent != NULL))
        return;
    pParent->InsertSource(this, dynamic_cast<const TZVSourceRow*>(pBefore));
}

TZVBaseRow* TZVSourceRow::GetRow(const wxXmlNode* pStep) {
    if (!pStep || pStep->GetName() != GetRowKindName(rowKindFILTER))
        return TZVStreamRow::GetRow(pStep);
    const wxString path = pStep->GetAttribute(L"path", wxEmptyString);
    TZVFilterRow* filter = findFilter(path, nullptr);
    TZVBaseRow* row = filter ? filter->GetRow(pStep->GetNext()) : nullptr;
    if (!row)
        throw TError(wxGetTranslation(L"%s %s is not a filter of %s"), pStep->GetName(), path,
                     aName);
    return row;
}

TZVBaseRow* TZVSourceRow::GetRowAfterParam() const {
    return GetRowAfter();
}

TZVBaseRow* TZVSourceRow::GetTopRow() const {
    if (aIsFilterShown && !aFilterChildList.empty())
        return aFilterChildList.back()->GetTopRow();
    return const_cast<TZVSourceRow*>(this);
}

TZVBaseRow* TZVSourceRow::GetRowAfter() const {
    return aParent ? aParent->GetRowAfterSource(this) : nullptr;
}

TZVStreamRow* TZVSourceRow::GetNextSibling() {
    const TZVMixerRow* mixer = GetParentMixer();
    return mixer ? mixer->GetNextSource(this) : nullptr;
}

void TZVSourceRow::Detach() {
    if (!aParent)
        return;
    TUpdateKeyParam keys{aParent, false, true, aIsShown};
    UpdateKeyList(keys);
    aParent->RemoveSource(this);
}

bool TZVSourceRow::ApplyOperation(IStreamTreeOperation& pOperation) {
    const bool result = TZVStreamRow::ApplyOperation(pOperation);
    if (result)
        for (TZVFilterRow* filter : aFilterChildList)
            filter->ApplyOperation(pOperation);
    return result;
}

void TZVSourceRow::ListSubStream(ISubStreamList&) {}

bool TZVSourceRow::MustKeep() const {
    const TZVMixerRow* mixer = GetParentMixer();
    return mixer && !mixer->MayRemoveSource(this);
}

void TZVSourceRow::ParamGrow(int pDelta) {
    if (!aIsShown)
        ZV_FAIL("IsShown()");
    TellParentGrow(pDelta);
}

void TZVSourceRow::UpdateKeyList(TUpdateKeyParam& pParam) const {
    TZVStreamRow::UpdateKeyList(pParam);
    if (aIsFilterShown)
        updateFilterKeyList(pParam);
}

int TZVSourceRow::GetSourceHeight() const {
    return aHeight + aFilterListHeight + aParamHeight;
}

int TZVSourceRow::GetMaxSourceLevel() const {
    return aLevel;
}

void TZVSourceRow::InsertFilter(TZVFilterRow* pFilter, const TZVFilterRow* pBefore) {
    aFilterNames.File(pFilter);
    DeconflictFilter(pFilter);
    const auto before =
        pBefore && pBefore->aParent == this ? pBefore->aListPos : aFilterChildList.end();
    pFilter->aListPos = aFilterChildList.insert(before, pFilter);
    pFilter->SetStreamParent(this, aIsFilterShown);
    if (!aIsFilterShown)
        return;
    int top = aTop;
    if (pFilter->aListPos != aFilterChildList.begin()) {
        const TZVFilterRow* below = *std::prev(pFilter->aListPos);
        top = below->aTop - below->aMaskHeight;
    }
    pFilter->ShowAt(top);
    const int height = pFilter->GetBlockHeight();
    aFilterListHeight += height;
    if (aIsShown) {
        VShift(height);
        TellParentGrow(height);
    }
    ShiftFiltersFrom(pFilter->aListPos, -height);
}

void TZVSourceRow::RemoveFilter(TZVFilterRow* pFilter) {
    if (!pFilter) {
        ZV_FAIL("pFilter !=__null");
        return;
    }
    if (pFilter->aParent != this)
        return;
    aFilterNames.Unfile(pFilter);
    const auto next = aFilterChildList.erase(pFilter->aListPos);
    pFilter->aListPos = aFilterChildList.end();
    pFilter->SetParent(nullptr, false);
    if (!aIsFilterShown)
        return;
    const int height = pFilter->GetBlockHeight();
    aFilterListHeight -= height;
    if (aIsShown) {
        VShift(-height);
        TellParentGrow(-height);
    }
    ShiftFiltersFrom(next, height);
}

void TZVSourceRow::ShowFilter(bool pState) {
    ZV_ASSERT(aIsFilterShown != pState);
    aIsFilterShown = pState;
    if (aFilterChildList.empty())
        return;
    int delta = -aFilterListHeight;
    if (pState) {
        int y = aTop;
        for (auto it = aFilterChildList.rbegin(); it != aFilterChildList.rend(); ++it) {
            (*it)->ShowAt(y);
            y = (*it)->GetBottom();
        }
        delta = y - aTop;
    } else {
        for (TZVFilterRow* filter : aFilterChildList)
            filter->Hide();
    }
    // While collapsed, this row counts its filters' keys.
    TUpdateKeyParam keys{this, !pState, false, false};
    updateFilterKeyList(keys);
    aFilterListHeight += delta;
    if (aIsShown) {
        VShift(delta);
        TellParentGrow(delta);
    }
    if (pState)
        ShiftFiltersFrom(aFilterChildList.begin(), -delta);
}

void TZVSourceRow::FilterGrow(std::list<TZVFilterRow*>::iterator pPos, int pDelta) {
    // A collapsed chain takes no room, whatever its filters' blocks do.
    if (!aIsFilterShown)
        return;
    aFilterListHeight += pDelta;
    if (aIsShown) {
        VShift(pDelta);
        TellParentGrow(pDelta);
    }
    ShiftFiltersFrom(pPos, -pDelta);
}

TZVFilterRow* TZVSourceRow::GetNextFilter(const TZVFilterRow* pFilter) const {
    if (!pFilter || pFilter->aParent != this)
        return nullptr;
    const auto next = std::next(pFilter->aListPos);
    return next == aFilterChildList.end() ? nullptr : *next;
}

TZVFilterRow* TZVSourceRow::GetPrevFilter(const TZVFilterRow* pFilter) const {
    if (!pFilter || pFilter->aParent != this || pFilter->aListPos == aFilterChildList.begin())
        return nullptr;
    return *std::prev(pFilter->aListPos);
}

TZVBaseRow* TZVSourceRow::GetRowAfterFilter(std::list<TZVFilterRow*>::const_iterator pPos) const {
    if (pPos == aFilterChildList.begin())
        return const_cast<TZVSourceRow*>(this);
    return (*std::prev(pPos))->GetTopRow();
}

TZVFilterRow* TZVSourceRow::findFilter(const wxString& pName, const TZVFilterRow* pExcept) const {
    for (TZVFilterRow* filter : aFilterChildList)
        if (filter != pExcept && filter->aName == pName)
            return filter;
    return nullptr;
}

void TZVSourceRow::DeconflictFilter(TZVFilterRow* pFilter) {
    aFilterNames.Refile(pFilter);
    aFilterNames.Deconflict(pFilter);
}

void TZVSourceRow::updateFilterKeyList(TUpdateKeyParam& pParam) const {
    for (const TZVFilterRow* filter : aFilterChildList)
        filter->UpdateKeyList(pParam);
}

TZVSourceRow* TZVSourceRow::CreateAllChildren(const wxXmlNode* pElement) {
    return ReadChildrenOrDelete(this, pElement);
}

namespace {

bool IsElement(const wxXmlNode* pNode, const wchar_t* pName) {
    return pNode && pNode->GetType() == wxXML_ELEMENT_NODE && pNode->GetName() == pName;
}

} // namespace

void TZVSourceRow::createFilterList(const wxXmlNode* pNode) {
    if (!IsElement(pNode, L"fltr-list"))
        throw TError(wxGetTranslation(L"Filter list missing for %s"), GetRowDesignation());
    long shown = 0;
    if (!ParseLong32(GetPropValue(pNode, L"shown"), shown) || (shown != 0 && shown != 1))
        throw TError(wxGetTranslation(L"Invalid filter show value for %s"), GetRowDesignation());
    aIsFilterShown = shown != 0;
    for (const wxXmlNode* child = pNode->GetChildren(); child; child = child->GetNext()) {
        const wxXmlNode* element = child;
        TZVFilterRow* filter = TZVFilterRow::Create(element);
        filter->CreateAllChildren(child);
        InsertFilter(filter, nullptr);
    }
}

TZVMixerRow* TZVSourceRow::GetParentMixer() const {
    return dynamic_cast<TZVMixerRow*>(aParent);
}

wxString TZVSourceRow::incName(const wxString& pBase, int pK) {
    const size_t runStart = TSiblingNames::DigitRunStart(pBase);
    if (runStart == pBase.length())
        return pBase + wxString::Format(L"-%d", pK);
    // Decimal addition on the digit run itself: no run is too long to count on.
    wxString digits = pBase.Mid(runStart);
    unsigned long carry = (unsigned long)(pK < 0 ? 0 : pK);
    for (size_t i = digits.length(); i-- > 0 && carry > 0;) {
        const unsigned long sum = (unsigned long)(digits[i] - '0') + carry;
        digits[i] = wchar_t('0' + sum % 10);
        carry = sum / 10;
    }
    if (carry > 0)
        digits = wxString::Format(L"%lu", carry) + digits;
    return pBase.Left(runStart) + digits;
}

bool TZVSourceRow::isParentShowSource(const TZVMixerRow* pParent) {
    return pParent && pParent->aIsSourceShown;
}

TZVSourceRow* TZVSourceRow::Create(const wxXmlNode*& pElement, TZVStreamRow* pParent,
                                   TZVSourceRow* pBefore) {
    const wxString kind = pElement->GetName();
    TZVSourceRow* row = nullptr;
    if (kind == GetRowKindName(rowKindSOURCE))
        row = TZVSimpleSourceRow::Create(pElement);
    else if (kind == GetRowKindName(rowKindMIXER))
        row = TZVMixerRow::Create(pElement);
    else
        throw TError(wxGetTranslation(L"Invalid Layer Type: %s"), kind);
    row->CreateAllChildren(pElement);
    if (!pParent)
        return row;
    pParent->InsertSource(row, pBefore);
    // A parent that holds no sources, or a filter that has its mask, refuses the row.
    if (row->aParent != pParent) {
        delete row;
        throw TError(wxGetTranslation(L"%s %s cannot have a %s"),
                     GetRowTransName(pParent->aRowKind), pParent->aName, kind);
    }
    return row;
}

void TZVSourceRow::ShiftFiltersFrom(std::list<TZVFilterRow*>::iterator pFrom, int pDelta) {
    for (auto it = pFrom; it != aFilterChildList.end(); ++it)
        (*it)->VShift(pDelta);
}

void TZVSourceRow::TellParentGrow(int pDelta) {
    if (aParent)
        aParent->ChildSourceGrow(this, pDelta, false);
}

TZVSimpleSourceRow::~TZVSimpleSourceRow() = default;

ERowKind TZVSimpleSourceRow::retrieveRowKind() const {
    return rowKindSOURCE;
}

wxIcon* TZVSimpleSourceRow::GetSrcRoleIcon(const TZVSourceRow*) const {
    ZV_FAIL("false");
    return nullptr;
}

template <>
const wchar_t* const TRowRegistry<TZVSimpleSourceRow>::theNoFactoryFormat =
    L"No factory is registered for TZVSimpleSourceRow subtype %ls";
template class TRowRegistry<TZVSimpleSourceRow>;

wxString TZVEmptySourceRow::TheSubType;
IZVStreamDisplayInfo* TZVEmptySourceRow::theDisplayInfo = nullptr;
bool TZVEmptySourceRow::theHasVideoFlag = false;
int TZVEmptySourceRow::theParamControlIndexTab[1] = {-1};
int TZVEmptySourceRow::theSetupControlIndexTab[1] = {-1};

namespace {

// The module's own simple source, registered at start-up; its order keeps it out of the host's
// table.
const struct TEmptyRegistration {
    TEmptyRegistration() { RegisterRowClass<TZVEmptySourceRow, TZVSimpleSourceRow>(L"Empty", -1); }
} theEmptyRegistration;

} // namespace

TZVEmptySourceRow::TZVEmptySourceRow(const wxString& pName, TZVMixerRow* pParent,
                                     const TZVStreamRow* pBefore) {
    CreateDefault(pName);
    AttachParent(pParent, pBefore);
}

TZVEmptySourceRow::~TZVEmptySourceRow() = default;

const wxString& TZVEmptySourceRow::GetSubType() const {
    return TheSubType;
}

wxIcon* TZVEmptySourceRow::GetTypeIcon() const {
    return GetIcon();
}

bool TZVEmptySourceRow::HasVideo() const {
    return aParent && aParent->HasVideo();
}

IZVStreamDisplayInfo* TZVEmptySourceRow::GetDisplayInfo() const {
    return theDisplayInfo;
}

int TZVEmptySourceRow::GetParamCount() const {
    return 0;
}

int TZVEmptySourceRow::GetSetupCount() const {
    return 0;
}

int TZVEmptySourceRow::GetControlCount() const {
    return 0;
}

// The class has no controls: no index names an entry.
int TZVEmptySourceRow::GetParamControl(int) const {
    return -1;
}

int TZVEmptySourceRow::GetSetupControl(int) const {
    return -1;
}

const TControlInfo* TZVEmptySourceRow::GetControlTab() const {
    return nullptr;
}

wxIcon* TZVEmptySourceRow::GetParamTypeIcon(int) const {
    ZV_FAIL("false");
    return nullptr;
}

wxIcon* TZVEmptySourceRow::GetIcon() {
    return GetUnknownIcon();
}

// Sequence edits.

bool TZVSourceRow::SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) {
    const bool result = TZVStreamRow::SplitJoinAt(pTime, pUndo, pSplit);
    if (result && pUndo)
        for (TZVFilterRow* filter : aFilterChildList)
            filter->SplitJoinAt(pTime, pUndo, pSplit);
    return result;
}

bool TZVSourceRow::BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree,
                              TRangeList* pAll) {
    const bool result = TZVStreamRow::BeginShift(pRows, pFree, pAll);
    if (result)
        for (TZVFilterRow* filter : aFilterChildList)
            filter->TZVStreamRow::BeginShift(pRows, pFree, pAll);
    return result;
}

bool TZVSourceRow::BeginResize(long pTime, bool pLeft, TRange& pLimits,
                               std::list<TZVStreamRow*>* pRows) {
    const bool result = TZVStreamRow::BeginResize(pTime, pLeft, pLimits, pRows);
    if (result && pRows)
        for (TZVFilterRow* filter : aFilterChildList)
            filter->BeginResize(pTime, pLeft, pLimits, pRows);
    return result;
}

void TZVSourceRow::DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                                  IUndoCompiler& pUndo) {
    TZVStreamRow::DeleteSequence(pSel, pDeleted, pUndo);
    if (pDeleted.empty())
        return;
    for (TZVFilterRow* filter : aFilterChildList) {
        TRangeList scratch;
        filter->DeleteSequence(pDeleted, scratch, pUndo);
    }
}
