// TZVParamRow: the row of one time-varying parameter of a stream row. Its value comes either
// from key segments or from a formula; it counts its keys into its stream's key lists and
// tells the rows that listen to it when its value or its keys change.
#pragma once

#include "ALL/TypeDef.h"
#include "DLL/Bas/ABCFormulaSortList.h"
#include "DLL/Row/BaseRow.h"

#include <initializer_list>
#include <list>
#include <map>

class IDependFormula;
class IParamFactory;
class TZVFormula;
class wxXmlNode;
struct TUtf16Less;

// A row that depends on a parameter row.
struct TParamListener {
    // Not owned.
    TZVParamRow* aListener;
    // The listener reads the value (not only other attributes, or only the keys): such
    // entries carry change notifications and take part in the loop check.
    bool aOnValue;
};

class TZVParamRow : public TZVBaseRow {
public:
    typedef TABCFormulaSortList::iterator iterator;
    // The end of a segment that runs to the end of time. It is no key: never counted.
    static constexpr long OPEN_END = 2147483647;

    // A row of the given value type with no value source, not linked, no graph slot.
    explicit TZVParamRow(const TTypeDef& pTypeDef);
    // Unregisters and frees the formula; the rows that listened to this one lose their
    // formula (they read as undefined afterwards).
    ~TZVParamRow() override;

    // The stream row the parameter belongs to.
    TZVStreamRow* GetOwnerStream() override;
    // The segments' keys.
    const ITimeList& GetKeyTimeList() const override;
    // The owner stream's sequences.
    const TRangeList& GetSequenceList() const override;
    wxIcon* GetRoleIcon() const override;
    // The owner stream's icon for the parameter's index.
    wxIcon* GetTypeIcon() const override;
    // Appends this row.
    void ListParam(std::list<TZVParamRow*>& pList) override;
    // The next enabled parameter, else the row after the stream's parameter block.
    TZVBaseRow* GetNextRow() const override;
    // Null unless this is the stream's last enabled parameter; then the previous enabled
    // one, or the stream itself for its first.
    TZVBaseRow* GetPrevModRow() const override;
    bool IsLastSibling() const override;
    // Parameter names need not be unique.
    void DeconflictName() override;
    ERowKind retrieveRowKind() const override;

    // Sets the kind, the index in the stream's table and whether the row is enabled.
    virtual void SetDefault(int pIndex, bool pEnabled);
    // Reads the name and the "value" of a "param" element, then counts the keys. Throws
    // TError on a missing "value" and on a key list that does not read or whose segments
    // overlap.
    virtual void CreateAllChildren(const wxXmlNode* pElement);
    // Sets the type's minimum and maximum (a text bound is kept) and turns the range check on.
    virtual void SetRange(double pMin, double pMax);
    // Fills each of the stream's sequences with the default segments where no segment covers
    // it, not recorded. Segments read before the stream took its parent's sequences are cut
    // to them first (a last one keeps an open end). A formula row is left alone.
    virtual void InitDefaultFormulaList();
    void SetDefSlope(double pSlope) { aTypeDef.aSlope = pSlope; }
    // Renames the row to the translation of pName and reports the new name.
    void ChangeName(const wxString& pName);
    // Reports that the row's icon changed.
    void RefreshIcon() const;

    // The value at pTime: the formula's, else that of the segment holding pTime truncated
    // toward zero (computed at pTime itself); undefined where no segment is.
    TVariant GetValueAt(double pTime) const;

    // Installs a new expression on a row without segments and registers it; owned. One that
    // does not fit under the rows that read this one gives no value (see
    // TZVFormula::FitUnderReaders).
    void InitFormula(TZVFormula* pFormula);
    // Makes pFormula (owned) the value source: a former formula goes to aUndoFormula, the
    // segments to aUndoList, then the edit range is reported and listeners are notified.
    void SetFormula(IDependFormula* pFormula);
    // Drops the formula, unregistered; kept in aUndoFormula when pKeep, else freed.
    void deleteFormula(bool pKeep);
    // Withdraws the keys and builds the default segments again.
    void ResetFormulaList();
    // Fills pGap with a segment built between the segments around pHint, and flat fillers
    // where that segment does not reach. Returns the position of the built segment (pHint
    // when it is empty).
    iterator fillOneFormulaGap(const TRange& pGap, iterator pHint, bool pRecord);

    // Inserts a copy of pSegment (next to *pHint when given), counts its keys and, with
    // pRecord, records an insertion mark. A begin already present is reported and only its
    // position is returned.
    iterator insertFormula(const TABCFormula& pSegment, const iterator* pHint, bool pRecord);
    // Removes the segment at pPos, withdrawing its keys; with pRecord it is saved first.
    // Returns the next position.
    iterator deleteFormula(iterator pPos, bool pRecord);

    // Key editing. Both close with the edit range reported to the editor listener, the row
    // told to the undo compiler, then the value listeners notified.
    // Sets the key at pTime to pCont, with the easing pEase on the side pLeftSide picks (true:
    // the segment ending at pTime, false: the one beginning there). An existing key changes, a
    // key in a gap gets flat pieces to its neighbours, a key inside a segment splits it on its
    // curve. An expression is dropped first (kept for the image) and the default keys edited.
    // A font or text key takes FLAT without easing whatever is asked, as it is stored.
    // Reports even when nothing changed.
    virtual void EditKey(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
                         TZVBaseRow::IUndoCompiler& pUndo);
    // Sets the value at the key pTime on the side pLeftSide picks; an ANGLE or SMOOTH key
    // changes on both sides. Does nothing and reports nothing off a key; a value the type
    // cannot hold is reported and changes nothing. With a null pUndo the record is dropped.
    virtual void EditKeyValue(long pTime, bool pLeftSide, const TVariant& pValue,
                              TZVBaseRow::IUndoCompiler* pUndo);
    // A value a key of this row can take: a finite number for numbers and colours, else a text.
    bool IsKeyValue(const TVariant& pValue) const;
    // Inserts, next to pPos, [pBegin, pEnd) holding pValue with zero coefficients, the
    // continuity and easing given; recorded and counted. Its position.
    iterator insertFlatFormula(iterator pPos, long pBegin, const TVariant& pValue,
                               EContinuity pCont, bool pAccel, bool pDecel, long pEnd);

    // Key-list edits. Each one records what it replaces in aUndoList (or the formula in
    // aUndoFormula) for the host's undo image, and widens aEditRange on an enabled row.
    // Removes the key at pTime: a key between two segments joins them, an outer key drops
    // its segment (the sequences are filled again). Nothing happens off a key.
    virtual void DeleteKey(long pTime, TZVBaseRow::IUndoCompiler& pUndo);
    // Removes the segment that holds pTime inside it; the gap stays.
    virtual void DeleteFormula(long pTime, TZVBaseRow::IUndoCompiler& pUndo);
    // True when a segment bound lies in one of pRanges, both ends included.
    virtual bool BeginKeyShift(const TRangeList& pRanges);
    // Moves the keys of the host's selected ranges (at their shifted place) by pDistance
    // from where they were at BeginKeyShift: the previous step is undone first, so a step
    // depends on its distance alone and 0 gives back the keys of the start. A step that moves
    // ends by filling every stretch of the sequences that no segment covers, and aUndoList
    // then holds this step's record, the fill included. pFlag asks for the plain path (see
    // shiftRange). A row with an expression is left alone and reports nothing.
    virtual void Shift(int pDistance, bool pFlag);
    // A drag of a sequence edge: the end edge (pEnd) or the start edge, from pStart. The
    // record must be empty.
    virtual void BeginResize(bool pEnd, long pStart);
    // Moves the dragged edge from aResizeStart + pFrom to aResizeStart + pDistance. Moving
    // inwards cuts the keys it passes (segments that begin before the start edge's, or end
    // after the end edge's, starting point stay); moving outwards lengthens the edge segment
    // along its line when straight (no further than the type's range when checked) and
    // fills the rest flat at its value there. A step depends on its distance alone: the
    // previous step is taken back first, so dragging back restores exactly what the drag cut
    // and takes back what it extended, and aUndoList always holds the record of the whole
    // drag, its first entry at the back (an empty mark when the drag began by cutting into
    // the start segment or extending it). A row with an expression is left alone.
    virtual void Resize(long pDistance, long pFrom);
    // After a drag that ended earlier than it began: the segment that begins where the first
    // piece the drag saved ends no longer continues a segment before it.
    void EndLeftResize();
    // Cuts the segment holding pTime inside it in two on the same curve, the right piece SMOOTH
    // for numbers and colours (NONE for fonts and texts); false when none.
    virtual bool SplitAt(long pTime, TZVBaseRow::IUndoCompiler& pUndo);
    // Fills the stretches of the sequences that no segment covers; the argument is unused.
    virtual void ExtendEnd(long pEnd);
    // Joins the segments on both sides of the key at pTime when they continue each other.
    bool JoinAt(long pTime, TZVBaseRow::IUndoCompiler& pUndo);
    // Multiplies every key time by pFactor, a finite number above 0; an open end stays open.
    void ScaleTime(double pFactor, TZVBaseRow::IUndoCompiler& pUndo);
    // Removes the keys inside each of pRanges (ranges of deleted sequences).
    void DeleteSeqKey(const TRangeList& pRanges, TZVBaseRow::IUndoCompiler& pUndo);
    // Removes the keys inside pRange: segments crossing its bounds are cut there, one
    // covering it keeps both outer parts. The position of the first segment at or after
    // pRange's end, from which a caller walking ordered ranges goes on.
    iterator deleteKeyRange(const TRange& pRange, bool pRecord);
    // Removes the segment beginning at pSegment's begin, then fills the sequences again.
    void deleteFormula(const TABCFormula* pSegment);
    // Fills every stretch of the sequences that no segment covers, recorded.
    void fillSequenceWithFormula();
    // Joins the two segments touching at pTime, the left one taking the right end key;
    // nothing when they do not touch there. No report.
    void deleteMovedKey(long pTime);

    // Moves the keys of one selected range, pRange being its shifted place. A span-mode
    // range moves what lies in it, a key-mode range the keys it holds (its begin, not its
    // end), the segments between two moved keys whole and the others stretched.
    // Plain path: the move is made in place when the moved content stays clear of the keys
    // around the range (it may close a gap, not pass a key). pFlag cannot force it past
    // them, since that would overlap segments: such a move takes the lifting path.
    // Lifting path: copies of the moved segments (span mode: the source range's pieces; key
    // mode: the segments that begin at a moved key) are taken out, every key that their
    // destination covers goes at once (deleteKeyRange), and the copies are put down. In key
    // mode, the keys between the source and the destination that the copies passed over
    // wait in pMovedKeys, in the order of the move; the next range drops those it will
    // cover and joins those beyond it (deleteKeyUpTo), Shift joins the rest at the end
    // (deleteMovedKey). The first copy loses an ANGLE or SMOOTH start; Shift refills every
    // stretch of the sequences left uncovered at the end of the step. A lift with nothing to
    // lift reports "!TempList.empty()" and moves nothing.
    void shiftRange(const TRange& pRange, long pDistance, bool pFlag, std::list<long>& pMovedKeys);

    // Primitives of the key moves. Each saves the segment first, marks every piece that
    // now begins where no segment began and counts every bound it adds or removes; none
    // reports. Moved times saturate to 32 bits and an open end stays open; a piece that
    // saturation empties is dropped. A distance or cut that would leave pieces overlapping
    // or inverted is reported and nothing changes.
    // The segment moves whole by pDistance.
    void shiftFormula(iterator pPos, long pDistance);
    // The begin (Left) or the end (Right) moves by pDistance, the end value kept.
    void shiftLeftAndRecompute(iterator pPos, long pDistance);
    void shiftRightAndRecompute(iterator pPos, long pDistance);
    // Split at pTime: the right piece moves pDistance (> 0) later, or the left piece
    // |pDistance| (pDistance < 0) earlier, leaving a gap behind it.
    void expandRight(iterator pPos, long pTime, long pDistance);
    void expandLeft(iterator pPos, long pTime, long pDistance);
    // The piece left of pTime moves pDistance (> 0) later and the right one starts at
    // pTime + pDistance; or the piece right of pTime moves |pDistance| (pDistance < 0)
    // earlier and the left one ends at pTime + pDistance.
    void shrinkLeft(iterator pPos, long pTime, long pDistance);
    void shrinkRight(iterator pPos, long pTime, long pDistance);
    // The part inside pCut moves by pDistance; the remainder on the side it moves towards
    // gives way, the other keeps its place, a gap opening behind the moved part.
    void shiftMiddle(iterator pPos, const TRange& pCut, long pDistance);
    // Consumes pKeys from the front (ordered in the direction of the move): keys beyond
    // pRange on the side already moved (rightward: at or after its end; leftward: at or
    // before its begin) are joined (deleteMovedKey); then the keys inside it are dropped.
    void deleteKeyUpTo(std::list<long>& pKeys, TRange pRange, bool pRightward);
    // Makes each segment, in time order, a straight line at the type's slope that starts
    // where the one before ends, cut where it reaches the type's maximum. The number (from 1)
    // of the segment that reaches it, every later one removed; 0 when none does. Nothing is
    // recorded or reported.
    int SetDefRate();

    // Recording primitives.
    // Gives the segment at pDst (same begin) every field of pSource.
    void replaceFormulaEnd(const TABCFormula& pSource, iterator pDst, bool pRecord);
    // Gives the segment at pDst (same end, another begin) every field of pSource; not
    // recorded.
    void replaceFormulaBegin(const TABCFormula& pSource, iterator pDst);
    // Saves pSegment before an in-place change; returns it.
    const TABCFormula& MakeEditable(const TABCFormula& pSegment);
    // Moves the end of the segment at pPos to pEnd (ease out dropped).
    void truncateRight(iterator pPos, long pEnd, bool pRecord);
    // Moves the begin of the segment at pPos to pBegin on the same curve; its new position.
    iterator truncateLeft(iterator pPos, long pBegin, bool pRecord);
    // An ANGLE or SMOOTH segment becomes NONE.
    void removeCont(iterator pPos, bool pRecord);
    // Merges the segment at pPos with the one beginning at its end: pJoin continues the
    // curve to the right one's end value, else the left one takes the right end key.
    void deleteRightKey(iterator pPos, bool pJoin);
    // The segment before pPos when it ends at pTime, else the end position.
    iterator getPrevFormula(iterator pPos, long pTime);

    // Undo.
    // Appends the record under pElement ("key" elements, newest first, or the replaced
    // formula's text) and clears it.
    void MakeUndoImage(wxXmlNode* pElement);
    // Applies a key record, recording the opposite when pMakeUndo. An empty record changes
    // only an expression row undone with recording, which goes back to keys.
    void ApplyUndo(const TABCFormulaList& pUndoList, bool pMakeUndo);
    // Applies a formula record (pFormula owned): SetFormula without its reports.
    void ApplyUndo(IDependFormula* pFormula);

    // Listeners and keys.
    // Enters pListener once; a second registration only adds its flag to the first one's.
    void AddListener(TZVParamRow* pListener, bool pOnValue) const;
    // Removes pListener's entry; false when it was not listening.
    bool RemListener(TZVParamRow* pListener) const;
    // True when pTarget cannot be reached from this row along value entries within pDepth
    // steps (and the depth is not used up while a value listener remains).
    bool CheckListenerLoop(const TZVParamRow* pTarget, int pDepth) const;
    // Binds and registers the formula (pRemove false: false when binding failed) or
    // unregisters it.
    bool AddFormulaListeners(bool pRemove);
    // Adds (true) or withdraws (false) every key of the row in the stream's key lists.
    void PropagateAll(bool pAdd) const;
    // Announces every key of a keyed row to its listeners.
    void notifyAll() const;
    // Counts pChange at pTime into the stream (when enabled) and into the listeners.
    void propagateKey(long pTime, int pChange) const;
    void propagateAddKey(long pTime) const { propagateKey(pTime, 1); }
    void propagateDelKey(long pTime) const { propagateKey(pTime, -1); }
    // A listener's step for one key of a row it listens to.
    void onKeyChanged(const TZVParamRow* pSource, const TStreamKey& pKey, int pChange);
    // onKeyChanged on every listener.
    void notifyKey(const TStreamKey& pKey, int pChange) const;
    // A listener's step for a change of a row it listens to (pAll: keys or sequences too).
    void onParamChanged(const TZVParamRow* pSource, bool pAll);
    // Tells the stream, then the listeners, depth first, that the row changed. Each row is
    // reached once per notification, in the order it is first reached.
    void notifyOther(bool pAll) const;
    void notifyListenersParamChanged() const { notifyOther(false); }

    // Factories by sub-type name.
    // Enters pFactory (owned) under its sub-type; a name already there keeps its factory and
    // the new one is reported and freed.
    static void RegisterFactory(const IParamFactory* pFactory);
    static void DeleteAllFactories();
    // A new row read from a "param" element, linked under pStream at pIndex; owned by the
    // caller. Throws TError (nothing is left behind) when the element cannot be read.
    static TZVParamRow* Create(const wxXmlNode* pElement, TZVStreamRow* pStream, int pIndex,
                               const TTypeDef& pTypeDef);

    // The "param" element: "type", "name", "disabled" when disabled, "value".
    wxXmlNode* GetXmlImage() const override;

    TTypeDef aTypeDef;
    // The formula value source, owned; null for a keyed row.
    IDependFormula* aFormula;
    // The value source the last switch replaced, owned until the undo image takes it.
    IDependFormula* aUndoFormula;
    TABCFormulaSortList aFormulaList;
    // What the edit in progress replaced, newest first.
    TABCFormulaList aUndoList;
    int aIndex;
    long aResizeStart;
    // Entries of aUndoList from before the drag in progress, left alone by its steps.
    size_t aResizeKept;
    int aGraphSlot;
    // The span the edit in progress changed.
    TRange aEditRange;
    mutable std::list<TParamListener> aListenerList;
    bool aIsEnabled;
    bool aIsEndResize;
    // aFormula is an expression (TZVFormula), not a combining formula.
    bool aIsExpression;

    // Registered factories by sub-type, in UTF-16 order like the stream rows' registries;
    // null until the first registration.
    typedef std::map<wxString, const IParamFactory*, TUtf16Less> TFactorySet;
    static TFactorySet* theFactorySet;

private:
    class TKeyWalk;
    typedef std::map<const TZVParamRow*, bool> TReached;

    // Reads the "value" element into a key list or an expression, decided by its content.
    void ReadValue(const wxXmlNode* pValue);
    void ReadKeys(const wxXmlNode* pValue);
    // Walks the segments' keys in time order: each time once, 2 for a key shared by two
    // touching segments; the open end is skipped.
    void WalkKeys(IKeyPropagator& pPropagator, int pSign) const;
    // Counts into the stream's key lists and those of its ancestors.
    void CountInStream(long pTime, int pChange) const;
    // The first part of onParamChanged: reported, asked; true when the change passes on.
    bool TakeChange(bool pAll);
    void NotifyFrom(bool pAll, TReached& pReached) const;
    bool CheckLoopFrom(const TZVParamRow* pTarget, int pDepth,
                       std::map<const TZVParamRow*, int>& pClear) const;
    // Frees the value source of a row whose listened-to row dies.
    void LoseValueSource();
    // Keeps pFormula as the value source to undo to, freeing the one kept before.
    void KeepForUndo(IDependFormula* pFormula);
    void Widen(const TRange& pSpan);
    // The three steps of every recording primitive.
    void Save(const TABCFormula& pSegment);
    void Mark(long pTime);
    void ResetEditRange() { aEditRange.aBegin = aEditRange.aEnd; }
    // The segment holding pTime strictly inside, else the end position.
    iterator findInside(long pTime);
    // The reports after a key edit that changed the value.
    void ReportKeyEdit(TZVBaseRow::IUndoCompiler& pUndo);
    // Drops the formula for ApplyUndo of a key list: kept for the opposite image only when
    // one will be made.
    void DropFormulaForKeys(bool pMakeUndo);
    // One entry of a key record (see ApplyUndo).
    void applyUndoEntry(const TABCFormula& pEntry, bool pRecord);
    // The steps of Resize: the previous step taken back, then the edge moved from
    // aResizeStart to pTarget.
    void takeBackResize();
    void cutStart(long pTarget);
    void cutEnd(long pTarget);
    void extendStart(long pTarget);
    void extendEnd(long pTarget);
    // Fills [pBegin, pEnd) when not empty, next to pHint.
    void FillStretch(long pBegin, long pEnd, iterator pHint, bool pRecord);
    // The walk of fillSequenceWithFormula, recorded or not.
    void fillUncovered(bool pRecord);
    // Removes, unrecorded, what the segments hold outside the sequences, but the open end of
    // a last segment that begins inside them.
    void cutToSequences();
    // The segment at pPos becomes pPieces (time order, apart; empty ones skipped): a piece
    // that keeps its begin takes its place, the others are inserted with a mark.
    void replaceByPieces(iterator pPos, std::initializer_list<TABCFormula> pPieces);
    // The plain and the lifting path of shiftRange.
    bool isClearMove(const TRange& pSource, long pDistance, bool pKeyMode);
    void moveInPlace(const TRange& pSource, long pDistance, bool pKeyMode);
    void liftAndMove(const TRange& pSource, long pDistance, bool pKeyMode,
                     std::list<long>& pMovedKeys);
    // Adds the bounds that copies lifted from [pSourceBegin, pSourceEnd) pass on their way
    // to pDestination to pKeys, which stays ordered in the direction of the move.
    void collectPassedKeys(long pSourceBegin, long pSourceEnd, const TRange& pDestination,
                           long pDistance, std::list<long>& pKeys);

    // The change of EditKey at a time a stored key can hold.
    void setKeyAt(long pTime, bool pLeftSide, bool pEase, EContinuity pCont);
    // The paths of EditKey: a key whose right or left segment carries the change, a key in a
    // gap, a key inside a segment.
    void changeKeyRight(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                        const TABCFormula* pRight, const TABCFormula* pNext);
    void changeKeyAfterFlat(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                            const TABCFormula* pRight, const TABCFormula* pNext);
    void changeKeyLeft(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                       const TABCFormula* pRight);
    void changeKeyBeforeFlat(bool pEase, EContinuity pCont, const TABCFormula* pLeft,
                             const TABCFormula* pRight);
    void addKeyInGap(long pTime, bool pLeftSide, bool pEase, EContinuity pCont);
    void splitSegment(long pTime, bool pLeftSide, bool pEase, EContinuity pCont,
                      const TABCFormula* pSegment, const TABCFormula* pNext);
    // Saves the segment, widens the edit range over it and hands it out for a change in place
    // that keeps its begin.
    TABCFormula& editSegment(const TABCFormula* pSegment);
    // Makes the segments near pTime that hold no value FLAT without easing, as they are
    // stored.
    void keepUndefinedFlat(long pTime);
};

// Makes parameter rows of one sub-type.
class IParamFactory {
public:
    virtual wxString GetSubType() const = 0;
    // A new row of the type, owned by the caller.
    virtual TZVParamRow* Create(const TTypeDef& pTypeDef) const = 0;
    virtual ~IParamFactory();
};
