#include "DLL/Row/MixerRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Row/FilterRow.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <iterator>

TZVMixerRow::~TZVMixerRow() {
    LeaveParent();
    for (TZVSourceRow* source : aSourceChildList) {
        source->SetParent(nullptr, false);
        delete source;
    }
}

int TZVMixerRow::GetBottom() const {
    return aTop + aHeight + aParamHeight + aSourceListHeight;
}

wxXmlNode* TZVMixerRow::GetXmlImage() const {
    wxXmlNode* element = TZVSourceRow::GetXmlImage();
    wxXmlNode* sources = new wxXmlNode(wxXML_ELEMENT_NODE, L"src-list");
    NSXml::AppendChild(element, sources);
    sources->AddAttribute(L"shown", FormatLong(aIsSourceShown));
    NSXml::TChildAppender images(sources);
    for (const TZVSourceRow* source : aSourceChildList)
        images.Append(source->GetXmlImage());
    return element;
}

void TZVMixerRow::VShift(int pDelta) {
    TZVSourceRow::VShift(pDelta);
    if (aIsSourceShown)
        for (TZVSourceRow* source : aSourceChildList)
            source->VShift(pDelta);
}

void TZVMixerRow::HShift(int pDelta) {
    TZVSourceRow::HShift(pDelta);
    if (pDelta != 0)
        for (TZVSourceRow* source : aSourceChildList)
            source->HShift(pDelta);
}

void TZVMixerRow::ShowAt(int pTop) {
    TZVSourceRow::ShowAt(pTop);
    if (aSourceListHeight <= 0)
        return;
    ZV_ASSERT(aIsSourceShown);
    if (aSourceChildList.empty()) {
        ZV_FAIL("aSourceChildList.begin()!=aSourceChildList.end()");
        return;
    }
    const TZVSourceRow* first = aSourceChildList.front();
    const int delta = (aTop + aHeight + aParamHeight) - (first->aTop - first->aFilterListHeight);
    if (delta != 0)
        for (TZVSourceRow* source : aSourceChildList)
            source->VShift(delta);
}

void TZVMixerRow::ListParam(std::list<TZVParamRow*>& pList) {
    TZVSourceRow::ListParam(pList);
    for (TZVSourceRow* source : aSourceChildList)
        source->ListParam(pList);
}

bool TZVMixerRow::ApplyOnVisible(IVisibleRowOperation& pOperation) const {
    const bool result = TZVSourceRow::ApplyOnVisible(pOperation);
    if (result && aIsSourceShown)
        for (const TZVSourceRow* source : aSourceChildList)
            source->ApplyOnVisible(pOperation);
    return result;
}

TZVBaseRow* TZVMixerRow::GetRow(int pY) {
    if (pY >= GetBottom())
        return nullptr;
    // The mixer's own part ends above its sources' blocks.
    if (pY < aTop + aHeight + aParamHeight)
        return TZVSourceRow::GetRow(pY);
    ZV_ASSERT(aIsSourceShown);
    for (TZVSourceRow* source : aSourceChildList)
        if (TZVBaseRow* row = source->GetRow(pY))
            return row;
    ZV_FAIL("false");
    return nullptr;
}

TZVBaseRow* TZVMixerRow::GetNextRow() const {
    if (TZVBaseRow* row = TZVStreamRow::GetNextRow())
        return row;
    if (aIsSourceShown && !aSourceChildList.empty())
        return aSourceChildList.front()->GetTopRow();
    return aParent ? aParent->GetRowAfterSource(this) : nullptr;
}

ERowKind TZVMixerRow::retrieveRowKind() const {
    return rowKindMIXER;
}

void TZVMixerRow::CreateChildren(const wxXmlNode*& pNode) {
    TZVSourceRow::CreateChildren(pNode);
    createSourceList(pNode);
    pNode = pNode->GetNext();
}

TZVBaseRow* TZVMixerRow::GetRow(const wxXmlNode* pStep) {
    if (!pStep || (pStep->GetName() != GetRowKindName(rowKindSOURCE) &&
                   pStep->GetName() != GetRowKindName(rowKindMIXER)))
        return TZVSourceRow::GetRow(pStep);
    const wxString path = pStep->GetAttribute(L"path", wxEmptyString);
    TZVSourceRow* source = findSource(path, nullptr);
    TZVBaseRow* row = source ? source->GetRow(pStep->GetNext()) : nullptr;
    if (!row)
        throw TError(wxGetTranslation(L"%s %s is not a source of %s"), pStep->GetName(), path,
                     aName);
    return row;
}

TZVBaseRow* TZVMixerRow::GetRowAfterParam() const {
    if (aIsSourceShown && !aSourceChildList.empty())
        return aSourceChildList.front()->GetTopRow();
    return TZVSourceRow::GetRowAfterParam();
}

void TZVMixerRow::ChildSourceGrow(TZVSourceRow* pSource, int pDelta, bool pFromSource) {
    ZV_ASSERT(aIsSourceShown);
    aSourceListHeight += pDelta;
    if (IsOwnSource(pSource)) {
        auto it = pSource->aListPos;
        if (!pFromSource)
            ++it;
        for (; it != aSourceChildList.end(); ++it)
            (*it)->VShift(pDelta);
    }
    if (aIsShown && aParent)
        aParent->ChildSourceGrow(this, pDelta, false);
}

void TZVMixerRow::RemoveSource(TZVSourceRow* pSource) {
    if (!pSource) {
        ZV_FAIL("pSource != __null");
        return;
    }
    if (!IsOwnSource(pSource))
        return;
    aSourceNames.Unfile(pSource);
    const auto next = aSourceChildList.erase(pSource->aListPos);
    pSource->aListPos = aSourceChildList.end();
    pSource->SetParent(nullptr, false);
    if (aIsSourceShown)
        ChildSourceGrow(next == aSourceChildList.end() ? nullptr : *next,
                        -pSource->GetSourceHeight(), true);
}

TZVBaseRow* TZVMixerRow::GetRowAfterSource(const TZVSourceRow* pSource) const {
    if (TZVSourceRow* next = GetNextSource(pSource); next && pSource)
        return next->GetTopRow();
    return aParent ? aParent->GetRowAfterSource(this) : nullptr;
}

void TZVMixerRow::InsertSource(TZVSourceRow* pSource, const TZVSourceRow* pBefore) {
    const auto before = IsOwnSource(pBefore) ? pBefore->aListPos : aSourceChildList.end();
    pSource->aListPos = aSourceChildList.insert(before, pSource);
    aSourceNames.File(pSource);
    pSource->SetStreamParent(this, aIsSourceShown);
    DeconflictSource(pSource);
    if (!aIsSourceShown)
        return;
    pSource->ShowAt(IsOwnSource(pBefore) ? pBefore->GetTopRow()->aTop : GetBottom());
    ChildSourceGrow(pSource, pSource->GetSourceHeight(), false);
}

bool TZVMixerRow::ApplyOperation(IStreamTreeOperation& pOperation) {
    // The root is the project, not a stream of its own.
    if (aParent && !TZVSourceRow::ApplyOperation(pOperation))
        return false;
    bool result = true;
    for (TZVSourceRow* source : aSourceChildList)
        result = source->ApplyOperation(pOperation) && result;
    return result;
}

void TZVMixerRow::ListSubStream(ISubStreamList& pList) {
    for (TZVSourceRow* source : aSourceChildList)
        pList.Add(source->aFilterChildList.empty() ? static_cast<TZVStreamRow*>(source)
                                                   : source->aFilterChildList.back());
}

void TZVMixerRow::ParamGrow(int pDelta) {
    if (!aIsShown)
        ZV_FAIL("IsShown()");
    if (aIsSourceShown)
        for (TZVSourceRow* source : aSourceChildList)
            source->VShift(pDelta);
    if (aParent)
        aParent->ChildSourceGrow(this, pDelta, false);
}

void TZVMixerRow::UpdateKeyList(TUpdateKeyParam& pParam) const {
    TZVSourceRow::UpdateKeyList(pParam);
    if (aIsSourceShown)
        UpdateSourceKeyList(pParam);
}

int TZVMixerRow::GetSourceHeight() const {
    return aHeight + aParamHeight + aSourceListHeight + aFilterListHeight;
}

int TZVMixerRow::GetMaxSourceLevel() const {
    int level = aLevel;
    for (const TZVSourceRow* source : aSourceChildList)
        level = std::max(level, source->GetMaxSourceLevel());
    return level;
}

bool TZVMixerRow::MayInsertSource(const TZVSourceRow* pBefore) const {
    if (!aSourceNamer)
        return true;
    if (GetSourceIndex(pBefore) < aSourceNamer->GetSourceCount())
        return false;
    return aSourceNamer->GetMaxSourceCount() > int(aSourceChildList.size());
}

bool TZVMixerRow::MayRemoveSource(const TZVSourceRow* pSource) const {
    return !aSourceNamer || aSourceNamer->GetSourceCount() <= GetSourceIndex(pSource);
}

void TZVMixerRow::DeconflictSource(TZVSourceRow* pSource) {
    aSourceNames.Deconflict(pSource);
}

TZVSourceRow* TZVMixerRow::GetNextSource(const TZVSourceRow* pSource) const {
    if (!pSource)
        return aSourceChildList.empty() ? nullptr : aSourceChildList.front();
    if (!IsOwnSource(pSource))
        return nullptr;
    const auto next = std::next(pSource->aListPos);
    return next == aSourceChildList.end() ? nullptr : *next;
}

TZVSourceRow* TZVMixerRow::GetPrevSource(const TZVSourceRow* pSource) const {
    if (!pSource)
        return aSourceChildList.empty() ? nullptr : aSourceChildList.back();
    if (!IsOwnSource(pSource) || pSource->aListPos == aSourceChildList.begin())
        return nullptr;
    return *std::prev(pSource->aListPos);
}

int TZVMixerRow::GetSourceIndex(const TZVSourceRow* pSource) const {
    if (!pSource)
        return int(aSourceChildList.size());
    if (!IsOwnSource(pSource))
        return -1;
    return int(std::distance(aSourceChildList.begin(),
                             std::list<TZVSourceRow*>::const_iterator(pSource->aListPos)));
}

TZVSourceRow* TZVMixerRow::findSource(const wxString& pName, const TZVSourceRow* pExcept) const {
    const std::vector<TZVStreamRow*>* bearers = aSourceNames.Find(pName);
    if (!bearers)
        return nullptr;
    // The name rule leaves a name to one source; a mixer that lifts it has list order decide.
    if (bearers->size() == 1)
        return bearers->front() != pExcept ? static_cast<TZVSourceRow*>(bearers->front()) : nullptr;
    for (TZVSourceRow* source : aSourceChildList)
        if (source != pExcept && source->aName == pName)
            return source;
    return nullptr;
}

void TZVMixerRow::RefileSource(TZVSourceRow* pSource) {
    if (IsOwnSource(pSource))
        aSourceNames.Refile(pSource);
}

void TZVMixerRow::CreateMinSource(const TSourceNamer* pNamer) {
    if (!ZV_ASSERT(pNamer != NULL))
        return;
    ZV_ASSERT(aSourceNamer == NULL);
    ZV_ASSERT(aSourceChildList.empty());
    aSourceNamer = pNamer;
    for (int i = 0; i < pNamer->GetSourceCount(); ++i)
        new TZVEmptySourceRow(pNamer->GetSourceName(i), this, nullptr);
}

void TZVMixerRow::ShowSource(bool pState) {
    ZV_ASSERT(aIsSourceShown != pState);
    aIsSourceShown = pState;
    if (aSourceChildList.empty())
        return;
    int delta = -aSourceListHeight;
    if (pState) {
        const int top = aTop + aHeight + aParamHeight;
        int y = top;
        for (TZVSourceRow* source : aSourceChildList) {
            source->ShowAt(y);
            y = source->GetBottom();
        }
        delta = y - top;
        aSourceListHeight = delta;
    } else {
        aSourceListHeight = 0;
        for (TZVSourceRow* source : aSourceChildList)
            source->Hide();
    }
    // While collapsed, the mixer counts its sources' keys.
    TUpdateKeyParam keys{this, !pState, false, false};
    UpdateSourceKeyList(keys);
    if (aIsShown && aParent)
        aParent->ChildSourceGrow(this, delta, false);
}

void TZVMixerRow::UpdateSourceKeyList(TUpdateKeyParam& pParam) const {
    for (const TZVSourceRow* source : aSourceChildList)
        source->UpdateKeyList(pParam);
}

void TZVMixerRow::createSourceList(const wxXmlNode* pNode) {
    if (!pNode || pNode->GetType() != wxXML_ELEMENT_NODE || pNode->GetName() != L"src-list")
        throw TError(wxGetTranslation(L"Source list missing for %s"), GetRowDesignation());
    long shown = 0;
    if (!ParseLong32(GetPropValue(pNode, L"shown"), shown) || (shown != 0 && shown != 1))
        throw TError(wxGetTranslation(L"Invalid source show value for %s"), GetRowDesignation());
    aIsSourceShown = shown != 0;
    for (const wxXmlNode* child = pNode->GetChildren(); child; child = child->GetNext()) {
        const wxXmlNode* element = child;
        TZVSourceRow::Create(element, this, nullptr);
    }
}

bool TZVMixerRow::IsOwnSource(const TZVSourceRow* pSource) const {
    return pSource && pSource->aParent == this;
}

template <>
const wchar_t* const TRowRegistry<TZVMixerRow>::theNoFactoryFormat =
    L"No factory is registered for TZVMixerRow subtype %ls";
template class TRowRegistry<TZVMixerRow>;

// Sequence edits.

bool TZVMixerRow::SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) {
    const bool result = TZVSourceRow::SplitJoinAt(pTime, pUndo, pSplit);
    if (result && pUndo)
        for (TZVSourceRow* source : aSourceChildList)
            source->SplitJoinAt(pTime, pUndo, pSplit);
    return result;
}

bool TZVMixerRow::BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree, TRangeList* pAll) {
    const bool result = TZVSourceRow::BeginShift(pRows, pFree, pAll);
    if (result)
        for (TZVSourceRow* source : aSourceChildList)
            source->BeginShift(pRows, pFree, pAll);
    return result;
}

bool TZVMixerRow::BeginResize(long pTime, bool pLeft, TRange& pLimits,
                              std::list<TZVStreamRow*>* pRows) {
    const bool result = TZVSourceRow::BeginResize(pTime, pLeft, pLimits, pRows);
    if (result && pRows)
        for (TZVSourceRow* source : aSourceChildList)
            source->BeginResize(pTime, pLeft, pLimits, pRows);
    return result;
}

void TZVMixerRow::DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                                 IUndoCompiler& pUndo) {
    TZVSourceRow::DeleteSequence(pSel, pDeleted, pUndo);
    if (pDeleted.empty())
        return;
    for (TZVSourceRow* source : aSourceChildList) {
        TRangeList scratch;
        source->DeleteSequence(pDeleted, scratch, pUndo);
    }
}
