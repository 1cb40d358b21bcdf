// Resizing: the keys of a parameter row follow a dragged sequence edge.
#include "DLL/Row/ParamRow.h"

#include "ALL/Assert.h"
#include "DLL/Edt/EditorListener.h"

#include <algorithm>
#include <iterator>

namespace {

// Key times stay within 32 bits; the open end is no place for an edge.
constexpr long theLowestTime = -2147483647L;

bool IsStraight(const TABCFormula& pSegment) {
    return pSegment.a == 0.0 && pSegment.b == 0.0;
}

} // namespace

void TZVParamRow::BeginResize(bool pEnd, long pStart) {
    ZV_ASSERT(aUndoList.empty());
    aResizeKept = aUndoList.size();
    aIsEndResize = pEnd;
    aResizeStart = pStart;
}

void TZVParamRow::Resize(long pDistance, long pFrom) {
    if (pDistance == pFrom) {
        ZV_FAIL("pDistance!=pFrom");
        return;
    }
    if (aFormula)
        return;
    ResetEditRange();
    takeBackResize();
    const long target =
        std::min(std::max(aResizeStart + pDistance, theLowestTime), OPEN_END - 1);
    if (aIsEndResize && target < aResizeStart)
        cutEnd(target);
    else if (aIsEndResize && target > aResizeStart)
        extendEnd(target);
    else if (target > aResizeStart)
        cutStart(target);
    else if (target < aResizeStart)
        extendStart(target);
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    notifyOther(false);
}

void TZVParamRow::takeBackResize() {
    while (aUndoList.size() > aResizeKept) {
        const TABCFormula entry = aUndoList.front();
        aUndoList.pop_front();
        applyUndoEntry(entry, false);
    }
}

void TZVParamRow::cutStart(long pTarget) {
    iterator segment = aFormulaList.lower_bound(aResizeStart);
    while (segment != aFormulaList.end() && segment->aBegin < pTarget) {
        if (segment->aEnd > pTarget) {
            // The mark goes first so that a drag that only cut into its first segment leaves
            // an empty entry at the back: that segment's new begin is already no join.
            const TABCFormula saved = *segment;
            Mark(pTarget);
            truncateLeft(segment, pTarget, false);
            Save(saved);
            return;
        }
        segment = deleteFormula(segment, true);
    }
}

void TZVParamRow::cutEnd(long pTarget) {
    iterator after = aFormulaList.lower_bound(aResizeStart);
    // A segment running over the starting point is passed over.
    if (after != aFormulaList.begin() && std::prev(after)->aEnd > aResizeStart)
        --after;
    while (after != aFormulaList.begin()) {
        const iterator segment = std::prev(after);
        if (segment->aEnd <= pTarget)
            return;
        if (segment->aBegin < pTarget) {
            truncateRight(segment, pTarget, true);
            return;
        }
        deleteFormula(segment, true);
    }
}

void TZVParamRow::extendStart(long pTarget) {
    iterator first = aFormulaList.lower_bound(aResizeStart);
    if (first == aFormulaList.end())
        return;
    const long low =
        first == aFormulaList.begin() ? pTarget : std::max(pTarget, std::prev(first)->aEnd);
    long reach = first->aBegin;
    if (low >= reach)
        return;
    if (IsStraight(*first)) {
        const long limit = aTypeDef.aRangeCheck ? first->ExtrapolLimit(aTypeDef, false) : low;
        reach = std::min(std::max(low, limit), reach);
    }
    if (reach < first->aBegin) {
        const TABCFormula saved = *first;
        TABCFormula longer = saved;
        longer.TruncateLeft(reach);
        // Mark before the saved segment, as in cutStart; undone, the saved one comes back
        // beside the longer one, which the mark then removes.
        Mark(reach);
        replaceFormulaBegin(longer, first);
        Save(saved);
        first = aFormulaList.find(reach);
    }
    if (low < reach)
        insertFormula(TABCFormula(low, first->ComputePointAt(double(reach)), reach), &first, true);
}

void TZVParamRow::extendEnd(long pTarget) {
    const iterator next = aFormulaList.lower_bound(aResizeStart);
    if (next == aFormulaList.begin())
        return;
    const iterator last = std::prev(next);
    const long high = next == aFormulaList.end() ? pTarget : std::min(pTarget, next->aBegin);
    long reach = last->aEnd;
    if (reach >= high)
        return;
    if (IsStraight(*last)) {
        const long limit = aTypeDef.aRangeCheck ? last->ExtrapolLimit(aTypeDef, true) : high;
        reach = std::max(std::min(high, limit), reach);
    }
    if (reach > last->aEnd) {
        TABCFormula longer = *last;
        longer.TruncateRight(reach);
        replaceFormulaEnd(longer, last, true);
    }
    if (reach < high)
        insertFormula(TABCFormula(reach, last->ComputePointAt(double(reach)), high), &next, true);
}

void TZVParamRow::EndLeftResize() {
    if (aUndoList.empty() || aUndoList.back().IsEmpty())
        return;
    // The first piece saved may have been followed by a gap, or by segments the drag also
    // removed: then no segment begins at its end and nothing is to be done.
    const iterator next = aFormulaList.find(aUndoList.back().aEnd);
    if (next != aFormulaList.end())
        removeCont(next, true);
}
