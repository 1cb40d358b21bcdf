// TUndoer, the owner of undo records, and TUndoer::TUndoData, the 16-byte header that starts
// every record. The host derives its editors from TUndoer; only the owner of a record knows
// how to apply it.
#pragma once

#include <wx/string.h>

#include <cstdint>

class TUndoBuffer;

class TUndoer {
public:
    // Bits of TUndoData::aLength.
    static constexpr uint32_t UNDO_LENGTH_MASK = 0x07FFFFFF;
    static constexpr uint32_t UNDO_NEUTRAL_BIT = 0x08000000;

    // The record header, stored 4-byte aligned in native byte order. The record's own data
    // follows it; aLength counts the header too.
    struct TUndoData {
        // Bytes the record occupies in a buffer, header included; a multiple of 4.
        uint32_t aAllocSize;
        // Bits 0-26 the meaningful bytes (header included), bit 27 the neutral bit.
        uint32_t aLength;
        // Distance back to the newer record just before this one; set by the buffer.
        uint32_t aBackLink;
        // Handle of the owning undoer; use GetUndoer and SetUndoer.
        uint32_t aUndoer;

        unsigned long GetLength() const { return aLength & UNDO_LENGTH_MASK; }
        // Changes the length and keeps the neutral bit; pLength must fit in 27 bits.
        void SetLength(unsigned long pLength) {
            aLength = (aLength & UNDO_NEUTRAL_BIT) | (uint32_t(pLength) & UNDO_LENGTH_MASK);
        }
        // A neutral record leaves the marked state where it is and keeps undone records as
        // the alternative redo branch when stored.
        bool IsNeutral() const { return (aLength & UNDO_NEUTRAL_BIT) != 0; }
        // The owner, or null when it has been destroyed since the record was written.
        TUndoer* GetUndoer() const { return TUndoer::FromHandle(aUndoer); }
        // Names pUndoer (null for none) as the owner.
        void SetUndoer(const TUndoer* pUndoer) { aUndoer = pUndoer ? pUndoer->aHandle : 0; }
    };

    // Registers the new undoer in the process-wide table of undoers.
    TUndoer();
    // A copy is a new undoer with a handle of its own.
    TUndoer(const TUndoer& pSource);
    // Keeps this undoer's handle.
    TUndoer& operator=(const TUndoer& pSource);

    // Applies pData: undoes it when pRedo is false, redoes it when true. pBuffer is null when
    // the record is applied by TUndoBuffer::Recover. While it runs, the buffer's current
    // record is pData and the handler may Resize it (to store the state it replaced, so that
    // the next application goes the other way). False means nothing was applied.
    virtual bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool pRedo) = 0;
    // The menu label of pData; by default the buffer's default undo or redo label.
    virtual wxString UndoAction(TUndoData* pData, bool pRedo);
    // Asked by pBuffer to finish this undoer's open action; the undoer stores its record(s)
    // with pBuffer->StoreData. By default nothing.
    virtual void CompleteAction(TUndoBuffer* pBuffer);
    // Clears the undoer's handle: records it wrote are skipped from now on.
    virtual ~TUndoer();

    // This undoer's entry in the table of undoers; never 0.
    uint32_t GetHandle() const { return aHandle; }
    // The undoer registered under pHandle, or null (0, or the undoer has been destroyed).
    static TUndoer* FromHandle(uint32_t pHandle);

private:
    // Not given again while the process runs (until 2^32 undoers have been made).
    uint32_t aHandle;
};
