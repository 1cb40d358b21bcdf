#include "HostUndo.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Range.h"
#include "ALL/XmlTree.h"
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

// Strings, not literals: a literal compared to a node's name is made a string each time.
const wxString PARAM_CHILD = L"param";
const wxString STREAM_CHILD = L"stream";
const wxString PATH = L"p";
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

bool SameNode(const wxXmlNode& pA, const wxXmlNode& pB) {
    if (pA.GetType() != pB.GetType() || pA.GetName() != pB.GetName())
        return false;
    const wxXmlAttribute* a = pA.GetAttributes();
    const wxXmlAttribute* b = pB.GetAttributes();
    for (; a && b; a = a->GetNext(), b = b->GetNext())
        if (a->GetName() != b->GetName() || a->GetValue() != b->GetValue())
            return false;
    return !a && !b;
}

// Resolves the paths of one record. A record names a stream row just before the rows under
// it, so most paths are one resolved before with a step added: the row found for that one
// resolves the last step alone, as the whole path would have reached it.
class TPathResolver {
public:
    TZVBaseRow* Resolve(std::unique_ptr<wxXmlNode> pPath) {
        size_t count = 0;
        const wxXmlNode* last = nullptr;
        for (const wxXmlNode* step = pPath->GetChildren(); step; step = step->GetNext()) {
            ++count;
            last = step;
        }
        TZVBaseRow* row = last && IsKnownPrefix(*pPath, count - 1)
                              ? aKnown[count - 1].second->GetRow(last)
                              : TZVBaseRow::GetRowFromPath(pPath.get(), nullptr);
        if (row && row->aRowKind != rowKindPARAM) {
            if (aKnown.size() <= count)
                aKnown.resize(count + 1);
            aKnown[count] = {std::move(pPath), static_cast<TZVStreamRow*>(row)};
        }
        return row;
    }

private:
    // True when the path known with pCount steps is pPath's first pCount steps.
    bool IsKnownPrefix(const wxXmlNode& pPath, size_t pCount) const {
        if (pCount >= aKnown.size() || !aKnown[pCount].first)
            return false;
        const wxXmlNode* step = pPath.GetChildren();
        for (const wxXmlNode* known = aKnown[pCount].first->GetChildren(); known;
             known = known->GetNext(), step = step->GetNext())
            if (!SameNode(*known, *step))
                return false;
        return true;
    }

    // By number of steps: the last path resolved to a stream row, and the row.
    std::vector<std::pair<std::unique_ptr<wxXmlNode>, TZVStreamRow*>> aKnown;
};

} // namespace

THostUndo::THostUndo(TUndoBuffer& pBuffer) : aBuffer(pBuffer) {}

THostUndo::~THostUndo() = default;

void THostUndo::BeginAction(EUndoAction pAction, const wxString& pInfo) {
    aBuffer.StartAction(this);
    aAction = pAction;
    aInfo = pInfo;
    aScaled = pAction == undoActionSCALE;
    aRecord.reset(new wxXmlNode(wxXML_ELEMENT_NODE, L"undo"));
    aLast = nullptr;
}

void THostUndo::AddToRecord(wxXmlNode* pChild) {
    if (!ZV_ASSERT(aRecord)) {
        delete pChild;
        return;
    }
    // After the last child: AddChild walks every child, quadratic over a tree-wide edit.
    NSXml::InsertChildAfter(aRecord.get(), pChild, aLast);
    aLast = pChild;
}

void THostUndo::AddStreamRow(TZVStreamRow* pRow) {
    if (wxXmlNode* child = TakeStreamImage(*pRow, aScaled, nullptr))
        AddToRecord(child);
}

void THostUndo::AddParamRow(TZVParamRow* pRow) {
    if (wxXmlNode* child = TakeParamImage(*pRow, nullptr))
        AddToRecord(child);
}

void THostUndo::AddSetup(wxXmlNode* pRecord) {
    if (pRecord)
        AddToRecord(pRecord);
}

void THostUndo::DropRecord() {
    aRecord.reset();
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

wxXmlNode* THostUndo::MakeChild(const wxString& pName, TZVBaseRow& pRow, wxXmlNode* pImage,
                                std::unique_ptr<wxXmlNode> pPath) {
    wxXmlNode* child = new wxXmlNode(wxXML_ELEMENT_NODE, pName);
    if (pPath)
        child->AddChild(pPath.get());
    wxXmlNode* path = pPath ? pPath.release() : pRow.GetPath(child);
    path->SetNext(pImage);
    return child;
}

wxXmlNode* THostUndo::TakeParamImage(TZVParamRow& pRow, std::unique_ptr<wxXmlNode> pPath) {
    std::unique_ptr<wxXmlNode> image(new wxXmlNode(wxXML_ELEMENT_NODE, IMAGE));
    pRow.MakeUndoImage(image.get());
    const wxXmlNode* first = image->GetChildren();
    if (!first)
        return nullptr;
    if (first->GetType() == wxXML_TEXT_NODE)
        image->AddAttribute(FORMULA_MARK, L"1");
    return MakeChild(PARAM_CHILD, pRow, image.release(), std::move(pPath));
}

wxXmlNode* THostUndo::TakeStreamImage(TZVStreamRow& pRow, bool pScaled,
                                      std::unique_ptr<wxXmlNode> pPath) {
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
    return MakeChild(STREAM_CHILD, pRow, list, std::move(pPath));
}

bool THostUndo::ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool) {
    TXmlUndoData* record = static_cast<TXmlUndoData*>(pData);
    const uint8_t* const payload = record->GetPayload();
    const size_t size = record->GetPayloadSize();
    const TBinaryStreamToXmlNode reader(payload, size);
    EMarkerKind first = markerNONE;
    const std::unique_ptr<wxXmlNode> root(
        reader.getNextMarker() == markerNODE ? reader.getNodeHead(first) : nullptr);
    TResolved rows;
    if (!root || reader.IsEndOfData() || !Resolve(reader, first, rows))
        return false;
    // The opposite is written child by child as they come, never whole: a record of every
    // row of a large project then stays within the cache. Its images are about as large as
    // the record's, which saves growing it.
    TXmlNodeToBinaryStream opposite(record->GetLength() + record->GetLength() / 2);
    wxXmlNode head(wxXML_ELEMENT_NODE, root->GetName());
    TXmlUndoData::SetInfo(&head, TXmlUndoData::GetInfo(root.get()));
    opposite.BeginElement(&head);
    // Applied last to first; the opposites in the order applied, so that the next
    // application goes the other way. Each child is read again just before it is applied:
    // the tree whole would be built far from the cache and walked twice.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const TBinaryStreamToXmlNode childReader(payload + it->first, size - it->first);
        std::unique_ptr<wxXmlNode> child(childReader.getNodeContent(false));
        const std::unique_ptr<wxXmlNode> applied(ApplyChild(std::move(child), it->second));
        opposite.convertNode(applied.get());
    }
    opposite.EndElement();
    // False when the opposite no longer fits: it has been applied back, nothing changed.
    return TXmlUndoData::RewriteRecord(this, pBuffer, record->aAction, opposite, pData, true);
}

wxString THostUndo::UndoAction(TUndoData* pData, bool pRedo) {
    const std::unique_ptr<wxXmlNode> root(static_cast<TXmlUndoData*>(pData)->GetRoot());
    const wxString info = root ? TXmlUndoData::GetInfo(root.get()) : wxString();
    return info.empty() ? TUndoer::UndoAction(pData, pRedo) : info;
}

bool THostUndo::Resolve(const TBinaryStreamToXmlNode& pReader, EMarkerKind pFirst,
                        TResolved& pRows) {
    TPathResolver resolver;
    for (EMarkerKind marker = pFirst; marker != markerEND; marker = pReader.getNextMarker()) {
        // Only elements name rows: anything else, or a record cut short, is damage.
        if (marker != markerNODE)
            return false;
        const size_t offset = pReader.GetOffset();
        // Only the child's head and path are built: its image is read when it is applied.
        EMarkerKind next = markerNONE;
        const std::unique_ptr<wxXmlNode> child(pReader.getNodeHead(next));
        std::unique_ptr<wxXmlNode> path(
            next == markerNODE && !pReader.IsEndOfData() ? pReader.getNodeContent(false) : nullptr);
        if (!path || pReader.IsEndOfData() || path->GetName() != PATH)
            return false;
        // The image follows the path.
        const EMarkerKind image = pReader.getNextMarker();
        if (image == markerEND || !pReader.SkipChildren(image))
            return false;
        TZVBaseRow* row = nullptr;
        try {
            row = resolver.Resolve(std::move(path));
        } catch (const TError&) {
            row = nullptr;
        }
        const bool param = child->GetName() == PARAM_CHILD;
        if (!row || param != (row->aRowKind == rowKindPARAM))
            return false;
        pRows.emplace_back(offset, row);
    }
    return true;
}

wxXmlNode* THostUndo::ApplyChild(std::unique_ptr<wxXmlNode> pChild, TZVBaseRow* pRow) {
    if (pChild->GetName() == PARAM_CHILD)
        return ApplyParam(*pChild, *static_cast<TZVParamRow*>(pRow));
    TZVStreamRow& stream = *static_cast<TZVStreamRow*>(pRow);
    if (pChild->GetName() == STREAM_CHILD)
        return ApplyStream(*pChild, stream);
    // Else the "r" of a setup edit, kept as the row gave it.
    return ApplySetup(pChild.release(), stream);
}

std::unique_ptr<wxXmlNode> THostUndo::TakePath(wxXmlNode& pChild) {
    wxXmlNode* path = const_cast<wxXmlNode*>(FindElement(pChild, PATH));
    pChild.RemoveChild(path);
    return std::unique_ptr<wxXmlNode>(path);
}

wxXmlNode* THostUndo::ApplyParam(wxXmlNode& pChild, TZVParamRow& pRow) {
    const wxXmlNode& image = *ImageOf(pChild);
    if (!ApplyParamImage(pRow, image, image.HasAttribute(FORMULA_MARK)))
        return nullptr;
    // ApplyUndo leaves the listeners to the host.
    pRow.notifyListenersParamChanged();
    return TakeParamImage(pRow, TakePath(pChild));
}

wxXmlNode* THostUndo::ApplyStream(wxXmlNode& pChild, TZVStreamRow& pRow) {
    TRange span;
    if (!ReplaySequence(pRow, *ImageOf(pChild), span))
        return nullptr;
    wxXmlNode* opposite = TakeStreamImage(pRow, false, TakePath(pChild));
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
