#include "DLL/Row/FilterRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/SourceRow.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

TZVFilterRow::~TZVFilterRow() {
    destroy();
    if (aParent && !aIsDetached) {
        // destroy() took the filter's own keys out; this takes out those of its shown mask.
        TUpdateKeyParam keys{aParent, false, true, aIsShown};
        UpdateKeyList(keys);
        GetParentSource()->RemoveFilter(this);
    }
    if (aMask) {
        aMask->SetParent(nullptr, false);
        delete aMask;
    }
}

wxIcon* TZVFilterRow::GetRoleIcon() const {
    return GetFilterIcon();
}

wxXmlNode* TZVFilterRow::GetXmlImage() const {
    wxXmlNode* element = TZVStreamRow::GetXmlImage();
    wxXmlNode* mask = new wxXmlNode(wxXML_ELEMENT_NODE, L"mask");
    NSXml::AppendChild(element, mask);
    mask->AddAttribute(L"shown", FormatLong(aIsMaskShown));
    if (aMask)
        NSXml::AppendChild(mask, aMask->GetXmlImage());
    return element;
}

void TZVFilterRow::VShift(int pDelta) {
    TZVStreamRow::VShift(pDelta);
    if (aIsMaskShown && aMask)
        aMask->VShift(pDelta);
}

void TZVFilterRow::HShift(int pDelta) {
    if (pDelta == 0)
        return;
    TZVStreamRow::HShift(pDelta);
    if (aMask)
        aMask->HShift(pDelta);
}

void TZVFilterRow::ShowAt(int pTop) {
    if (aMaskHeight <= 0) {
        TZVStreamRow::ShowAt(pTop);
        return;
    }
    if (aIsMaskShown && aMask) {
        const int delta = pTop - aMask->GetTopRow()->aTop;
        if (delta != 0)
            aMask->VShift(delta);
    } else {
        ZV_FAIL("aIsMaskShown && (aMask!=__null)");
    }
    TZVStreamRow::ShowAt(pTop + aMaskHeight);
}

void TZVFilterRow::ListParam(std::list<TZVParamRow*>& pList) {
    TZVStreamRow::ListParam(pList);
    if (aMask)
        aMask->ListParam(pList);
}

bool TZVFilterRow::ApplyOnVisible(IVisibleRowOperation& pOperation) const {
    const bool result = TZVStreamRow::ApplyOnVisible(pOperation);
    if (result && aIsMaskShown && aMask)
        aMask->ApplyOnVisible(pOperation);
    return result;
}

TZVBaseRow* TZVFilterRow::GetRow(int pY) {
    if (pY >= aTop)
        return TZVStreamRow::GetRow(pY);
    ZV_ASSERT(aIsMaskShown);
    if (!aMask) {
        ZV_FAIL("aMask != __null");
        return nullptr;
    }
    TZVBaseRow* result = aMask->GetRow(pY);
    if (!result)
        ZV_FAIL("Result!=__null");
    return result;
}

TZVBaseRow* TZVFilterRow::GetNextRow() const {
    if (TZVBaseRow* row = TZVStreamRow::GetNextRow())
        return row;
    return GetRowAfter();
}

TZVBaseRow* TZVFilterRow::GetPrevModRow() const {
    return nullptr;
}

void TZVFilterRow::DeconflictName() {
    if (TZVSourceRow* source = GetParentSource())
        source->DeconflictFilter(this);
}

ERowKind TZVFilterRow::retrieveRowKind() const {
    return rowKindFILTER;
}

void TZVFilterRow::CreateChildren(const wxXmlNode*& pNode) {
    TZVStreamRow::CreateChildren(pNode);
    if (!pNode || pNode->GetType() != wxXML_ELEMENT_NODE || pNode->GetName() != L"mask")
        throw TError(wxGetTranslation(L"Mask data missing for %s"), GetRowDesignation());
    long shown = 0;
    if (!ParseLong32(GetPropValue(pNode, L"shown"), shown) || (shown != 0 && shown != 1))
        throw TError(wxGetTranslation(L"Invalid mask show value for %s"), GetRowDesignation());
    aIsMaskShown = shown != 0;
    // Only the first child is the mask; later ones are not read.
    if (const wxXmlNode* child = pNode->GetChildren())
        TZVSourceRow::Create(child, this, nullptr);
    pNode = pNode->GetNext();
}

void TZVFilterRow::AttachParent(TZVStreamRow* pParent, const TZVStreamRow* pBefore) {
    TZVSourceRow* Parent = dynamic_cast<TZVSourceRow*>(pParent);
    if (!ZV_ASSERT(Parent != NULL))
        return;
    Parent->InsertFilter(this, dynamic_cast<const TZVFilterRow*>(pBefore));
}

wxIcon* TZVFilterRow::GetSrcRoleIcon(const TZVSourceRow*) const {
    return GetMaskIcon();
}

TZVBaseRow* TZVFilterRow::GetRow(const wxXmlNode* pStep) {
    if (!pStep || pStep->GetName() == GetRowKindName(rowKindPARAM))
        return TZVStreamRow::GetRow(pStep);
    const wxString path = pStep->GetAttribute(L"path", wxEmptyString);
    TZVBaseRow* row = aMask && aMask->aName == path ? aMask->GetRow(pStep->GetNext()) : nullptr;
    if (!row)
        throw TError(wxGetTranslation(L"%s %s is not the mask of %s"), pStep->GetName(), path,
                     aName);
    return row;
}

TZVBaseRow* TZVFilterRow::GetRowAfterParam() const {
    const TZVSourceRow* source = GetParentSource();
    return source ? source->GetRowAfterFilter(aListPos) : nullptr;
}

TZVBaseRow* TZVFilterRow::GetTopRow() const {
    if (aIsMaskShown && aMask)
        return aMask->GetTopRow();
    return const_cast<TZVFilterRow*>(this);
}

TZVBaseRow* TZVFilterRow::GetRowAfter() const {
    return GetRowAfterParam();
}

TZVStreamRow* TZVFilterRow::GetNextSibling() {
    const TZVSourceRow* source = GetParentSource();
    return source ? source->GetNextFilter(this) : nullptr;
}

void TZVFilterRow::Detach() {
    TZVSourceRow* source = GetParentSource();
    if (!source)
        return;
    TUpdateKeyParam keys{source, false, true, aIsShown};
    UpdateKeyList(keys);
    source->RemoveFilter(this);
}

void TZVFilterRow::ChildSourceGrow(TZVSourceRow* pSource, int pDelta, bool) {
    if (pSource != aMask)
        ZV_FAIL("pSource==aMask");
    aMaskHeight += pDelta;
    if (aIsShown)
        TZVStreamRow::VShift(pDelta);
    if (TZVSourceRow* source = GetParentSource())
        source->FilterGrow(aListPos, pDelta);
}

void TZVFilterRow::RemoveSource(TZVSourceRow* pSource) {
    if (!aMask) {
        ZV_FAIL("aMask != __null");
        return;
    }
    if (!ZV_ASSERT(pSource == aMask))
        return;
    TZVSourceRow* mask = aMask;
    aMask = nullptr;
    mask->SetParent(nullptr, false);
    if (aIsMaskShown)
        ChildSourceGrow(nullptr, -mask->GetSourceHeight(), false);
}

TZVBaseRow* TZVFilterRow::GetRowAfterSource(const TZVSourceRow*) const {
    return const_cast<TZVFilterRow*>(this);
}

void TZVFilterRow::InsertSource(TZVSourceRow* pSource, const TZVSourceRow* pBefore) {
    // A second mask, or a place in front of the mask, is refused: the row stays unattached.
    if (pBefore) {
        ZV_FAIL("pBefore==__null");
        return;
    }
    if (aMask) {
        ZV_FAIL("aMask==__null");
        return;
    }
    aMask = pSource;
    pSource->SetStreamParent(this, aIsMaskShown);
    if (!aIsMaskShown)
        return;
    pSource->ShowAt(aTop);
    ChildSourceGrow(pSource, pSource->GetSourceHeight(), false);
}

bool TZVFilterRow::ApplyOperation(IStreamTreeOperation& pOperation) {
    const bool result = TZVStreamRow::ApplyOperation(pOperation);
    if (result && aMask)
        aMask->ApplyOperation(pOperation);
    return result;
}

void TZVFilterRow::ListSubStream(ISubStreamList& pList) {
    TZVSourceRow* source = GetParentSource();
    if (!source)
        return;
    TZVFilterRow* input = source->GetPrevFilter(this);
    pList.Add(input ? static_cast<TZVStreamRow*>(input) : source);
    if (aMask)
        pList.Add(aMask->aFilterChildList.empty() ? static_cast<TZVStreamRow*>(aMask)
                                                  : aMask->aFilterChildList.back());
}

void TZVFilterRow::ParamGrow(int pDelta) {
    if (!aIsShown)
        ZV_FAIL("IsShown()");
    if (TZVSourceRow* source = GetParentSource())
        source->FilterGrow(aListPos, pDelta);
}

void TZVFilterRow::UpdateKeyList(TUpdateKeyParam& pParam) const {
    TZVStreamRow::UpdateKeyList(pParam);
    if (aIsMaskShown && aMask)
        aMask->UpdateKeyList(pParam);
}

TZVFilterRow* TZVFilterRow::CreateAllChildren(const wxXmlNode* pElement) {
    return ReadChildrenOrDelete(this, pElement);
}

void TZVFilterRow::ShowMask(bool pState) {
    ZV_ASSERT(aIsMaskShown != pState);
    aIsMaskShown = pState;
    if (!aMask)
        return;
    int delta = -aMaskHeight;
    if (pState) {
        aMask->ShowAt(aTop);
        delta = aMask->GetBottom() - aTop;
    } else {
        aMask->Hide();
    }
    // While collapsed, the filter counts its mask's keys.
    TUpdateKeyParam keys{this, !pState, false, false};
    aMask->UpdateKeyList(keys);
    ChildSourceGrow(aMask, delta, false);
}

TZVSourceRow* TZVFilterRow::GetParentSource() const {
    // Only a source's InsertFilter links a filter.
    return static_cast<TZVSourceRow*>(aParent);
}

bool TZVFilterRow::isParentShowFilter(const TZVSourceRow* pParent) {
    return pParent && pParent->aIsFilterShown;
}

template <>
const wchar_t* const TRowRegistry<TZVFilterRow>::theNoFactoryFormat =
    L"No factory is registered for TZVFilterRow subtype %ls";
template class TRowRegistry<TZVFilterRow>;

TZVAudioFilterRow::~TZVAudioFilterRow() = default;

bool TZVAudioFilterRow::AllowMask() const {
    return false;
}

TZVVideoFilterRow::~TZVVideoFilterRow() = default;

bool TZVVideoFilterRow::AllowMask() const {
    return true;
}

// Sequence edits.

bool TZVFilterRow::SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) {
    const bool result = TZVStreamRow::SplitJoinAt(pTime, pUndo, pSplit);
    if (pUndo && aMask)
        aMask->SplitJoinAt(pTime, pUndo, pSplit);
    return result;
}

bool TZVFilterRow::BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree,
                              TRangeList* pAll) {
    const bool result = TZVStreamRow::BeginShift(pRows, pFree, pAll);
    if (result && aMask)
        aMask->BeginShift(pRows, pFree, pAll);
    return result;
}

bool TZVFilterRow::BeginResize(long pTime, bool pLeft, TRange& pLimits,
                               std::list<TZVStreamRow*>* pRows) {
    const bool result = TZVStreamRow::BeginResize(pTime, pLeft, pLimits, pRows);
    if (result && pRows && aMask)
        aMask->BeginResize(pTime, pLeft, pLimits, pRows);
    return result;
}

void TZVFilterRow::DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                                  IUndoCompiler& pUndo) {
    TZVStreamRow::DeleteSequence(pSel, pDeleted, pUndo);
    if (pDeleted.empty() || !aMask)
        return;
    TRangeList scratch;
    aMask->DeleteSequence(pDeleted, scratch, pUndo);
}
