// THostEditor: the host's edit commands over the project of a TZVHost, each one action of
// the undo history, with undo, redo and their labels. The history is the project's: setting
// another project (a load) empties it, and so does the host's end. The editor works while its
// host is the current document: otherwise (another document current, none, or the host gone)
// every command and Undo answer false, and Redo does nothing (a record names rows by path
// from the current project, and would change another document's). A
// command checks its input first: bad input (a row not in the project, a time or value the
// row would refuse, an edit that leaves a row without sequences) answers false, changes
// nothing and stores no record. An edit that leaves the project as its file stores it (the
// value, formula, duration or setup a row has, a key deleted that the row fills again) stores
// no record either, and answers false.
#pragma once

#include "HostUndo.h"

#include "DLL/Bas/Formula.h"
#include "DLL/Edt/UndoBuffer.h"

#include <wx/string.h>

class TVariant;
class TZVHost;
class TZVParamRow;
class TZVStreamRow;

class THostEditor {
public:
    // The history takes pBufferSize bytes; the project is pHost's. Either may go first.
    THostEditor(TZVHost& pHost, unsigned long pBufferSize);
    // Leaves its host, when the host is still there.
    ~THostEditor();
    THostEditor(const THostEditor&) = delete;
    THostEditor& operator=(const THostEditor&) = delete;

    // Key edits of a parameter row (see TZVParamRow): setting the key at pTime, the value at
    // a key, deleting a key.
    bool EditKey(TZVParamRow* pRow, long pTime, bool pLeftSide, bool pEase, EContinuity pCont);
    bool EditKeyValue(TZVParamRow* pRow, long pTime, bool pLeftSide, const TVariant& pValue);
    bool DeleteKey(TZVParamRow* pRow, long pTime);
    // Makes the expression pText the row's value; false when it does not read or bind, and
    // for a composite row.
    bool SetFormula(TZVParamRow* pRow, const wxString& pText);

    // Sequence edits of pRow and the rows below it. A drag moves (or copies) the sequences of
    // the time selection pDistance, when they land clear of the others.
    bool ShiftSelection(TZVStreamRow* pRow, long pDistance, bool pCopy);
    // Drags the sequence edge at pTime (pLeft: see TZVStreamRow::BeginResize) pDistance,
    // within the limits the rows give.
    bool ResizeEdge(TZVStreamRow* pRow, long pTime, bool pLeft, long pDistance);
    bool Split(TZVStreamRow* pRow, long pTime);
    bool Join(TZVStreamRow* pRow, long pTime);
    // Deletes the sequences inside the time selection; refused when a row would lose them all.
    bool DeleteSelection(TZVStreamRow* pRow);
    // Multiplies every time of the project by pFactor, finite and above 0; refused when a
    // row would be left without sequences.
    bool Scale(double pFactor);
    // The root's only sequence, from 0, ends at pDuration (above 0).
    bool SetDuration(long pDuration);
    // Sets setup pIndex of pRow to pValue: a text for a text setup, else a finite number.
    bool EditSetup(TZVStreamRow* pRow, int pIndex, const TVariant& pValue);

    // False when nothing was undone: nothing left, the record was refused, or another
    // document is current.
    bool Undo();
    void Redo();
    void AltRedo();
    wxString UndoLabel();
    wxString RedoLabel();
    wxString AltRedoLabel();

    TUndoBuffer& GetBuffer() { return aBuffer; }

private:
    // Its host, as it dies, detaches it.
    friend class TZVHost;

    // Forgets the host, which is going, and empties the history.
    void Detach();
    // The host is there and is the current document.
    bool IsCurrent() const;
    // pRow is a row of the project, current.
    bool InProject(const TZVBaseRow* pRow) const;
    bool SplitJoin(TZVStreamRow* pRow, long pTime, bool pSplit);
    // Completes the open action; false when pChanged is (the edit left the project as it was,
    // and stores no record), or (the edit taken back, the reason printed) when its record
    // cannot be stored.
    bool Complete(bool pChanged = true);

    // Null once the host is gone.
    TZVHost* aHost;
    TUndoBuffer aBuffer;
    THostUndo aUndo;
};
