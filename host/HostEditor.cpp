#include "HostEditor.h"

#include "ALL/Error.h"
#include "ALL/Range.h"
#include "ALL/Variant.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamFactory.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/SuperParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "Host.h"

#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <list>
#include <memory>
#include <utility>
#include <vector>

namespace {

// pAction on every stream row of pRow's subtree, pRow included, while it answers true; false
// when it did not. The root is walked too, though ApplyOperation leaves it out.
template <class TAction>
bool EveryRow(TZVStreamRow& pRow, TAction pAction) {
    class TWalk : public TZVStreamRow::IStreamTreeOperation {
    public:
        explicit TWalk(TAction& pDo) : aDo(pDo) {}
        bool Apply(TZVStreamRow* pRow) override {
            aDone = aDone && aDo(*pRow);
            return aDone;
        }
        TAction& aDo;
        bool aDone = true;
    } walk(pAction);
    if (!pRow.aParent)
        walk.Apply(&pRow);
    pRow.ApplyOperation(walk);
    return walk.aDone;
}

// Inside one of pRanges: the rule by which a sequence is selected.
bool Selected(const TRange& pSequence, const TRangeList& pRanges) {
    return std::any_of(pRanges.begin(), pRanges.end(), [&](const TRange& pRange) {
        return pRange.aBegin <= pSequence.aBegin && pSequence.aEnd <= pRange.aEnd;
    });
}

bool Overlaps(const TRangeList& pDistances, long pDistance) {
    return std::any_of(pDistances.begin(), pDistances.end(), [&](const TRange& pRange) {
        return pRange.aBegin <= pDistance && pDistance < pRange.aEnd;
    });
}

// A time a key can stand at: beyond, a piece would start at the open end.
bool KeyTime(long pTime) {
    return pTime >= -TZVParamRow::OPEN_END - 1 && pTime <= TZVParamRow::OPEN_END;
}

// A key at pTime; with pSide, one with a segment on the side pLeftSide picks.
bool AtKey(const TZVParamRow& pRow, long pTime, bool pSide = false, bool pLeftSide = false) {
    const TABCFormula* left;
    const TABCFormula* right;
    pRow.aFormulaList.GetCurvesAt(pTime, left, right, nullptr);
    return left != right && (!pSide || (pLeftSide ? left : right));
}

// Easing shapes a free slope, which flat and smooth segments have not: the key's own, the
// segments around it and the one after them must have one. A key in a gap gets flat pieces,
// and a row with an expression gets its flat default keys.
bool EaseFits(const TZVParamRow& pRow, long pTime, EContinuity pCont) {
    const TABCFormula* left;
    const TABCFormula* right;
    const TABCFormula* next;
    pRow.aFormulaList.GetCurvesAt(pTime, left, right, &next);
    if ((pCont != contNONE && pCont != contANGLE) || pRow.aFormula || (!left && !right))
        return false;
    for (const TABCFormula* segment : {left, right, next})
        if (segment && (segment->aCont == contFLAT || segment->aCont == contSMOOTH))
            return false;
    return true;
}

// The rows an edit may change, as the project file stores them, taken before it: an edit that
// leaves them as they were changed nothing, and stores no record.
class TStoredRows {
public:
    explicit TStoredRows(std::vector<const TZVBaseRow*> pRows) : aRows(std::move(pRows)) {
        for (const TZVBaseRow* row : aRows)
            aImages.push_back(Image(*row));
    }
    bool Changed() const {
        for (size_t i = 0; i < aRows.size(); ++i)
            if (Image(*aRows[i]) != aImages[i])
                return true;
        return false;
    }

private:
    static wxString Image(const TZVBaseRow& pRow) {
        wxXmlDocument document;
        document.SetRoot(pRow.GetXmlImage());
        wxString text;
        wxStringOutputStream stream(&text);
        document.Save(stream, wxXML_NO_INDENTATION);
        return text;
    }

    const std::vector<const TZVBaseRow*> aRows;
    std::vector<wxString> aImages;
};

// The parameter rows of pRow's stream row, which a key or formula edit of pRow may change: a
// composite's components are among them.
TStoredRows StoredParams(const TZVParamRow& pRow) {
    std::vector<const TZVBaseRow*> rows;
    for (const TZVParamRow* param : pRow.aParent->aParamTab)
        if (param)
            rows.push_back(param);
    return TStoredRows(std::move(rows));
}

} // namespace

THostEditor::THostEditor(TZVHost& pHost, unsigned long pBufferSize)
    : aHost(&pHost), aBuffer(pBufferSize), aUndo(aBuffer) {
    aHost->AddEditor(*this);
}

THostEditor::~THostEditor() {
    if (aHost)
        aHost->RemoveEditor(*this);
}

void THostEditor::Detach() {
    aHost = nullptr;
    aBuffer.init();
}

bool THostEditor::IsCurrent() const {
    return aHost && IZVProject::theCurrentProject == aHost;
}

bool THostEditor::InProject(const TZVBaseRow* pRow) const {
    if (!IsCurrent())
        return false;
    const TZVStreamRow* root = aHost->GetRootRow();
    return pRow && root && (pRow == root || root->IsAncestorOf(pRow));
}

bool THostEditor::Complete(bool pChanged) {
    if (!pChanged)
        aUndo.DropRecord();
    try {
        aBuffer.CompleteAction();
    } catch (const TError& error) {
        aHost->aMessages << "edit not made, its undo record does not fit: " << error.utf8_string()
                         << "\n";
        return false;
    }
    return aUndo.Stored();
}

bool THostEditor::EditKey(TZVParamRow* pRow, long pTime, bool pLeftSide, bool pEase,
                          EContinuity pCont) {
    if (!InProject(pRow) || !KeyTime(pTime) || pCont < contFLAT || pCont > contSMOOTH ||
        (pEase && !EaseFits(*pRow, pTime, pCont)))
        return false;
    const TStoredRows stored = StoredParams(*pRow);
    aUndo.BeginAction(THostUndo::undoActionKEY, L"Edit key");
    pRow->EditKey(pTime, pLeftSide, pEase, pCont, aUndo);
    return Complete(stored.Changed());
}

bool THostEditor::EditKeyValue(TZVParamRow* pRow, long pTime, bool pLeftSide,
                               const TVariant& pValue) {
    if (!InProject(pRow) || !AtKey(*pRow, pTime, true, pLeftSide) || !pRow->IsKeyValue(pValue))
        return false;
    const TStoredRows stored = StoredParams(*pRow);
    aUndo.BeginAction(THostUndo::undoActionVALUE, L"Key value");
    pRow->EditKeyValue(pTime, pLeftSide, pValue, &aUndo);
    return Complete(stored.Changed());
}

bool THostEditor::DeleteKey(TZVParamRow* pRow, long pTime) {
    if (!InProject(pRow) || !AtKey(*pRow, pTime))
        return false;
    // Deleting the key at either end of the keys may leave them as they were: the row fills
    // its sequence again.
    const TStoredRows stored = StoredParams(*pRow);
    aUndo.BeginAction(THostUndo::undoActionKEY, L"Delete key");
    pRow->DeleteKey(pTime, aUndo);
    return Complete(stored.Changed());
}

bool THostEditor::SetFormula(TZVParamRow* pRow, const wxString& pText) {
    // A composite's value is its components' combination, which an expression would replace.
    if (!InProject(pRow) || dynamic_cast<const TZVSuperParamRow*>(pRow))
        return false;
    wxXmlNode value(wxXML_ELEMENT_NODE, L"value");
    value.AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), pText));
    std::unique_ptr<TZVFormula> formula(new TZVFormula(pRow));
    if (!formula->ValueFromXml(&value, pRow->aTypeDef) || !formula->Resolve())
        return false;
    const TStoredRows stored = StoredParams(*pRow);
    aUndo.BeginAction(THostUndo::undoActionFORMULA, L"Formula");
    pRow->SetFormula(formula.release());
    aUndo.AddParamRow(pRow);
    return Complete(stored.Changed());
}

bool THostEditor::ShiftSelection(TZVStreamRow* pRow, long pDistance, bool pCopy) {
    std::list<TZVStreamRow*> rows;
    if (!InProject(pRow) || pDistance == 0 || pDistance < INT_MIN || pDistance > INT_MAX ||
        !pRow->BeginShift(rows, nullptr, nullptr))
        return false;
    aUndo.BeginAction(THostUndo::undoActionDRAG, pCopy ? L"Copy" : L"Move");
    TRangeList free, all;
    pRow->BeginShift(rows, &free, &all);
    // A drag that lands on a sequence ends where it began: nothing is recorded.
    const bool lands = !Overlaps(pCopy ? all : free, pDistance);
    for (TZVStreamRow* row : rows)
        if (lands)
            row->Shift(int(pDistance), pCopy);
    for (TZVStreamRow* row : rows)
        row->EndShift(aUndo);
    return Complete() && lands;
}

bool THostEditor::ResizeEdge(TZVStreamRow* pRow, long pTime, bool pLeft, long pDistance) {
    TRange limits(INT_MIN, INT_MAX);
    if (!InProject(pRow) || pDistance == 0 || !pRow->BeginResize(pTime, pLeft, limits, nullptr))
        return false;
    aUndo.BeginAction(THostUndo::undoActionDRAG, L"Resize");
    std::list<TZVStreamRow*> rows;
    pRow->BeginResize(pTime, pLeft, limits, &rows);
    const bool within = limits.aBegin <= pDistance && pDistance <= limits.aEnd;
    for (TZVStreamRow* row : rows)
        if (within)
            row->Resize(pDistance);
    for (TZVStreamRow* row : rows)
        row->EndShift(aUndo);
    return Complete() && within;
}

bool THostEditor::Split(TZVStreamRow* pRow, long pTime) {
    return SplitJoin(pRow, pTime, true);
}

bool THostEditor::Join(TZVStreamRow* pRow, long pTime) {
    return SplitJoin(pRow, pTime, false);
}

bool THostEditor::SplitJoin(TZVStreamRow* pRow, long pTime, bool pSplit) {
    if (!InProject(pRow) || !pRow->SplitJoinAt(pTime, nullptr, pSplit))
        return false;
    aUndo.BeginAction(pSplit ? THostUndo::undoActionSPLIT : THostUndo::undoActionJOIN,
                      pSplit ? L"Split" : L"Join");
    pRow->SplitJoinAt(pTime, &aUndo, pSplit);
    return Complete();
}

bool THostEditor::DeleteSelection(TZVStreamRow* pRow) {
    if (!InProject(pRow))
        return false;
    const TRangeList& selection = aHost->GetRangeList();
    // The rows below delete within what pRow deletes, which lies in the selection: each must
    // keep a sequence outside it.
    const auto keeps = [&](const TZVStreamRow& pStream) {
        return std::any_of(
            pStream.aSequenceList.begin(), pStream.aSequenceList.end(),
            [&](const TRange& pSequence) { return !Selected(pSequence, selection); });
    };
    if (std::none_of(pRow->aSequenceList.begin(), pRow->aSequenceList.end(),
                     [&](const TRange& pSequence) { return Selected(pSequence, selection); }) ||
        !EveryRow(*pRow, keeps))
        return false;
    aUndo.BeginAction(THostUndo::undoActionDELETE, L"Delete");
    TRangeList deleted;
    pRow->DeleteSequence(selection, deleted, aUndo);
    return Complete();
}

bool THostEditor::Scale(double pFactor) {
    TZVStreamRow* root = IsCurrent() ? aHost->GetRootRow() : nullptr;
    const auto keeps = [&](const TZVStreamRow& pStream) {
        return std::any_of(pStream.aSequenceList.begin(), pStream.aSequenceList.end(),
                           [&](const TRange& pSequence) {
                               return TZVStreamRow::ScaledTime(pSequence.aBegin, pFactor) !=
                                      TZVStreamRow::ScaledTime(pSequence.aEnd, pFactor);
                           });
    };
    if (!root || !std::isfinite(pFactor) || pFactor <= 0.0 || !EveryRow(*root, keeps))
        return false;
    // A factor whose times all round to themselves may still change the slopes of keys, or not.
    const TStoredRows stored({root});
    aUndo.BeginAction(THostUndo::undoActionSCALE, L"Scale");
    EveryRow(*root, [&](TZVStreamRow& pStream) {
        pStream.ScaleTime(pFactor, aUndo);
        return true;
    });
    return Complete(stored.Changed());
}

bool THostEditor::SetDuration(long pDuration) {
    TZVStreamRow* root = IsCurrent() ? aHost->GetRootRow() : nullptr;
    if (!root || pDuration <= 0 || pDuration > INT_MAX || root->aSequenceList.size() != 1 ||
        root->aSequenceList.front().aBegin != 0 || root->aSequenceList.front().aEnd == pDuration)
        return false;
    aUndo.BeginAction(THostUndo::undoActionDURATION, L"Duration");
    root->SetDuration(pDuration, aUndo);
    return Complete();
}

bool THostEditor::EditSetup(TZVStreamRow* pRow, int pIndex, const TVariant& pValue) {
    if (!InProject(pRow) || pIndex < 0 || pIndex >= pRow->GetSetupCount() ||
        size_t(pIndex) >= pRow->aSetupTab.size() || pRow->aSetupTab[size_t(pIndex)] == pValue)
        return false;
    const int type = pRow->GetControlTab()[pRow->GetSetupControl(pIndex)].aTypeDef.aType;
    const bool fits = type == paramTypeTEXT
                          ? pValue.IsText()
                          : pValue.IsNumeric() && std::isfinite(pValue.GetDouble());
    if (!fits)
        return false;
    aUndo.BeginAction(THostUndo::undoActionSETUP, L"Setup");
    bool update = false;
    aUndo.AddSetup(pRow->EditSetup(pIndex, pValue, update));
    if (update)
        pRow->OnSetupUpdate(pIndex);
    return Complete();
}

bool THostEditor::Undo() {
    return IsCurrent() && aBuffer.Undo();
}

void THostEditor::Redo() {
    // The buffer moves on past a redo its record refused.
    if (IsCurrent())
        aBuffer.Redo();
}

void THostEditor::AltRedo() {
    if (IsCurrent())
        aBuffer.AltRedo();
}

wxString THostEditor::UndoLabel() {
    wxString label;
    aBuffer.UndoAction(label, false);
    return label;
}

wxString THostEditor::RedoLabel() {
    wxString label;
    aBuffer.UndoAction(label, true);
    return label;
}

wxString THostEditor::AltRedoLabel() {
    wxString label;
    aBuffer.AltRedoAction(label);
    return label;
}
