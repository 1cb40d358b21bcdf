#include "HostUndo.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Range.h"
#include "DLL/Bas/ABCFormulaSortList.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Edt/XmlUndoData.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/xml/xml.h>

#include <algorithm>

namespace {

const wchar_t* const PARAM_CHILD = L"param";
const wchar_t* const STREAM_CHILD = L"stream";
const wchar_t* const PATH = L"p";
const wchar_t* const IMAGE = L"v";
// Marks a formula image: an empty text leaves no node in a stored record, yet restores a
// formula.
const wchar_t* const FORMULA_MARK = L"f";

const wxXmlNode* FindElement(const wxXmlNode& pParent, const wxString& pName) {
    for (const wxXmlNode* child = pParent.GetChildren(); child; child = child->GetNext())
        if (child->GetType() == wxXML_ELEMENT_NODE && child->GetName() == pName)
            return child;
    return nullptr;
}

// The image element of a child: the one after the path.
const wxXmlNode* ImageOf(const wxXmlNode& pChild) {
    const wxXmlNode* path = FindElement(pChild, PATH);
    return path ? path->GetNext() : nullptr;
}

} // namespace

THostUndo::THostUndo(TUndoBuffer& pBuffer) : aBuffer(pBuffer) {}

THostUndo::~THostUndo() = default;

void THostUndo::BeginAction(EUndoAction pAction, const wxString& pInfo) {
    aBuffer.StartAction(this);
    aAction = pAction;
    aInfo = pInfo;
    aScaled = pAction == undoActionSCALE;
    aRecord.reset(new wxXmlNode(wxXML_ELEMENT_NODE, L"undo"));
}

void THostUndo::AddToRecord(wxXmlNode* pChild) {
    if (ZV_ASSERT(aRecord))
        aRecord->AddChild(pChild);
    else
        delete pChild;
}

void THostUndo::AddStreamRow(TZVStreamRow* pRow) {
    if (wxXmlNode* child = TakeStreamImage(*pRow, aScaled))
        AddToRecord(child);
}

void THostUndo::AddParamRow(TZVParamRow* pRow) {
    if (wxXmlNode* child = TakeParamImage(*pRow))
        AddToRecord(child);
}

void THostUndo::AddSetup(wxXmlNode* pRecord) {
    if (pRecord)
        AddToRecord(pRecord);
}

void THostUndo::CompleteAction(TUndoBuffer* pBuffer) {
    std::unique_ptr<wxXmlNode> record(std::move(aRecord));
    aStored = false;
    if (!record || !record->GetChildren())
        return;
    try {
        TXmlUndoData::RecordAndFreeUndoData(this, pBuffer, aAction, false, record.get(),
                                            aInfo.wc_str(), nullptr, false);
        record.release();
        aStored = true;
    } catch (const TError&) {
        // An edit that cannot be undone is not made: its record, applied, takes it back.
        if (TXmlUndoData* data = TXmlUndoData::Create(this, aAction, record.get(), false)) {
            TUndoBuffer::Recover(*data);
            TXmlUndoData::Release(data);
        }
        throw;
    }
}

wxXmlNode* THostUndo::TakeParamImage(TZVParamRow& pRow) {
    std::unique_ptr<wxXmlNode> image(new wxXmlNode(wxXML_ELEMENT_NODE, IMAGE));
    pRow.MakeUndoImage(image.get());
    const wxXmlNode* first = image->GetChildren();
    if (!first)
        return nullptr;
    if (first->GetType() == wxXML_TEXT_NODE)
        image->AddAttribute(FORMULA_MARK, L"1");
    wxXmlNode* child = new wxXmlNode(wxXML_ELEMENT_NODE, PARAM_CHILD);
    pRow.GetPath(child)->SetNext(image.release());
    return child;
}

wxXmlNode* THostUndo::TakeStreamImage(TZVStreamRow& pRow, bool pScaled) {
    wxXmlNode* list = pRow.MakeUndoList();
    if (!list)
        return nullptr;
    // A scaled row's list starts with one (b, b + 1) per sequence it has now, which
    // SetSequence would read as sequences to shorten: they are marks.
    size_t marks = pScaled ? pRow.aSequenceList.size() : 0;
    for (wxXmlNode* range = list->GetChildren(); range && marks > 0; range = range->GetNext()) {
        if (range->GetType() != wxXML_ELEMENT_NODE)
            continue;
        range->DeleteAttribute(L"end");
        range->AddAttribute(L"end", range->GetAttribute(L"begin"));
        --marks;
    }
    wxXmlNode* child = new wxXmlNode(wxXML_ELEMENT_NODE, STREAM_CHILD);
    pRow.GetPath(child)->SetNext(list);
    return child;
}

bool THostUndo::ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool) {
    TXmlUndoData* record = static_cast<TXmlUndoData*>(pData);
    const std::unique_ptr<wxXmlNode> tree(record->GetTree());
    TResolved rows;
    if (!tree || !Resolve(*tree, rows))
        return false;
    // Applied last to first; the opposites in the order applied, so that the next
    // application goes the other way.
    wxXmlNode* opposite = new wxXmlNode(wxXML_ELEMENT_NODE, tree->GetName());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (wxXmlNode* child = ApplyChild(it->first, it->second))
            opposite->AddChild(child);
    const wxString info = TXmlUndoData::GetInfo(tree.get());
    // False when the opposite no longer fits: it has been applied back, nothing changed.
    return TXmlUndoData::RecordAndFreeUndoData(this, pBuffer, record->aAction, false, opposite,
                                               info.wc_str(), pData, true);
}

wxString THostUndo::UndoAction(TUndoData* pData, bool pRedo) {
    const std::unique_ptr<wxXmlNode> root(static_cast<TXmlUndoData*>(pData)->GetRoot());
    const wxString info = root ? TXmlUndoData::GetInfo(root.get()) : wxString();
    return info.empty() ? TUndoer::UndoAction(pData, pRedo) : info;
}

bool THostUndo::Resolve(const wxXmlNode& pTree, TResolved& pRows) {
    for (wxXmlNode* child = pTree.GetChildren(); child; child = child->GetNext()) {
        const wxXmlNode* path = FindElement(*child, PATH);
        TZVBaseRow* row = nullptr;
        try {
            row = path && ImageOf(*child) ? TZVBaseRow::GetRowFromPath(path, nullptr) : nullptr;
        } catch (const TError&) {
            return false;
        }
        const bool param = child->GetName() == PARAM_CHILD;
        if (!row || param != (row->aRowKind == rowKindPARAM))
            return false;
        pRows.emplace_back(child, row);
    }
    return true;
}

wxXmlNode* THostUndo::ApplyChild(wxXmlNode* pChild, TZVBaseRow* pRow) {
    if (pChild->GetName() == PARAM_CHILD)
        return ApplyParam(*pChild, *static_cast<TZVParamRow*>(pRow));
    TZVStreamRow& stream = *static_cast<TZVStreamRow*>(pRow);
    if (pChild->GetName() == STREAM_CHILD)
        return ApplyStream(*pChild, stream);
    // Else the "r" of a setup edit, kept as the row gave it.
    return ApplySetup(pChild, stream);
}

wxXmlNode* THostUndo::ApplyParam(const wxXmlNode& pChild, TZVParamRow& pRow) {
    const wxXmlNode& image = *ImageOf(pChild);
    if (!ApplyParamImage(pRow, image, image.HasAttribute(FORMULA_MARK)))
        return nullptr;
    // ApplyUndo leaves the listeners to the host.
    pRow.notifyListenersParamChanged();
    return TakeParamImage(pRow);
}

wxXmlNode* THostUndo::ApplyStream(const wxXmlNode& pChild, TZVStreamRow& pRow) {
    TRange span;
    if (!ReplaySequence(pRow, *ImageOf(pChild), span))
        return nullptr;
    wxXmlNode* opposite = TakeStreamImage(pRow, false);
    pRow.notifySeqChange();
    IEditorListener::OnStreamSeqEdit(&pRow, span);
    return opposite;
}

wxXmlNode* THostUndo::ApplySetup(wxXmlNode* pChild, TZVStreamRow& pRow) {
    const wxXmlNode* path = FindElement(*pChild, PATH);
    long index = -1;
    path->GetAttribute(L"i").ToLong(&index);
    // The inner "r" takes the replaced value: the child becomes its own opposite.
    wxXmlNode* value = const_cast<wxXmlNode*>(ImageOf(*pChild));
    if (pRow.UndoSetup(int(index), value))
        pRow.OnSetupUpdate(int(index));
    pChild->GetParent()->RemoveChild(pChild);
    return pChild;
}

bool THostUndo::ApplyParamImage(TZVParamRow& pRow, const wxXmlNode& pImage, bool pFormula) {
    if (pFormula) {
        TZVFormula* formula = new TZVFormula(&pRow);
        // A text that does not read or bind is kept as it stands, as the row had it.
        if (formula->ValueFromXml(&pImage, pRow.aTypeDef))
            formula->Resolve();
        pRow.ApplyUndo(formula);
        return true;
    }
    TABCFormulaList keys;
    if (!keys.ValueFromXml(&pImage, pRow.aTypeDef))
        return false;
    pRow.ApplyUndo(keys, true);
    return true;
}

bool THostUndo::ReplaySequence(TZVStreamRow& pRow, const wxXmlNode& pRecord, TRange& pSpan) {
    TRangeList ranges;
    if (!ranges.ValueFromXml(&pRecord) || ranges.empty())
        return false;
    pSpan = ranges.front();
    for (const TRange& range : ranges) {
        pSpan.aBegin = std::min(pSpan.aBegin, range.aBegin);
        pSpan.aEnd = std::max(pSpan.aEnd, range.aEnd);
        pRow.SetSequence(range);
    }
    return true;
}
