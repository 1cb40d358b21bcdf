// Moving the keys of a parameter row in time: the key shift driven by the host's time
// selection, and the segment primitives it is built from.
#include "DLL/Row/ParamRow.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Edt/EditorListener.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

namespace {

// A moved time saturates to 32 bits; the open end is no time and stays where it is.
long MovedTime(long pTime, long pDistance) {
    if (pTime == TZVParamRow::OPEN_END)
        return pTime;
    return SaturateToInt(int64_t(pTime) + int64_t(pDistance));
}

TABCFormula Moved(TABCFormula pSegment, long pDistance) {
    pSegment.aBegin = MovedTime(pSegment.aBegin, pDistance);
    pSegment.aEnd = MovedTime(pSegment.aEnd, pDistance);
    return pSegment;
}

// The piece from pTime on, on the same curve.
TABCFormula From(TABCFormula pSegment, long pTime) {
    pSegment.TruncateLeft(pTime);
    return pSegment;
}

// The piece before pTime.
TABCFormula Before(TABCFormula pSegment, long pTime) {
    pSegment.TruncateRight(pTime);
    return pSegment;
}

} // namespace

// Primitives.

void TZVParamRow::replaceByPieces(iterator pPos, std::initializer_list<TABCFormula> pPieces) {
    const long begin = pPos->aBegin;
    const auto keeps = std::find_if(pPieces.begin(), pPieces.end(), [begin](const TABCFormula& p) {
        return p.aBegin == begin && p.aBegin < p.aEnd;
    });
    Save(*pPos);
    iterator hint;
    if (keeps != pPieces.end()) {
        replaceFormulaEnd(*keeps, pPos, false);
        hint = std::next(pPos);
    } else {
        hint = deleteFormula(pPos, false);
    }
    for (auto piece = pPieces.begin(); piece != pPieces.end(); ++piece)
        if (piece != keeps && piece->aBegin < piece->aEnd)
            insertFormula(*piece, &hint, true);
}

void TZVParamRow::shiftFormula(iterator pPos, long pDistance) {
    replaceByPieces(pPos, {Moved(*pPos, pDistance)});
}

void TZVParamRow::shiftLeftAndRecompute(iterator pPos, long pDistance) {
    const iterator next = std::next(pPos);
    TABCFormula moved(*pPos);
    moved.ShiftLeftAndRecompute(pDistance, next == aFormulaList.end() ? nullptr : &*next);
    replaceByPieces(pPos, {moved});
}

void TZVParamRow::shiftRightAndRecompute(iterator pPos, long pDistance) {
    const iterator next = std::next(pPos);
    TABCFormula moved(*pPos);
    moved.ShiftRightAndRecompute(pDistance, next == aFormulaList.end() ? nullptr : &*next);
    replaceByPieces(pPos, {moved});
}

void TZVParamRow::expandRight(iterator pPos, long pTime, long pDistance) {
    if (!ZV_ASSERT(pDistance > 0))
        return;
    replaceByPieces(pPos, {Before(*pPos, pTime), Moved(From(*pPos, pTime), pDistance)});
}

void TZVParamRow::expandLeft(iterator pPos, long pTime, long pDistance) {
    if (!ZV_ASSERT(pDistance < 0))
        return;
    replaceByPieces(pPos, {Moved(Before(*pPos, pTime), pDistance), From(*pPos, pTime)});
}

void TZVParamRow::shrinkLeft(iterator pPos, long pTime, long pDistance) {
    if (!ZV_ASSERT(pDistance > 0))
        return;
    const long newEnd = MovedTime(pTime, pDistance);
    // Beyond the end, the moved piece would run over the next segment.
    if (newEnd > pPos->aEnd) {
        ZV_FAIL("NewEnd < TempFormula.aEnd");
        return;
    }
    // Up to the end, the right piece is empty and left out.
    replaceByPieces(pPos, {Moved(Before(*pPos, pTime), pDistance), From(*pPos, newEnd)});
}

void TZVParamRow::shrinkRight(iterator pPos, long pTime, long pDistance) {
    if (!ZV_ASSERT(pDistance < 0))
        return;
    const long newBegin = MovedTime(pTime, pDistance);
    if (newBegin < pPos->aBegin) {
        ZV_FAIL("NewBegin > TempFormula.aBegin");
        return;
    }
    replaceByPieces(pPos, {Before(*pPos, newBegin), Moved(From(*pPos, pTime), pDistance)});
}

void TZVParamRow::shiftMiddle(iterator pPos, const TRange& pCut, long pDistance) {
    // The bound on the side the piece moves towards goes with it; the other stays.
    const long leftEnd = pDistance < 0 ? MovedTime(pCut.aBegin, pDistance) : pCut.aBegin;
    const long rightBegin = pDistance > 0 ? MovedTime(pCut.aEnd, pDistance) : pCut.aEnd;
    if (leftEnd < pPos->aBegin) {
        ZV_FAIL("CutRange.aBegin > TempLeft.aBegin");
        return;
    }
    if (rightBegin > pPos->aEnd) {
        ZV_FAIL("CutRange.aEnd < TempRight.aEnd");
        return;
    }
    const TABCFormula moved = Moved(Before(From(*pPos, pCut.aBegin), pCut.aEnd), pDistance);
    replaceByPieces(pPos, {Before(*pPos, leftEnd), moved, From(*pPos, rightBegin)});
}

void TZVParamRow::deleteMovedKey(long pTime) {
    const iterator right = aFormulaList.find(pTime);
    if (right == aFormulaList.end())
        return;
    const iterator left = getPrevFormula(right, pTime);
    if (left != aFormulaList.end())
        deleteRightKey(left, false);
}

void TZVParamRow::deleteKeyUpTo(std::list<long>& pKeys, TRange pRange, bool pRightward) {
    const auto beyond = [&](long pTime) {
        return pRightward ? pTime >= pRange.aEnd : pTime <= pRange.aBegin;
    };
    const auto inside = [&](long pTime) {
        return pRightward ? pTime > pRange.aBegin : pTime < pRange.aEnd;
    };
    while (!pKeys.empty() && beyond(pKeys.front())) {
        deleteMovedKey(pKeys.front());
        pKeys.pop_front();
    }
    while (!pKeys.empty() && inside(pKeys.front()))
        pKeys.pop_front();
}

// The shift.

namespace {

// A key of a key-mode source: a bound in [begin, end), never the open end.
bool IsMovedKey(const TRange& pSource, long pTime) {
    return pSource.aBegin <= pTime && pTime < pSource.aEnd && pTime != TZVParamRow::OPEN_END;
}

} // namespace

void TZVParamRow::Shift(int pDistance, bool pFlag) {
    if (aFormula)
        return;
    ResetEditRange();
    ApplyUndo(aUndoList, false);
    aUndoList.clear();
    if (pDistance != 0) {
        const TRangeList& ranges = ITimeSelection::theSingleton->GetRangeList();
        std::list<long> movedKeys;
        // The range at the front of the move goes first, so that none lands on keys that
        // another range has still to take away.
        if (pDistance < 0)
            for (const TRange& range : ranges)
                shiftRange(range, pDistance, pFlag, movedKeys);
        else
            for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
                shiftRange(*range, pDistance, pFlag, movedKeys);
        for (long time : movedKeys)
            deleteMovedKey(time);
        fillSequenceWithFormula();
    }
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    notifyOther(false);
}

void TZVParamRow::shiftRange(const TRange& pRange, long pDistance, bool,
                             std::list<long>& pMovedKeys) {
    const bool keyMode = ITimeSelection::theSingleton->IsKeySelMode();
    const TRange source(pRange.aBegin - pDistance, pRange.aEnd - pDistance);
    if (pRange.IsEmpty() || aFormulaList.empty() || source.aEnd <= aFormulaList.begin()->aBegin ||
        source.aBegin >= aFormulaList.rbegin()->aEnd)
        return;
    if (keyMode) {
        const iterator first = aFormulaList.lower_bound(source.aBegin);
        const bool endMoves =
            first != aFormulaList.begin() && IsMovedKey(source, std::prev(first)->aEnd);
        if (!endMoves && (first == aFormulaList.end() || first->aBegin >= source.aEnd))
            return;
    }
    deleteKeyUpTo(pMovedKeys, TRange(pRange.aBegin - 1, pRange.aEnd + 1), pDistance > 0);
    if (isClearMove(source, pDistance, keyMode))
        moveInPlace(source, pDistance, keyMode);
    else
        liftAndMove(source, pDistance, keyMode, pMovedKeys);
}

bool TZVParamRow::isClearMove(const TRange& pSource, long pDistance, bool pKeyMode) {
    const long begin = pSource.aBegin;
    const long end = pSource.aEnd;
    if (!pKeyMode) {
        const iterator atBegin = findInside(begin);
        const iterator atEnd = findInside(end);
        if (atBegin != aFormulaList.end() && atBegin == atEnd)
            return pDistance < 0 ? begin + pDistance >= atBegin->aBegin
                                 : end + pDistance <= atBegin->aEnd;
        if (pDistance < 0) {
            if (atBegin != aFormulaList.end())
                return begin + pDistance >= atBegin->aBegin;
            const iterator first = aFormulaList.lower_bound(begin);
            return first == aFormulaList.begin() || begin + pDistance >= std::prev(first)->aEnd;
        }
        if (atEnd != aFormulaList.end())
            return end + pDistance <= atEnd->aEnd;
        const iterator next = aFormulaList.lower_bound(end);
        return next == aFormulaList.end() || end + pDistance <= next->aBegin;
    }
    // Key mode: the first (moving earlier) or last (later) moved key must not pass the
    // bound next to it; a stretched segment must keep some length.
    if (pDistance < 0) {
        const iterator first = aFormulaList.lower_bound(begin);
        if (first != aFormulaList.begin()) {
            const iterator before = std::prev(first);
            if (IsMovedKey(pSource, before->aEnd))
                return before->aEnd + pDistance > before->aBegin;
            return first->aBegin + pDistance >= before->aEnd;
        }
        return true;
    }
    const iterator last = std::prev(aFormulaList.lower_bound(end));
    if (!IsMovedKey(pSource, last->aEnd))
        return last->aBegin + pDistance < last->aEnd;
    const iterator next = std::next(last);
    return next == aFormulaList.end() || last->aEnd + pDistance <= next->aBegin;
}

void TZVParamRow::moveInPlace(const TRange& pSource, long pDistance, bool pKeyMode) {
    const long begin = pSource.aBegin;
    const long end = pSource.aEnd;
    const iterator none = aFormulaList.end();
    const iterator first = aFormulaList.lower_bound(begin);
    // Key mode: the segment whose end key moves, those moved whole, the one whose begin key
    // moves. Span mode: those holding the source's bounds inside, those inside it.
    iterator atBegin = none;
    iterator atEnd = none;
    std::vector<iterator> whole;
    if (pKeyMode) {
        if (first != aFormulaList.begin() && IsMovedKey(pSource, std::prev(first)->aEnd))
            atBegin = std::prev(first);
        for (iterator it = first; it != none && it->aBegin < end; ++it) {
            if (!IsMovedKey(pSource, it->aEnd))
                atEnd = it;
            else
                whole.push_back(it);
        }
    } else {
        atBegin = findInside(begin);
        atEnd = findInside(end);
        if (atBegin != none && atBegin == atEnd) {
            shiftMiddle(atBegin, pSource, pDistance);
            return;
        }
        for (iterator it = first; it != none && it->aEnd <= end; ++it)
            whole.push_back(it);
    }
    const bool beganAtBegin = first != none && first->aBegin == begin;
    // Each piece lands where the one before it moved away: no begin is taken twice.
    if (pDistance < 0) {
        if (atBegin != none && pKeyMode)
            shiftRightAndRecompute(atBegin, pDistance);
        else if (atBegin != none)
            shrinkRight(atBegin, begin, pDistance);
        for (const iterator& segment : whole)
            shiftFormula(segment, pDistance);
        if (atEnd != none && pKeyMode)
            shiftLeftAndRecompute(atEnd, pDistance);
        else if (atEnd != none)
            expandLeft(atEnd, end, pDistance);
        else if (!pKeyMode)
            removeCont(aFormulaList.find(end), true);
        return;
    }
    if (atEnd != none && pKeyMode)
        shiftLeftAndRecompute(atEnd, pDistance);
    else if (atEnd != none)
        shrinkLeft(atEnd, end, pDistance);
    for (auto segment = whole.rbegin(); segment != whole.rend(); ++segment)
        shiftFormula(*segment, pDistance);
    if (atBegin != none && pKeyMode)
        shiftRightAndRecompute(atBegin, pDistance);
    else if (atBegin != none)
        expandRight(atBegin, begin, pDistance);
    else if (!pKeyMode && beganAtBegin)
        removeCont(aFormulaList.find(MovedTime(begin, pDistance)), true);
}

void TZVParamRow::liftAndMove(const TRange& pSource, long pDistance, bool pKeyMode,
                              std::list<long>& pMovedKeys) {
    TABCFormulaList copies;
    std::vector<iterator> lifted;
    if (pKeyMode) {
        for (iterator it = aFormulaList.lower_bound(pSource.aBegin);
             it != aFormulaList.end() && it->aBegin < pSource.aEnd; ++it) {
            lifted.push_back(it);
            copies.push_back(Moved(*it, pDistance));
        }
    } else {
        iterator it = aFormulaList.upper_bound(pSource.aBegin);
        if (it != aFormulaList.begin() && std::prev(it)->aEnd > pSource.aBegin)
            --it;
        for (; it != aFormulaList.end() && it->aBegin < pSource.aEnd; ++it) {
            TABCFormula piece(*it);
            if (piece.aBegin < pSource.aBegin)
                piece.TruncateLeft(pSource.aBegin);
            if (piece.aEnd > pSource.aEnd)
                piece.TruncateRight(pSource.aEnd);
            copies.push_back(Moved(piece, pDistance));
        }
    }
    copies.remove_if([](const TABCFormula& pCopy) { return pCopy.aBegin >= pCopy.aEnd; });
    if (copies.empty()) {
        ZV_FAIL("!TempList.empty()");
        return;
    }
    // The first copy leaves its left neighbour behind.
    if (copies.front().aCont == contANGLE || copies.front().aCont == contSMOOTH)
        copies.front().aCont = contNONE;
    const TRange destination(copies.front().aBegin, copies.back().aEnd);
    if (pKeyMode) {
        collectPassedKeys(lifted.front()->aBegin, lifted.back()->aEnd, destination, pDistance,
                          pMovedKeys);
        const iterator after = std::next(lifted.back());
        for (const iterator& segment : lifted)
            deleteFormula(segment, true);
        removeCont(after, true);
    } else {
        deleteKeyRange(pSource, true);
    }
    deleteKeyRange(destination, true);
    for (const TABCFormula& copy : copies)
        insertFormula(copy, nullptr, true);
}

void TZVParamRow::collectPassedKeys(long pSourceBegin, long pSourceEnd, const TRange& pDestination,
                                    long pDistance, std::list<long>& pKeys) {
    // The bounds strictly between the lifted segments and where they land.
    const TRange passed = pDistance > 0 ? TRange(pSourceEnd, pDestination.aBegin)
                                        : TRange(pDestination.aEnd, pSourceBegin);
    iterator segment = aFormulaList.upper_bound(passed.aBegin);
    if (segment != aFormulaList.begin())
        --segment;
    for (; segment != aFormulaList.end() && segment->aBegin < passed.aEnd; ++segment)
        for (long bound : {segment->aBegin, segment->aEnd})
            if (passed.aBegin < bound && bound < passed.aEnd)
                pKeys.push_back(bound);
    if (pDistance > 0)
        pKeys.sort(std::greater<long>());
    else
        pKeys.sort();
    pKeys.unique();
}
