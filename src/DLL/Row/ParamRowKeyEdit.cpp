// Key editing of TZVParamRow: setting a key's continuity and easing, and its value.
#include "DLL/Row/ParamRow.h"

#include "ALL/Assert.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Edt/EditorListener.h"

#include <cmath>
#include <initializer_list>
#include <iterator>

namespace {

bool Continues(EContinuity pCont) {
    return pCont == contANGLE || pCont == contSMOOTH;
}

bool IsNumber(const TVariant& pValue) {
    return pValue.IsNumeric() && std::isfinite(pValue.GetDouble());
}

// Curves are computed from numbers only: a text or undefined start value leaves the
// coefficients as they are rather than filling them with NaN.
bool Numbers(std::initializer_list<const TABCFormula*> pSegments) {
    for (const TABCFormula* segment : pSegments)
        if (segment && !IsNumber(segment->aValue))
            return false;
    return true;
}

// pSegment when a curve computation reads its start value: when it continues the curve before.
const TABCFormula* Target(const TABCFormula* pSegment) {
    return pSegment && Continues(pSegment->aCont) ? pSegment : nullptr;
}

// Sets the start value plainly; a segment without one simply gets it.
void TakeValue(TABCFormula& pSegment, const TVariant& pValue) {
    if (pSegment.aValue.IsUndefined())
        pSegment.aValue = pValue;
    else
        pSegment.SetValueAtOrig(pValue);
}

// A new start value: kept to the end value where a curve can be computed, else set plainly.
void SetStartValue(TABCFormula& pSegment, const TVariant& pValue, const TABCFormula* pNext) {
    if (pSegment.aCont != contFLAT && Numbers({&pSegment}) && IsNumber(pValue))
        pSegment.SetValueAtLeft(pValue.GetDouble(), pNext);
    else
        TakeValue(pSegment, pValue);
}

} // namespace

bool TZVParamRow::IsKeyValue(const TVariant& pValue) const {
    return aTypeDef.aType <= paramTypeCOLOR ? IsNumber(pValue) : pValue.IsText();
}

TABCFormula& TZVParamRow::editSegment(const TABCFormula* pSegment) {
    Widen(*pSegment);
    MakeEditable(*pSegment);
    return aFormulaList.Modify(aFormulaList.find(pSegment->aBegin));
}

TZVParamRow::iterator TZVParamRow::insertFlatFormula(iterator pPos, long pBegin,
                                                     const TVariant& pValue, EContinuity pCont,
                                                     bool pAccel, bool pDecel, long pEnd) {
    TABCFormula segment(pBegin, pValue, pEnd);
    segment.aCont = pCont;
    segment.aAccel = pAccel;
    segment.aDecel = pDecel;
    return insertFormula(segment, &pPos, true);
}

void TZVParamRow::EditKey(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
                          TZVBaseRow::IUndoCompiler& pUndo) {
    ResetEditRange();
    if (aFormula) {
        deleteFormula(true);
        InitDefaultFormulaList();
    }
    // A font or text key is stored without continuity or easing and reads back FLAT: it takes
    // no other, so that the row behaves as its saved image.
    if (aTypeDef.aType >= paramTypeFONT) {
        pCont = contFLAT;
        pEase = false;
    }
    // A key beyond the times a stored key can hold would start a piece at the open end.
    if (pTime >= -OPEN_END - 1 && pTime <= OPEN_END)
        setKeyAt(pTime, pLeftSide, pEase, pCont);
    aFormulaList.Touch();
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    pUndo.AddParamRow(this);
    notifyOther(false);
}

void TZVParamRow::setKeyAt(long pTime, bool pLeftSide, bool pEase, EContinuity pCont) {
    const TABCFormula* left;
    const TABCFormula* right;
    const TABCFormula* next = nullptr;
    aFormulaList.GetCurvesAt(pTime, left, right, &next);
    if (left != right && pLeftSide)
        changeKeyLeft(pEase, pCont, left, right);
    else if (left != right)
        changeKeyRight(pEase, pCont, left, right, next);
    else if (!left)
        addKeyInGap(pTime, pLeftSide, pEase, pCont);
    else
        splitSegment(pTime, pLeftSide, pEase, pCont, left, next);
    keepUndefinedFlat(pTime);
}

// A segment without a value is stored as FLAT without easing or coefficients (its kind is
// not read back): the pieces an edit around pTime changed or added stay so.
void TZVParamRow::keepUndefinedFlat(long pTime) {
    if (aTypeDef.aType >= paramTypeFONT)
        return;
    iterator position = aFormulaList.upper_bound(pTime);
    for (int back = 0; back < 2 && position != aFormulaList.begin(); ++back)
        --position;
    for (int count = 0; count < 4 && position != aFormulaList.end(); ++count, ++position) {
        if (!position->aValue.IsUndefined() ||
            (position->aCont == contFLAT && !position->aAccel && !position->aDecel))
            continue;
        MakeEditable(*position);
        TABCFormula& segment = aFormulaList.Modify(position);
        segment.aCont = contFLAT;
        segment.aAccel = segment.aDecel = false;
        segment.a = segment.b = segment.c = 0.0;
    }
}

void TZVParamRow::changeKeyRight(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                                 const TABCFormula* pRight, const TABCFormula* pNext) {
    if (!pRight)
        return;
    if (pCont == contFLAT) {
        if (pRight->aCont == contFLAT)
            return;
        editSegment(pRight).SetFlat(false, true);
        if (pNext && Continues(pNext->aCont))
            editSegment(pNext).aCont = contNONE;
    } else if (!pLeft && pRight->aCont == contFLAT) {
        TABCFormula& right = editSegment(pRight);
        right.aCont = contNONE;
        right.aAccel = pEase;
    } else if (!pLeft) {
        if (pEase == pRight->aAccel)
            return;
        TABCFormula& right = editSegment(pRight);
        right.aAccel = pEase;
        right.RebuildCurve();
    } else if (pLeft->aCont == contFLAT) {
        changeKeyAfterFlat(pEase, pCont, pLeft, pRight, pNext);
    } else if (pCont == pRight->aCont) {
        if (pEase == pRight->aAccel)
            return;
        TABCFormula& right = editSegment(pRight);
        right.aAccel = pEase;
        if (Numbers({&right, pLeft, Target(pNext)}))
            right.ComputeCurve(*pLeft, pNext);
    } else {
        // An ANGLE key that only loses its continuity keeps its curve.
        const bool keepCurve =
            pEase == pRight->aAccel && pRight->aCont == contANGLE && pCont == contNONE;
        TABCFormula& right = editSegment(pRight);
        right.aCont = pCont;
        right.aAccel = pEase;
        if (!keepCurve && Numbers({&right, pLeft, Target(pNext)}))
            right.ComputeCurve(*pLeft, pNext);
    }
}

// The right segment's ease in carries the flag: it is the easing at the key, the segment
// becomes NONE, and the test of the last case reads it.
void TZVParamRow::changeKeyAfterFlat(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                                     const TABCFormula* pRight, const TABCFormula* pNext) {
    const bool flag = pCont == contSMOOTH || pEase;
    if (pRight->aCont == contFLAT || pCont != contNONE) {
        TABCFormula& right = editSegment(pRight);
        right.aCont = contNONE;
        right.aAccel = flag;
        if (pCont != contNONE && Numbers({&right, pLeft}))
            right.ReachAtLeft(pLeft->aValue.GetDouble(), pNext);
    } else if (pRight->aAccel != flag) {
        TABCFormula& right = editSegment(pRight);
        right.aCont = contNONE;
        right.aAccel = flag;
        right.RebuildCurve();
    }
}

void TZVParamRow::changeKeyLeft(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                                const TABCFormula* pRight) {
    if (!pLeft)
        return;
    if (pCont == contFLAT) {
        if (pLeft->aCont == contFLAT)
            return;
        editSegment(pLeft).SetFlat(true, true);
        if (pRight && Continues(pRight->aCont))
            editSegment(pRight).aCont = contNONE;
        return;
    }
    if (!pRight) {
        if (pLeft->aCont != contFLAT && pEase == pLeft->aDecel)
            return;
        TABCFormula& left = editSegment(pLeft);
        if (left.aCont == contFLAT)
            left.aCont = contNONE;
        left.aDecel = pEase;
        left.RebuildCurve();
        return;
    }
    if (pRight->aCont == contFLAT) {
        changeKeyBeforeFlat(pEase, pCont, pLeft, pRight);
        return;
    }
    bool changed = false;
    if (pCont != pRight->aCont) {
        changed = !(pRight->aCont == contANGLE && pCont == contNONE);
        TABCFormula& right = editSegment(pRight);
        right.aCont = pCont;
        if (pCont == contSMOOTH)
            right.aAccel = false;
    }
    if (pEase == pLeft->aDecel && pLeft->aCont != contFLAT && !changed)
        return;
    TABCFormula& left = editSegment(pLeft);
    if (left.aCont == contFLAT)
        left.aCont = contNONE;
    left.aDecel = pEase;
    if (pCont == contNONE)
        left.RebuildCurve();
    else if (Numbers({&left, pRight}))
        left.ComputeCurveTo(*pRight);
}

void TZVParamRow::changeKeyBeforeFlat(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                                      const TABCFormula* pRight) {
    const bool flag = pCont == contSMOOTH || pEase;
    if (pLeft->aCont == contFLAT || pCont != contNONE) {
        TABCFormula& left = editSegment(pLeft);
        left.aCont = contNONE;
        left.aDecel = flag;
        // The left segment ends at the constant value after the key.
        if (pCont != contNONE && Numbers({&left, pRight}))
            left.rebuildFormula(pRight->aValue.GetDouble() - left.aValue.GetDouble(), nullptr,
                                false);
    } else if (flag != pLeft->aDecel) {
        TABCFormula& left = editSegment(pLeft);
        left.aCont = contNONE;
        left.aDecel = flag;
        left.RebuildCurve();
    }
}

void TZVParamRow::addKeyInGap(long pTime, bool pLeftSide, bool pEase, EContinuity pCont) {
    const iterator after = aFormulaList.upper_bound(pTime);
    const TABCFormula* next = after == aFormulaList.end() ? nullptr : &*after;
    const TABCFormula* prev = after == aFormulaList.begin() ? nullptr : &*std::prev(after);
    const bool continued = Continues(pCont);
    iterator first = aFormulaList.end();
    if (prev) {
        const EContinuity cont = continued && prev->aCont == contFLAT ? contNONE : pCont;
        first = insertFlatFormula(after, prev->aEnd, prev->ComputePointAt(double(prev->aEnd)), cont,
                                  pEase, pEase, pTime);
    }
    if (!next)
        return;
    // The piece takes the next one's start value, undefined too: no curve is then computed
    // toward it. Only a key set on its left side between two segments falls back to the
    // previous one's end value there, since its curves are computed from that piece.
    const bool fromPrev = pLeftSide && prev && next->aValue.IsUndefined();
    const iterator second =
        insertFlatFormula(after, pTime, fromPrev ? first->aValue : next->aValue,
                          pCont == contFLAT ? contFLAT : contNONE, pEase, pEase, next->aBegin);
    if (continued && next->aCont != contFLAT)
        editSegment(next).aCont = pCont;
    if (!prev || !continued || !Numbers({&*first, &*second, Target(next)}))
        return;
    TABCFormula& firstPiece = aFormulaList.Modify(first);
    TABCFormula& secondPiece = aFormulaList.Modify(second);
    if (pLeftSide) {
        secondPiece.ComputeFirstTo(*next);
        firstPiece.ComputeCurveTo(secondPiece);
    } else {
        firstPiece.ComputeFirst(*prev, secondPiece);
        secondPiece.ComputeCurve(firstPiece, next);
    }
}

void TZVParamRow::splitSegment(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
                               const TABCFormula* pSegment, const TABCFormula* pNext) {
    const iterator position = aFormulaList.find(pSegment->aBegin);
    TABCFormula right(*pSegment);
    right.TruncateLeft(pTime);
    TABCFormula& left = editSegment(pSegment);
    left.TruncateRight(pTime);
    if (pCont == contFLAT && pLeftSide) {
        const TVariant value = left.ComputePointAt(double(pTime));
        left.aCont = contFLAT;
        TakeValue(left, value);
    } else if (pCont == contFLAT) {
        right.aCont = contFLAT;
    } else {
        const bool afterFlat = !pLeftSide && left.aCont == contFLAT;
        right.aCont = Continues(pCont) && afterFlat ? contNONE : pCont;
    }
    left.aDecel = pEase;
    right.aAccel = pEase;
    // A SMOOTH key leaves both pieces on the curve they were cut from.
    if (pCont != contSMOOTH) {
        if (pCont == contFLAT && !pLeftSide && pNext && Continues(pNext->aCont))
            editSegment(pNext).aCont = contNONE;
        left.RebuildCurve();
        if (pNext && Numbers({&right, pNext}))
            right.ComputeCurveTo(*pNext);
        else
            right.RebuildCurve();
    }
    aFormulaList.Insert(std::next(position), right);
    Mark(pTime);
    propagateKey(pTime, 2);
}

void TZVParamRow::EditKeyValue(long pTime, bool pLeftSide, const TVariant& pValue,
                               TZVBaseRow::IUndoCompiler* pUndo) {
    ResetEditRange();
    const TABCFormula* left;
    const TABCFormula* right;
    aFormulaList.GetCurvesAt(pTime, left, right, nullptr);
    if (left == right || (pLeftSide ? !left : !right))
        return;
    // Anything else would give the curves NaN coefficients or write a value the type does
    // not read back.
    if (!ZV_ASSERT(IsKeyValue(pValue)))
        return;
    const bool joined = right && Continues(right->aCont);
    if (right && (joined || !pLeftSide)) {
        const iterator after = aFormulaList.find(right->aEnd);
        SetStartValue(editSegment(right), pValue, after == aFormulaList.end() ? nullptr : &*after);
    }
    if (left && (joined || pLeftSide)) {
        TABCFormula& edited = editSegment(left);
        if (edited.aCont == contFLAT)
            TakeValue(edited, pValue);
        else if (joined && Numbers({&edited, right}))
            edited.ComputeCurveTo(*right);
        else if (!joined && Numbers({&edited}) && IsNumber(pValue))
            edited.rebuildFormula(pValue.GetDouble() - edited.aValue.GetDouble(), nullptr, false);
    }
    aFormulaList.Touch();
    IEditorListener::OnParamKeyEdit(this, aEditRange);
    if (pUndo)
        pUndo->AddParamRow(this);
    else
        aUndoList.clear();
    notifyOther(false);
}
