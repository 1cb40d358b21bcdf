// The key-list edits of TZVParamRow and the undo images they leave for the host.
#include "DLL/Row/ParamRow.h"

#include "ALL/Assert.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/ZVFormula.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

bool HasContinuation(const TABCFormula& pSegment) {
    return pSegment.aCont == contANGLE || pSegment.aCont == contSMOOTH;
}

} // namespace

// Recording primitives.

void TZVParamRow::replaceFormulaEnd(const TABCFormula& pSource, iterator pDst, bool pRecord) {
    // The set is ordered by begin: another begin would corrupt it.
    if (pDst->aBegin != pSource.aBegin) {
        ZV_FAIL("(*pDstFormula).aBegin==pSrcFormula.aBegin");
        return;
    }
    Widen(pSource);
    if (pDst->aEnd != pSource.aEnd) {
        Widen(*pDst);
        propagateAddKey(pSource.aEnd);
        propagateDelKey(pDst->aEnd);
    }
    if (pRecord)
        Save(*pDst);
    aFormulaList.Modify(pDst) = pSource;
    aFormulaList.Touch();
}

void TZVParamRow::replaceFormulaBegin(const TABCFormula& pSource, iterator pDst) {
    if (pDst->aEnd != pSource.aEnd) {
        ZV_FAIL("(*pDstFormula).aEnd==pSrcFormula.aEnd");
        return;
    }
    if (pDst->aBegin == pSource.aBegin) {
        ZV_FAIL("(*pDstFormula).aBegin!=pSrcFormula.aBegin");
        return;
    }
    // The new begin must not run into a neighbour: the set would hold overlapping segments.
    const iterator existing = aFormulaList.find(pSource.aBegin);
    if (existing != aFormulaList.end()) {
        ZV_FAIL("InsertResult.second");
        return;
    }
    Widen(pSource);
    Widen(*pDst);
    propagateAddKey(pSource.aBegin);
    propagateDelKey(pDst->aBegin);
    const iterator next = aFormulaList.Erase(pDst);
    aFormulaList.Insert(next, pSource);
    aFormulaList.Touch();
}

const TABCFormula& TZVParamRow::MakeEditable(const TABCFormula& pSegment) {
    Save(pSegment);
    return pSegment;
}

void TZVParamRow::truncateRight(iterator pPos, long pEnd, bool pRecord) {
    if (pRecord)
        Save(*pPos);
    Widen(TRange(pEnd, pPos->aEnd));
    propagateDelKey(pPos->aEnd);
    propagateAddKey(pEnd);
    TABCFormula& segment = aFormulaList.Modify(pPos);
    segment.aDecel = false;
    segment.TruncateRight(pEnd);
    aFormulaList.Touch();
}

TZVParamRow::iterator TZVParamRow::truncateLeft(iterator pPos, long pBegin, bool pRecord) {
    if (pRecord) {
        Save(*pPos);
        Mark(pBegin);
    }
    Widen(TRange(pPos->aBegin, pBegin));
    propagateDelKey(pPos->aBegin);
    propagateAddKey(pBegin);
    TABCFormula moved(*pPos);
    moved.TruncateLeft(pBegin);
    const iterator next = aFormulaList.Erase(pPos);
    const iterator result = aFormulaList.Insert(next, moved);
    aFormulaList.Touch();
    return result;
}

void TZVParamRow::removeCont(iterator pPos, bool pRecord) {
    if (pPos == aFormulaList.end() || !HasContinuation(*pPos))
        return;
    if (pRecord)
        Save(*pPos);
    aFormulaList.Modify(pPos).aCont = contNONE;
    aFormulaList.Touch();
}

void TZVParamRow::deleteRightKey(iterator pPos, bool pJoin) {
    const iterator right = std::next(pPos);
    if (right == aFormulaList.end() || pPos->aEnd != right->aBegin) {
        ZV_FAIL("(*pFormula).aEnd==(*RightPart).aBegin");
        return;
    }
    Widen(*pPos);
    Widen(*right);
    propagateKey(right->aBegin, -2);
    Save(*right);
    Save(*pPos);
    const iterator after = std::next(right);
    const TABCFormula* afterSegment = after == aFormulaList.end() ? nullptr : &*after;
    TABCFormula merged(*pPos);
    bool changed = false;
    if (pJoin)
        merged.Join(*right, afterSegment);
    else
        merged.ChangeRight(*right, afterSegment, false, &changed);
    if (changed && afterSegment) {
        Save(*after);
        aFormulaList.Modify(after).aCont = contNONE;
    }
    aFormulaList.Modify(pPos) = merged;
    aFormulaList.Erase(right);
    aFormulaList.Touch();
}

TZVParamRow::iterator TZVParamRow::getPrevFormula(iterator pPos, long pTime) {
    if (pPos == aFormulaList.begin() || std::prev(pPos)->aEnd != pTime)
        return aFormulaList.end();
    return std::prev(pPos);
}

// Edits.

TZVParamRow::iterator TZVParamRow::findInside(long pTime) {
    // A search of the set itself: the list's look-up index is dropped by every change.
    iterator after = aFormulaList.upper_bound(pTime);
    if (after == aFormulaList.begin())
        return aFormulaList.end();
    const iterator segment = std::prev(after);
    return segment->aBegin < pTime && pTime < segment->aEnd ? segment : aFormulaList.end();
}

void TZVParamRow::ReportKeyEdit(TZVBaseRow::IUndoCompiler& pUndo) {
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    pUndo.AddParamRow(this);
    notifyListenersParamChanged();
}

void TZVParamRow::DeleteKey(long pTime, TZVBaseRow::IUndoCompiler& pUndo) {
    ResetEditRange();
    const TABCFormula* left;
    const TABCFormula* right;
    aFormulaList.GetCurvesAt(pTime, left, right, nullptr);
    if (left == right)
        return;
    if (!left || !right) {
        deleteFormula(left ? left : right);
    } else {
        const iterator leftPos = aFormulaList.find(left->aBegin);
        if (leftPos == aFormulaList.end())
            ZV_FAIL("Formula != aFormulaList.end()");
        else
            deleteRightKey(leftPos, false);
    }
    ReportKeyEdit(pUndo);
}

void TZVParamRow::deleteFormula(const TABCFormula* pSegment) {
    const iterator position = aFormulaList.find(pSegment->aBegin);
    if (position == aFormulaList.end()) {
        ZV_FAIL("Formula != aFormulaList.end()");
        return;
    }
    removeCont(deleteFormula(position, true), true);
    fillSequenceWithFormula();
}

void TZVParamRow::DeleteFormula(long pTime, TZVBaseRow::IUndoCompiler& pUndo) {
    ResetEditRange();
    const iterator segment = findInside(pTime);
    if (segment == aFormulaList.end())
        return;
    removeCont(deleteFormula(segment, true), true);
    ReportKeyEdit(pUndo);
}

bool TZVParamRow::SplitAt(long pTime, TZVBaseRow::IUndoCompiler& pUndo) {
    IEditorListener::OnParamKeyEdit(this, TRange(pTime, pTime + 1));
    ResetEditRange();
    const iterator left = findInside(pTime);
    if (left == aFormulaList.end())
        return false;
    Mark(pTime);
    Save(*left);
    TABCFormula right(*left);
    right.TruncateLeft(pTime);
    // Numbers and colours go on smoothly, also out of a flat piece. Fonts and texts keep the
    // cut's continuity, FLAT as every stored one reads back, so that the join takes the pieces
    // again; so does a piece without a value, which is stored flat.
    if (!right.aValue.IsUndefined() && aTypeDef.aType <= paramTypeCOLOR)
        right.aCont = contSMOOTH;
    aFormulaList.Modify(left).TruncateRight(pTime);
    aFormulaList.Insert(std::next(left), right);
    aFormulaList.Touch();
    propagateKey(pTime, 2);
    pUndo.AddParamRow(this);
    return true;
}

bool TZVParamRow::JoinAt(long pTime, TZVBaseRow::IUndoCompiler& pUndo) {
    IEditorListener::OnParamKeyEdit(this, TRange(pTime, pTime + 1));
    ResetEditRange();
    const iterator right = aFormulaList.find(pTime);
    if (right == aFormulaList.end() || right == aFormulaList.begin())
        return false;
    const iterator left = std::prev(right);
    if (!left->CanJoin(*right))
        return false;
    deleteRightKey(left, true);
    pUndo.AddParamRow(this);
    return true;
}

void TZVParamRow::ScaleTime(double pFactor, TZVBaseRow::IUndoCompiler& pUndo) {
    // A NaN factor would leave the times but spoil the coefficients; 0 or less drops all.
    if (!std::isfinite(pFactor) || pFactor <= 0.0) {
        ZV_FAIL("pFactor > 0");
        return;
    }
    if (aFormulaList.empty())
        return;
    const size_t count = aFormulaList.size();
    for (const TABCFormula& segment : aFormulaList)
        aUndoList.push_back(segment);
    aFormulaList.Clear();
    aFormulaList.Touch();
    auto copy = aUndoList.rbegin();
    const TABCFormula* next = nullptr;
    for (size_t i = 0; i < count; ++i, ++copy) {
        propagateDelKey(copy->aBegin);
        propagateDelKey(copy->aEnd);
        TABCFormula scaled(*copy);
        scaled.ScaleTime(pFactor, next);
        if (copy->aEnd == OPEN_END)
            scaled.aEnd = OPEN_END;
        if (scaled.aBegin < scaled.aEnd) {
            next = &*aFormulaList.Insert(scaled).first;
            Mark(scaled.aBegin);
            propagateAddKey(scaled.aBegin);
            propagateAddKey(scaled.aEnd);
        } else if (next) {
            const EContinuity limit = scaled.aCont == contFLAT ? contNONE : scaled.aCont;
            if (next->aCont > limit)
                aFormulaList.Modify(aFormulaList.find(next->aBegin)).aCont = limit;
        }
    }
    aFormulaList.Touch();
    pUndo.AddParamRow(this);
}

TZVParamRow::iterator TZVParamRow::deleteKeyRange(const TRange& pRange, bool pRecord) {
    iterator position = aFormulaList.upper_bound(pRange.aBegin);
    if (position != aFormulaList.begin() && std::prev(position)->aEnd > pRange.aBegin)
        --position;
    if (position == aFormulaList.end() || pRange.IsEmpty())
        return position;
    if (position->aBegin < pRange.aBegin && position->aEnd > pRange.aEnd) {
        TABCFormula outer(*position);
        outer.TruncateLeft(pRange.aEnd);
        const iterator next = std::next(position);
        insertFormula(outer, &next, pRecord);
    }
    if (position->aBegin < pRange.aBegin) {
        truncateRight(position, pRange.aBegin, pRecord);
        ++position;
    }
    while (position != aFormulaList.end() && position->aEnd <= pRange.aEnd)
        position = deleteFormula(position, pRecord);
    if (position != aFormulaList.end() && position->aBegin < pRange.aEnd)
        position = truncateLeft(position, pRange.aEnd, pRecord);
    removeCont(position, pRecord);
    return position;
}

void TZVParamRow::DeleteSeqKey(const TRangeList& pRanges, TZVBaseRow::IUndoCompiler& pUndo) {
    ResetEditRange();
    // Each range is looked up afresh: the cuts of one never reach the next.
    for (const TRange& range : pRanges)
        deleteKeyRange(range, true);
    pUndo.AddParamRow(this);
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    notifyListenersParamChanged();
}

void TZVParamRow::FillStretch(long pBegin, long pEnd, iterator pHint, bool pRecord) {
    if (pBegin < pEnd)
        fillOneFormulaGap(TRange(pBegin, pEnd), pHint, pRecord);
}

void TZVParamRow::fillSequenceWithFormula() {
    fillUncovered(true);
}

void TZVParamRow::fillUncovered(bool pRecord) {
    // Segments beside an expression would be counted as keys and lost at the next save.
    if (aFormula || !aParent)
        return;
    iterator position = aFormulaList.begin();
    for (const TRange& sequence : GetSequenceList()) {
        while (position != aFormulaList.end() && position->aEnd <= sequence.aBegin)
            ++position;
        long covered = sequence.aBegin;
        while (covered < sequence.aEnd) {
            if (position == aFormulaList.end()) {
                FillStretch(covered, sequence.aEnd, position, pRecord);
                break;
            }
            FillStretch(covered, std::min(position->aBegin, sequence.aEnd), position, pRecord);
            // A segment that reaches the next sequence is walked again there.
            if (position->aEnd >= sequence.aEnd)
                break;
            covered = position->aEnd;
            ++position;
        }
    }
}

void TZVParamRow::cutToSequences() {
    const TRangeList& sequences = GetSequenceList();
    if (aFormula || !aParent || sequences.empty())
        return;
    // Like the keys past a sequence edge that a resize moves in: cut at the edge, the part
    // outside removed.
    const auto cutAway = [this](const TRange& pOutside) {
        iterator position = aFormulaList.upper_bound(pOutside.aBegin);
        if (position != aFormulaList.begin() && std::prev(position)->aEnd > pOutside.aBegin)
            --position;
        // Rows that hold nothing there are left exactly as they were read.
        if (position != aFormulaList.end() && position->aBegin < pOutside.aEnd)
            deleteKeyRange(pOutside, false);
    };
    long outside = std::numeric_limits<long>::min();
    for (const TRange& sequence : sequences) {
        cutAway(TRange(outside, sequence.aBegin));
        outside = sequence.aEnd;
    }
    const bool openEnd = !aFormulaList.empty() && aFormulaList.rbegin()->aEnd == OPEN_END &&
                         aFormulaList.rbegin()->aBegin < outside;
    if (!openEnd)
        cutAway(TRange(outside, OPEN_END));
}

void TZVParamRow::ExtendEnd(long) {
    fillSequenceWithFormula();
}

int TZVParamRow::SetDefRate() {
    const long rate = IZVProject::theCurrentProject->GetMediaFormat().aRate;
    int number = 0;
    for (iterator position = aFormulaList.begin(); position != aFormulaList.end(); ++position) {
        ++number;
        TABCFormula& segment = aFormulaList.Modify(position);
        const long oldEnd = segment.aEnd;
        segment.Extrapolate(aTypeDef, rate, true);
        if (segment.aEnd != oldEnd) {
            propagateDelKey(oldEnd);
            propagateAddKey(segment.aEnd);
        }
        const double value = segment.ComputeAt(double(segment.aEnd));
        const iterator next = std::next(position);
        if (aTypeDef.aMax.IsNumeric() && value >= aTypeDef.aMax.GetDouble()) {
            for (iterator later = next; later != aFormulaList.end();)
                later = deleteFormula(later, false);
            return number;
        }
        if (next != aFormulaList.end())
            aFormulaList.Modify(next).SetValueAtOrig(TVariant(value));
    }
    return 0;
}

bool TZVParamRow::BeginKeyShift(const TRangeList& pRanges) {
    ZV_ASSERT(aUndoList.empty());
    const auto inRange = [&pRanges](long pTime) {
        for (const TRange& range : pRanges)
            if (range.aBegin <= pTime && pTime <= range.aEnd)
                return true;
        return false;
    };
    for (const TABCFormula& segment : aFormulaList)
        if (inRange(segment.aBegin) || (segment.aEnd != OPEN_END && inRange(segment.aEnd)))
            return true;
    return false;
}

// Undo.

void TZVParamRow::MakeUndoImage(wxXmlNode* pElement) {
    if (aUndoFormula) {
        aUndoFormula->MakeXmlImage(pElement, aTypeDef);
        delete aUndoFormula;
        aUndoFormula = nullptr;
    } else {
        aUndoList.MakeXmlImage(pElement, aTypeDef);
    }
    aUndoList.clear();
}

void TZVParamRow::DropFormulaForKeys(bool pMakeUndo) {
    if (!aKeyList.empty()) {
        if (aIsEnabled) {
            PropagateAll(false);
            aEditRange = TRange(aKeyList.begin()->aTime, aKeyList.rbegin()->aTime);
        }
        aKeyList.clear();
    }
    aFormula->AddListeners(true);
    // Without an image to take it, a kept formula would be written by the next edit's image.
    if (ZV_ASSERT(pMakeUndo))
        KeepForUndo(aFormula);
    else
        delete aFormula;
    aFormula = nullptr;
    aIsExpression = false;
}

void TZVParamRow::ApplyUndo(const TABCFormulaList& pUndoList, bool pMakeUndo) {
    // An empty record is still the image of a switch to an expression from a row without
    // segments: undone, such a row goes back to keys. A composite's formula stays.
    if (pUndoList.empty() && !(aIsExpression && pMakeUndo))
        return;
    if (pMakeUndo && &pUndoList == &aUndoList) {
        ZV_FAIL("!pMakeUndo || (&pUndoList != &aUndoList)");
        return;
    }
    ResetEditRange();
    bool record = pMakeUndo;
    if (aFormula) {
        DropFormulaForKeys(pMakeUndo);
        record = false;
    }
    for (const TABCFormula& entry : pUndoList)
        applyUndoEntry(entry, record);
    if (!aEditRange.IsEmpty() && IEditorListener::theListener)
        IEditorListener::theListener->DoParamKeyEdit(this, aEditRange);
}

void TZVParamRow::applyUndoEntry(const TABCFormula& pEntry, bool pRecord) {
    const iterator found = aFormulaList.find(pEntry.aBegin);
    const bool isMark = pEntry.aBegin >= pEntry.aEnd;
    if (found != aFormulaList.end() && isMark)
        deleteFormula(found, pRecord);
    else if (found != aFormulaList.end())
        replaceFormulaEnd(pEntry, found, pRecord);
    else if (!isMark)
        insertFormula(pEntry, nullptr, pRecord);
    else
        ZV_FAIL("FoundFormula!=aFormulaList.end()");
}

void TZVParamRow::ApplyUndo(IDependFormula* pFormula) {
    if (aFormula) {
        aFormula->AddListeners(true);
        aIsExpression = false;
        KeepForUndo(aFormula);
    }
    aFormula = pFormula;
    aIsExpression = true;
    pFormula->AddListeners(false);
    for (iterator segment = aFormulaList.begin(); segment != aFormulaList.end();)
        segment = deleteFormula(segment, true);
}
