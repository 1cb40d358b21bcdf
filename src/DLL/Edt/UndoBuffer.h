// TUndoBuffer: the editor's undo history in one fixed-size block, as a chain of records
// (each starting with a TUndoer::TUndoData header), newest first. It decides where records
// go, which are dropped when space runs out and where the current position stands, and keeps
// one alternative redo branch: the undone records that a neutral record would otherwise have
// cut off. Applying a record, labelling it and finishing an action are its owner's business.
//
// Positions are byte offsets from the start of the block. A position names a state of the
// history: the state after the record that starts there and every older one; the position
// just past the oldest record is the state before every stored record.
#pragma once

#include "DLL/Edt/Undoer.h"

#include <wx/string.h>

#include <cstdint>
#include <list>

class TUndoBuffer {
public:
    // Told of changes of the undo state (menus).
    class IListener {
    public:
        // True when an action opens or is being completed, false after a record was stored,
        // undone or redone.
        virtual void OnUndoStateChange(bool pActionOpen) = 0;
        virtual ~IListener();
    };

    typedef unsigned long TPosition;
    // The null position: no current record yet, no mark, no branch.
    static constexpr TPosition NO_POSITION = ~0ul;

    // The default labels: the translations of "Undo" and "Redo", made when the module loads.
    static wxString theDefaultUndoAction;
    static wxString theDefaultRedoAction;

    // An empty history in a block of pSize bytes, allocated once.
    explicit TUndoBuffer(unsigned long pSize);
    // Frees the block and the listener list (not the listeners).
    ~TUndoBuffer();
    TUndoBuffer(const TUndoBuffer&) = delete;
    TUndoBuffer& operator=(const TUndoBuffer&) = delete;

    // Empties the history; the open action, the flags other than the fixed mark, and the
    // listeners stay.
    void init();

    // Appends pListener (not owned).
    void RegisterListener(IListener* pListener);
    // Removes the first entry equal to pListener; reports "false" when there is none.
    void UnregisterListener(IListener* pListener);
    // Tells every listener pValue, in registration order.
    void callListener(bool pValue);

    // Completes the open action, opens one for pHandler and tells the listeners true.
    void StartAction(TUndoer* pHandler);
    // Completes the open action: the handler is cleared first and then asked to store its
    // records, so its own StoreData calls complete nothing again.
    void CompleteAction();

    // Stores a copy of pRecord's aLength bytes as the newest record and makes it current.
    // Undone records are discarded, or kept as the alternative branch when pRecord is
    // neutral; the oldest records are dropped to make room. Throws TError, leaving the
    // history unchanged (the open action is completed first), when the allocation is above
    // the block size, below the header or not a multiple of 4, when the length is above the
    // allocation or below the header, and while a record is being applied.
    void StoreData(const TUndoer::TUndoData& pRecord);

    // Has the owner undo the current record and steps past it; records whose owner is gone
    // are stepped over without a call. False when nothing is left to undo or the owner
    // refused (the position then stays on its record).
    bool Undo();
    // Has the owner redo the record before the current position (over the alternative
    // branch); the position moves onto it whatever the owner answers.
    void Redo();
    // Undoes back to the fork point, discards the current branch in favour of the
    // alternative one and redoes its first record.
    void AltRedo();

    // Completes the open action and gives the label of what Undo (pRedo false) or Redo would
    // apply; without a record the default label and false.
    bool UndoAction(wxString& pLabel, bool pRedo);
    // Completes the open action and gives "Alt <label>" for the record AltRedo would redo;
    // false, with the default redo label, when there is none.
    bool AltRedoAction(wxString& pLabel);

    // Changes the length of the record being applied (allocation rounded up to 4 bytes),
    // dropping the oldest records when it grows. False, with the record unchanged, when it
    // cannot: the length is below the header or the allocation above the block, or the
    // growth does not fit even without the older records (the record is then dropped from
    // the history with every older one).
    bool Resize(unsigned long pLength);
    // Has pRecord's owner redo it with no buffer; its answer, or false when the owner is gone.
    static bool Recover(const TUndoer::TUndoData& pRecord);
    // True while Undo or Redo has a record applied.
    bool IsUndoing() const { return aUndoing; }

    // The mark designates one state of the history (for the host: the saved state). The
    // buffer keeps it on that state as records move, and clears it when the state is gone.
    TPosition GetMark() const { return aMark; }
    void MarkCurrentState() { aMark = aCurrent; }
    void ClearMark() { aMark = NO_POSITION; }
    // While set, storing a neutral record leaves the mark on its state instead of moving it
    // to the new current state.
    void SetFixedMark(bool pFixed) { aFixedMark = pFixed; }
    bool IsFixedMark() const { return aFixedMark; }

    // Read-only views of the history.
    const uint8_t* GetBlock() const { return aBuffer; }
    unsigned long GetBufferSize() const { return aBufferSize; }
    // The next record Undo applies; NO_POSITION before the first store.
    TPosition GetCurrent() const { return aCurrent; }
    // The oldest record (0 while empty).
    TPosition GetLast() const { return aLast; }
    // The alternative branch: its first record and size in bytes; NO_POSITION when none.
    TPosition GetAltBranch() const { return aAltBranch; }
    unsigned long GetAltSize() const { return aAltSize; }

private:
    TUndoer::TUndoData& At(TPosition pPosition) const {
        return *reinterpret_cast<TUndoer::TUndoData*>(aBuffer + pPosition);
    }
    TPosition PastLast() const { return aLast + At(aLast).aAllocSize; }
    // End of the oldest record's meaningful bytes: what moves when records move.
    TPosition DataEnd() const { return aLast + At(aLast).GetLength(); }
    TPosition BranchEnd() const { return aAltBranch + aAltSize; }
    bool HasUndo() const { return aCurrent != NO_POSITION && aCurrent <= aLast; }
    bool HasRedo() const { return aCurrent != NO_POSITION && aCurrent != 0; }
    bool AtFork() const { return aAltBranch != NO_POSITION && aCurrent == BranchEnd(); }
    // The record before pPosition, stepping over the alternative branch at its end.
    TPosition RecordBefore(TPosition pPosition) const;
    // The first record from the current one on whose owner is alive, or NO_POSITION.
    TPosition FindUndo() const;
    // The record Redo would apply, skipping records whose owner is gone, or NO_POSITION.
    TPosition FindRedo() const;

    void CompleteOpenAction();
    void CheckStorable(const TUndoer::TUndoData& pRecord) const;
    // Steps past the current record as Undo does after applying it.
    void StepUndone();
    // Undo; with pStopAtFork, records whose owner is gone are not stepped over past the fork.
    bool UndoStep(bool pStopAtFork);
    // Keeps the undone records as the branch for a neutral record, or discards the branch,
    // and makes room for pAllocSize more bytes; false when no done record is left to keep.
    bool RetainDone(TPosition pEntry, bool pNeutral, unsigned long pAllocSize);
    void KeepUndone(TPosition pEntry);
    void DiscardBranch(TPosition pEntry);
    void RemoveBranch();
    // Where the retained data will end: moved by pGrowth, or, when pResized is not 0 and the
    // current record is the oldest, at its new length pResized.
    long long NeededEnd(long long pGrowth, unsigned long pResized) const;
    // Drops the oldest records (never the current one) while NeededEnd lies beyond the
    // block; false when it still does.
    bool DropToFit(long long pGrowth, unsigned long pResized);
    // After dropping: a branch cut short is dropped whole, a mark past the end is cleared.
    // False when the branch began at the current position (nothing is left from there on).
    bool ForgetDroppedStates();
    void ShiftRetained(unsigned long pAllocSize);
    bool FitResized(unsigned long pLength, long long pDelta);
    void MoveOlder(long long pDelta, unsigned long pAllocSize);

    uint8_t* aBuffer;
    TPosition aCurrent;
    TPosition aLast;
    TPosition aMark;
    TPosition aAltBranch;
    unsigned long aBufferSize;
    unsigned long aAltSize;
    // Handle of the undoer whose action is open (0 for none), so that an undoer destroyed
    // with its action open is not called.
    uint32_t aHandler;
    bool aUndoing;
    bool aCompleting;
    bool aFixedMark;
    std::list<IListener*> aListeners;
};
