#include "DLL/Row/BaseRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Ctl/RasterHelper.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/StreamRow.h"

#include <wx/dc.h>
#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <cstdint>

TZVBaseRow::TSelListener TZVBaseRow::theSelListener = nullptr;

namespace {

// Level of a child over its parent's, by parent kind (filter, source, mixer) and child kind;
// 0 marks a pair that may not be linked.
const int theLevelOffset[3][4] = {{2, 0, 1, 1}, {2, 1, 0, 0}, {3, 2, 1, 1}};

} // namespace

TZVBaseRow::TZVBaseRow()
    : aIsDetached(true), aIsShown(false), aTop(0), aParent(nullptr), aRowKind(rowKindPARAM),
      aLevel(0), aHeight(24), aRenderKey(0), aNameWidth{-1, -1} {}

TZVBaseRow::~TZVBaseRow() {
    if (theSelListener)
        theSelListener(this);
}

TZVBaseRow* TZVBaseRow::GetRowAt(int pY) {
    if (pY < 0 || !IZVProject::theCurrentProject)
        return nullptr;
    TZVStreamRow* root = IZVProject::theCurrentProject->GetRootRow();
    return root ? root->GetRow(pY) : nullptr;
}

void TZVBaseRow::MarkKeyAt(int) const {}

int TZVBaseRow::GetBottom() const {
    return aTop + aHeight;
}

void TZVBaseRow::Hide() {
    aIsShown = false;
}

wxXmlNode* TZVBaseRow::GetXmlImage() const {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, GetRowKindName(aRowKind));
    element->AddAttribute(L"type", GetSubType());
    element->AddAttribute(L"name", aName);
    return element;
}

void TZVBaseRow::VShift(int pDelta) {
    aTop += pDelta;
}

void TZVBaseRow::HShift(int pDelta) {
    aLevel += pDelta;
}

void TZVBaseRow::ShowAt(int pTop) {
    aIsShown = true;
    aTop = pTop;
}

bool TZVBaseRow::ApplyOnVisible(IVisibleRowOperation& pOperation) const {
    return pOperation.Apply(this);
}

TZVBaseRow* TZVBaseRow::GetRow(int pY) {
    return pY < aTop + aHeight ? this : nullptr;
}

void TZVBaseRow::DrawRowSeq(const TZVSeqRect& pRect, int pStep) const {
    wxDC& dc = *pRect.aDC;
    const TRasterHelper raster(dc);
    const int visibleWidth = pRect.aVisibleEndX - pRect.aVisibleBeginX;
    if (visibleWidth > 0) {
        // The fill's outline is in whatever pen the DC holds.
        dc.SetBrush(*GetSeqBrush());
        raster.DrawRectangle(pRect.aVisibleBeginX, pRect.aTop + 1, visibleWidth, aHeight - 7);
        dc.SetPen(*GetSeqBorderPen());
        raster.DrawLine(pRect.aVisibleBeginX, pRect.aBottom, pRect.aVisibleEndX, pRect.aBottom);
        dc.SetPen(*GetWhitePen());
        raster.DrawLine(pRect.aVisibleBeginX, pRect.aTop, pRect.aVisibleEndX, pRect.aTop);
        // A negative step would never reach the end.
        if (pStep > 0) {
            dc.SetPen(*GetSeqTickPen());
            const int64_t start =
                std::max<int64_t>(int64_t(pRect.aBeginX) + pStep, pRect.aLeftLimit);
            for (int64_t x = (start + pStep - 1) & -int64_t(pStep); x < pRect.aVisibleEndX;
                 x += pStep)
                raster.DrawLine(int(x), pRect.aTop + 2, int(x), pRect.aBottom - 1);
        }
    }
    if (pRect.aEndX <= pRect.aRightLimit) {
        dc.SetPen(*GetSeqBorderPen());
        raster.DrawLine(pRect.aEndX - 1, pRect.aTop + 1, pRect.aEndX - 1, pRect.aBottom);
    }
    if (int64_t(pRect.aEndX) - pRect.aBeginX > 1 && pRect.aLeftLimit <= pRect.aBeginX) {
        dc.SetPen(*GetWhitePen());
        raster.DrawLine(pRect.aBeginX, pRect.aTop + 1, pRect.aBeginX, pRect.aBottom);
    }
}

void TZVBaseRow::setHeight(int pHeight) {
    aHeight = pHeight;
}

void TZVBaseRow::SetParent(TZVStreamRow* pParent, bool pShown) {
    // A parameter row (or a kind out of range) has no row in the offset table.
    if (pParent && !(pParent->aRowKind > rowKindPARAM && pParent->aRowKind <= rowKindMIXER)) {
        ZV_FAIL("pParent->aRowKind > rowKindPARAM");
        return;
    }
    aIsShown = pShown;
    aIsDetached = pParent == nullptr;
    if (!pParent) {
        ZV_ASSERT((pParent != NULL) || (aParent != NULL));
        aParent = nullptr;
        return;
    }
    const int offset = theLevelOffset[pParent->aRowKind - 1][aRowKind];
    if (offset == 0)
        ZV_FAIL("Offset!=0");
    const int delta = pParent->aLevel + offset - aLevel;
    if (delta != 0)
        HShift(delta);
    aParent = pParent;
}

void TZVBaseRow::SetRootRow() {
    ZV_ASSERT(aHeight == 0);
    ZV_ASSERT(aIsDetached);
    if (aParent)
        ZV_FAIL("aParent==__null");
    ZV_ASSERT(aIsShown);
    ZV_ASSERT(aTop == 0);
    if (!aName.empty())
        ZV_FAIL("aName==wxEmptyString");
    aLevel = -1;
}

wxString TZVBaseRow::Rename(const wxString& pName) {
    wxString old = aName;
    if (&pName != &aName)
        aName = pName;
    DeconflictName();
    aNameWidth[0] = aNameWidth[1] = -1;
    return old;
}

void TZVBaseRow::SetProperties(const wxXmlNode* pElement) {
    aName = GetPropValue(pElement, L"name");
    DeconflictName();
    aNameWidth[0] = aNameWidth[1] = -1;
}

wxString TZVBaseRow::GetPropValue(const wxXmlNode* pElement, const wxString& pName) const {
    wxString value;
    if (!pElement->GetAttribute(pName, &value))
        throw TError(wxGetTranslation(L"The property %ls does not exist for %ls"), pName,
                     GetRowDesignation());
    return value;
}

long TZVBaseRow::GetPropIntValue(const wxXmlNode* pElement, const wxString& pName) const {
    long value;
    // A TError, so that the cleanups of half-read rows catch it.
    if (!ParseLong32(GetPropValue(pElement, pName), value))
        throw TError(wxGetTranslation(L"Invalid Integer value for %ls of %ls"), pName,
                     GetRowDesignation());
    return value;
}

wxString TZVBaseRow::GetRowDesignation() const {
    wxString designation =
        wxString::Format(L"%ls %ls %ls", GetRowTransName(aRowKind), GetSubType(), aName);
    if (aParent)
        designation += wxString::Format(L" of %ls %ls", aParent->GetSubType(), aParent->aName);
    return designation;
}

wxString TZVBaseRow::GetRowFullName() const {
    return wxString::Format(L"%ls %ls", wxGetTranslation(GetRowTransName(aRowKind)),
                            wxGetTranslation(aName));
}

bool TZVBaseRow::IsAncestorOf(const TZVBaseRow* pRow) const {
    for (const TZVBaseRow* row = pRow->aParent; row; row = row->aParent)
        if (row == this)
            return true;
    return false;
}

bool TZVBaseRow::IsActuallyShown() const {
    for (const TZVBaseRow* row = this; row && row->aLevel > 0; row = row->aParent)
        if (!row->aIsShown)
            return false;
    return true;
}

void TZVBaseRow::SetNameWidth(bool pFlag, const wxDC& pDC) const {
    if (aNameWidth[pFlag] < 0)
        aNameWidth[pFlag] = pDC.GetTextExtent(aName).GetWidth();
}

const wxString& TZVBaseRow::GetRowKindName(ERowKind pKind) {
    static const wxString theNames[] = {L"param", L"filter", L"source", L"mixer"};
    return theNames[pKind];
}

const wxString& TZVBaseRow::GetRowTransName(ERowKind pKind) {
    static const wxString theNames[] = {L"Param.", L"Filter", L"Source", L"Mixer"};
    return theNames[pKind];
}

void TZVBaseRow::AppendChild(wxXmlNode* pChild, wxXmlNode* pParent) {
    NSXml::AppendChild(pParent, pChild);
}

void TZVBaseRow::BuildPath(wxXmlNode* pNode) const {
    for (const TZVBaseRow* row = this; row->aParent; row = row->aParent)
        row->BuildPathStep(pNode, nullptr);
}

wxXmlNode* TZVBaseRow::CreatePath(const TZVBaseRow* pRow) {
    wxXmlNode* path = new wxXmlNode(wxXML_ELEMENT_NODE, L"p");
    pRow->BuildPath(path);
    return path;
}

wxXmlNode* TZVBaseRow::GetPath(wxXmlNode* pNode) const {
    wxXmlNode* path = new wxXmlNode(wxXML_ELEMENT_NODE, L"p");
    NSXml::PrependChild(pNode, path);
    BuildPath(path);
    return path;
}

wxXmlNode* TZVBaseRow::AddPathNode(const wxString& pKind, const wxString& pPath, wxXmlNode* pParent,
                                   wxXmlNode* pSibling) {
    wxXmlNode* step = new wxXmlNode(wxXML_ELEMENT_NODE, pKind);
    step->AddAttribute(L"path", pPath);
    NSXml::InsertChildAfter(pParent, step, pSibling);
    return step;
}

wxXmlNode* TZVBaseRow::BuildPathStep(wxXmlNode* pParent, wxXmlNode* pSibling) const {
    return AddPathNode(GetRowKindName(aRowKind), GetPathValue(), pParent, pSibling);
}

TZVBaseRow* TZVBaseRow::GetRowFromPath(const wxXmlNode* pPath, TZVStreamRow* pStart) {
    if (!pStart && IZVProject::theCurrentProject)
        pStart = IZVProject::theCurrentProject->GetRootRow();
    return pStart ? pStart->GetRow(pPath->GetChildren()) : nullptr;
}

wxString TZVBaseRow::GetPathValue() const {
    if (aRowKind == rowKindPARAM)
        return FormatLong(long(static_cast<const TZVParamRow*>(this)->aIndex) + 1);
    return aName;
}

void TZVBaseRow::setRowKind() {
    aRowKind = retrieveRowKind();
}
