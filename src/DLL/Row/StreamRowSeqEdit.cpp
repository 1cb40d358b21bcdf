// The sequence edits of TZVStreamRow and the record they leave for the host's undo.
#include "DLL/Row/StreamRow.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Row/ParamRow.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Moves pCursor over the selected ranges (sorted) to the first that ends at or after
// pSequence's end: the sequence is selected when that range also begins at or before it.
// Sequences must come in time order.
bool IsSelected(TRangeList::const_iterator& pCursor, const TRangeList& pSelection,
                const TRange& pSequence) {
    while (pCursor != pSelection.end() && pCursor->aEnd < pSequence.aEnd)
        ++pCursor;
    return pCursor != pSelection.end() && pCursor->aBegin <= pSequence.aBegin;
}

} // namespace

template <class TAction> void TZVStreamRow::forEveryParam(TAction pAction) const {
    for (TZVParamRow* param : aParamTab)
        if (param)
            pAction(*param);
}

template <class TAction> void TZVStreamRow::forTheParams(TAction pAction) const {
    const size_t count = std::min(aParamTab.size(), size_t(std::max(GetParamCount(), 0)));
    for (size_t i = 0; i < count; ++i)
        if (aParamTab[i])
            pAction(*aParamTab[i]);
}

// Queries.

bool TZVStreamRow::CountSelSeq() const {
    const TRangeList& selection = ITimeSelection::theSingleton->GetRangeList();
    TRangeList::const_iterator cursor = selection.begin();
    size_t selected = 0;
    for (const TRange& sequence : aSequenceList)
        if (IsSelected(cursor, selection, sequence))
            ++selected;
    return selected != 0 && selected != aSequenceList.size();
}

const TRange* TZVStreamRow::UniqueSelSeq(long pTime) const {
    for (const TRange& sequence : aSequenceList)
        if (sequence.aBegin <= pTime && pTime < sequence.aEnd)
            return &sequence;
    return nullptr;
}

const TRange* TZVStreamRow::UniqueSelManySeq(long pTime) const {
    return aSequenceList.size() < 2 ? nullptr : UniqueSelSeq(pTime);
}

void TZVStreamRow::mergeRangeList(const TRange& pMoving, const TRangeList& pList,
                                  TRangeList* pOut) {
    for (const TRange& sequence : pList)
        pOut->Add(sequence.aBegin + 1 - pMoving.aEnd, sequence.aEnd - pMoving.aBegin,
                  pOut->begin());
}

void TZVStreamRow::notifySeqChange() const {
    forEveryParam([](TZVParamRow& pParam) { pParam.notifyOther(true); });
}

// Split and join.

bool TZVStreamRow::SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) {
    return pSplit ? splitAt(pTime, pUndo) : joinAt(pTime, pUndo);
}

bool TZVStreamRow::splitAt(long pTime, IUndoCompiler* pUndo) {
    const TRangeList::iterator after = aSequenceList.LowerBound(pTime);
    if (after == aSequenceList.begin())
        return false;
    const TRangeList::iterator sequence = std::prev(after);
    if (pTime >= sequence->aEnd)
        return false;
    if (!pUndo)
        return true;
    aUndoList.push_back(TRange(pTime, pTime));
    aUndoList.push_back(*sequence);
    aSequenceList.insert(after, TRange(pTime, sequence->aEnd));
    sequence->aEnd = pTime;
    completeSplitJoin(pTime, *pUndo, &TZVParamRow::SplitAt);
    return true;
}

bool TZVStreamRow::joinAt(long pTime, IUndoCompiler* pUndo) {
    const TRangeList::iterator right = aSequenceList.FindBegin(pTime);
    if (right == aSequenceList.end() || right == aSequenceList.begin())
        return false;
    const TRangeList::iterator left = std::prev(right);
    if (left->aEnd != pTime)
        return false;
    if (!pUndo)
        return true;
    aUndoList.push_back(*left);
    aUndoList.push_back(*right);
    left->aEnd = right->aEnd;
    aSequenceList.erase(right);
    completeSplitJoin(pTime, *pUndo, &TZVParamRow::JoinAt);
    return true;
}

void TZVStreamRow::completeSplitJoin(long pTime, IUndoCompiler& pUndo,
                                     bool (TZVParamRow::*pMethod)(long, IUndoCompiler&)) {
    pUndo.AddStreamRow(this);
    IEditorListener::OnStreamSeqEdit(this, TRange(pTime, pTime + 1));
    notifySeqChange();
    forTheParams([&](TZVParamRow& pParam) { (pParam.*pMethod)(pTime, pUndo); });
}

// Shift.

bool TZVStreamRow::BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree,
                              TRangeList* pAll) {
    ZV_ASSERT(aUndoList.empty());
    const TRangeList& selection = ITimeSelection::theSingleton->GetRangeList();
    TRangeList::const_iterator cursor = selection.begin();
    TRangeList moving;
    TRangeList staying;
    for (const TRange& sequence : aSequenceList) {
        const bool selected = IsSelected(cursor, selection, sequence);
        if (selected && !pFree)
            return true;
        (selected ? moving : staying).push_back(sequence);
    }
    if (moving.empty() || !pFree)
        return false;
    pRows.push_back(this);
    for (const TRange& sequence : moving) {
        if (pAll)
            mergeRangeList(sequence, aSequenceList, pAll);
        mergeRangeList(sequence, staying, pFree);
    }
    aUndoList.splice(aUndoList.end(), moving);
    forEveryParam([this](TZVParamRow& pParam) { pParam.BeginKeyShift(aUndoList); });
    aIsEditEnd = false;
    aEditMode = 1;
    aLastDistance = 0;
    return true;
}

void TZVStreamRow::moveSelected(long pDelta, TRange& pChanged) {
    TRangeList::iterator cursor = aSequenceList.begin();
    for (const TRange& saved : aUndoList) {
        const long begin = saved.aBegin + aLastDistance;
        while (cursor != aSequenceList.end() && cursor->aBegin != begin)
            ++cursor;
        if (cursor == aSequenceList.end()) {
            // Some other edit took the sequence away: the others still move.
            ZV_FAIL("CurSeq != aSequenceList.end()");
            cursor = aSequenceList.begin();
            continue;
        }
        pChanged.Extend(*cursor);
        cursor->aBegin += pDelta;
        cursor->aEnd += pDelta;
        pChanged.Extend(*cursor);
        ++cursor;
    }
    aSequenceList.sort([](const TRange& p1, const TRange& p2) { return p1.aBegin < p2.aBegin; });
}

void TZVStreamRow::removeCopies(TRange& pChanged) {
    for (const TRange& saved : aUndoList) {
        const TRangeList::iterator copy = aSequenceList.LowerBound(saved.aBegin);
        if (copy == aSequenceList.end()) {
            ZV_FAIL("CurSeq != aSequenceList.end()");
            continue;
        }
        pChanged.Extend(*copy);
        aSequenceList.erase(copy);
    }
}

void TZVStreamRow::placeCopies(TRange& pChanged) {
    for (const TRange& saved : aUndoList) {
        aSequenceList.insert(aSequenceList.LowerBound(saved.aBegin), saved);
        pChanged.Extend(saved);
    }
}

void TZVStreamRow::Shift(int pDistance, bool pCopy) {
    TRange changed;
    if (pDistance != aLastDistance)
        moveSelected(pDistance - aLastDistance, changed);
    if (!pCopy || pDistance == 0) {
        if (aIsEditEnd && aLastDistance != 0)
            removeCopies(changed);
    } else if (!aIsEditEnd || aLastDistance == 0) {
        placeCopies(changed);
    }
    IEditorListener::OnStreamSeqEdit(this, changed);
    notifySeqChange();
    forEveryParam([&](TZVParamRow& pParam) { pParam.Shift(pDistance, pCopy); });
    aLastDistance = pDistance;
    aIsEditEnd = pCopy;
}

void TZVStreamRow::EndShift(IUndoCompiler& pUndo) {
    if (aLastDistance == 0) {
        aUndoList.clear();
    } else {
        if (aEditMode == 1) {
            TRangeList marks;
            for (TRange& saved : aUndoList) {
                const long moved = saved.aBegin + aLastDistance;
                if (aIsEditEnd)
                    saved = TRange(moved, moved);
                else
                    marks.push_front(TRange(moved, moved));
            }
            aUndoList.splice(aUndoList.begin(), marks);
        } else if (aLastDistance < 0) {
            forEveryParam([](TZVParamRow& pParam) { pParam.EndLeftResize(); });
        }
        pUndo.AddStreamRow(this);
    }
    forEveryParam([&](TZVParamRow& pParam) { pUndo.AddParamRow(&pParam); });
    aEditMode = 0;
}

// Resize.

bool TZVStreamRow::BeginResize(long pTime, bool pLeft, TRange& pLimits,
                               std::list<TZVStreamRow*>* pRows) {
    ZV_ASSERT(aUndoList.empty());
    aEditMode = 2;
    aEditSeq = std::find_if(aSequenceList.begin(), aSequenceList.end(),
                            [pTime](const TRange& pSequence) { return pSequence.aEnd >= pTime; });
    if (aEditSeq != aSequenceList.end() && pTime != aEditSeq->aBegin &&
        pTime != aEditSeq->aEnd)
        aEditSeq = aSequenceList.end();
    if (aEditSeq == aSequenceList.end())
        return false;
    if (!pRows)
        return true;
    pRows->push_back(this);
    aIsEditEnd = pTime == aEditSeq->aEnd;
    const TRangeList::iterator next = std::next(aEditSeq);
    if (aIsEditEnd && next != aSequenceList.end() && next->aBegin == pTime && !pLeft) {
        aEditSeq = next;
        aIsEditEnd = false;
        pLimits.aBegin = std::max(pLimits.aBegin, 0L);
    } else if (aIsEditEnd) {
        if (next != aSequenceList.end())
            pLimits.aEnd = std::min(pLimits.aEnd, next->aBegin - pTime);
        pLimits.aBegin = std::max(pLimits.aBegin, aEditSeq->aBegin + 1 - pTime);
    } else if (aEditSeq != aSequenceList.begin()) {
        pLimits.aBegin = std::max(pLimits.aBegin, std::prev(aEditSeq)->aEnd - pTime);
    }
    if (!aIsEditEnd)
        pLimits.aEnd = std::min(pLimits.aEnd, aEditSeq->aEnd - pTime - 1);
    aLastDistance = 0;
    // The parameters follow the edge that actually moves, which pLeft alone does not tell
    // at a gap.
    forTheParams([&](TZVParamRow& pParam) { pParam.BeginResize(aIsEditEnd, pTime); });
    return true;
}

void TZVStreamRow::Resize(long pDistance) {
    if (pDistance == aLastDistance) {
        ZV_FAIL("pDistance != aLastDistance");
        return;
    }
    // A drag that did not begin has no sequence to move.
    if (aEditMode != 2 || aEditSeq == aSequenceList.end()) {
        ZV_FAIL("aEditMode == 2");
        return;
    }
    if (aLastDistance == 0)
        aUndoList.push_back(*aEditSeq);
    const long delta = pDistance - aLastDistance;
    TRange changed;
    if (aIsEditEnd) {
        const long old = aEditSeq->aEnd;
        aEditSeq->aEnd += delta;
        changed = TRange(std::min(old, aEditSeq->aEnd) - 1, std::max(old, aEditSeq->aEnd));
    } else {
        const long old = aEditSeq->aBegin;
        aEditSeq->aBegin += delta;
        const TRange mark(aEditSeq->aBegin, aEditSeq->aBegin);
        if (aLastDistance == 0)
            aUndoList.push_front(mark);
        else
            aUndoList.front() = mark;
        changed = TRange(std::min(old, aEditSeq->aBegin), std::max(old, aEditSeq->aBegin) + 1);
    }
    if (pDistance == 0)
        aUndoList.clear();
    IEditorListener::OnStreamSeqEdit(this, changed);
    notifySeqChange();
    forTheParams([&](TZVParamRow& pParam) { pParam.Resize(pDistance, aLastDistance); });
    aLastDistance = pDistance;
}

// One-shot edits.

void TZVStreamRow::DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                                  IUndoCompiler& pUndo) {
    ZV_ASSERT(aUndoList.empty());
    TRangeList::const_iterator cursor = pSel.begin();
    TRange changed;
    bool deleted = false;
    for (TRangeList::iterator sequence = aSequenceList.begin();
         sequence != aSequenceList.end();) {
        if (!IsSelected(cursor, pSel, *sequence)) {
            ++sequence;
            continue;
        }
        aUndoList.push_back(*sequence);
        changed.Extend(*sequence);
        sequence = aSequenceList.erase(sequence);
        deleted = true;
    }
    ZV_ASSERT(!aSequenceList.empty());
    pDeleted = aUndoList;
    if (!deleted)
        return;
    pUndo.AddStreamRow(this);
    forTheParams([&](TZVParamRow& pParam) { pParam.DeleteSeqKey(pDeleted, pUndo); });
    IEditorListener::OnStreamSeqEdit(this, changed);
    notifySeqChange();
}

// Times saturate to 32 bits, as the keys' do, so that no sequence is left inverted.
long TZVStreamRow::ScaledTime(long pTime, double pFactor) {
    return SaturateToInt(std::nearbyint(double(pTime) * pFactor));
}

void TZVStreamRow::ScaleTime(double pFactor, IUndoCompiler& pUndo) {
    if (!std::isfinite(pFactor) || pFactor <= 0.0) {
        ZV_FAIL("pFactor > 0");
        return;
    }
    aUndoList = aSequenceList;
    for (TRangeList::iterator sequence = aSequenceList.begin();
         sequence != aSequenceList.end();) {
        const TRange scaled(ScaledTime(sequence->aBegin, pFactor),
                            ScaledTime(sequence->aEnd, pFactor));
        if (scaled.IsEmpty()) {
            sequence = aSequenceList.erase(sequence);
            continue;
        }
        *sequence++ = scaled;
        aUndoList.push_front(TRange(scaled.aBegin, scaled.aBegin + 1));
    }
    pUndo.AddStreamRow(this);
    forTheParams([&](TZVParamRow& pParam) { pParam.ScaleTime(pFactor, pUndo); });
}

void TZVStreamRow::SetDuration(long pDuration, IUndoCompiler& pUndo) {
    if (aSequenceList.size() != 1) {
        ZV_FAIL("aSequenceList.size()==1");
        return;
    }
    TRange& sequence = aSequenceList.front();
    if (sequence.aBegin != 0) {
        ZV_FAIL("SequenceRange.aBegin==0");
        return;
    }
    // A duration of 0 or less would leave the sequence inverted.
    if (pDuration <= 0) {
        ZV_FAIL("pDuration > 0");
        return;
    }
    aUndoList.push_front(sequence);
    const long old = sequence.aEnd;
    sequence.aEnd = pDuration;
    pUndo.AddStreamRow(this);
    if (pDuration <= old)
        return;
    forEveryParam([&](TZVParamRow& pParam) {
        pParam.ExtendEnd(pDuration);
        pUndo.AddParamRow(&pParam);
    });
}

void TZVStreamRow::SetSequence(const TRange& pSequence) {
    const TRangeList::iterator edit =
        std::find_if(aSequenceList.begin(), aSequenceList.end(),
                     [&](const TRange& pSaved) { return pSaved.aEnd > pSequence.aBegin; });
    if (pSequence.IsEmpty()) {
        if (edit == aSequenceList.end() || edit->aBegin != pSequence.aBegin) {
            ZV_FAIL("(EditPos != aSequenceList.end()) && ((*EditPos).aBegin == pSeq.aBegin)");
            return;
        }
        aUndoList.push_front(*edit);
        aSequenceList.erase(edit);
        return;
    }
    const bool restore = edit != aSequenceList.end() && edit->aBegin == pSequence.aBegin;
    // Saved, overlapping sequences would make the project unreadable.
    const TRangeList::iterator next = restore ? std::next(edit) : edit;
    if (next != aSequenceList.end() && next->aBegin < pSequence.aEnd) {
        ZV_FAIL("(EditPos == aSequenceList.end()) || ((*EditPos).aBegin >= pSeq.aEnd)");
        return;
    }
    if (restore) {
        aUndoList.push_front(*edit);
        edit->aEnd = pSequence.aEnd;
    } else {
        aSequenceList.insert(edit, pSequence);
        aUndoList.push_front(TRange(pSequence.aBegin, pSequence.aBegin));
    }
}

wxXmlNode* TZVStreamRow::MakeUndoList() {
    if (aUndoList.empty())
        return nullptr;
    wxXmlNode* record = new wxXmlNode(wxXML_ELEMENT_NODE, L"s");
    aUndoList.MakeXmlImage(record);
    aUndoList.clear();
    return record;
}
