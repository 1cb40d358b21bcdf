// Invariant checker of TUndoBuffer, for the tests and the fuzz target: records walk from the
// start of the block by their sizes to the oldest, back links match, and the current
// position, the mark and the branch bounds fall on record boundaries inside the history.
#pragma once

#include "DLL/Edt/UndoBuffer.h"

#include <algorithm>
#include <string>
#include <vector>

inline const TUndoer::TUndoData& UndoRecordAt(const TUndoBuffer& pBuffer,
                                              TUndoBuffer::TPosition pPosition) {
    return *reinterpret_cast<const TUndoer::TUndoData*>(pBuffer.GetBlock() + pPosition);
}

// The record starts, newest first, as far as the walk gets; empty when the history is empty.
inline std::vector<TUndoBuffer::TPosition> UndoRecordStarts(const TUndoBuffer& pBuffer) {
    std::vector<TUndoBuffer::TPosition> starts;
    if (pBuffer.GetCurrent() == TUndoBuffer::NO_POSITION)
        return starts;
    for (TUndoBuffer::TPosition position = 0; position <= pBuffer.GetLast();
         position += UndoRecordAt(pBuffer, position).aAllocSize) {
        starts.push_back(position);
        if (position + 16 > pBuffer.GetBufferSize() || position == pBuffer.GetLast() ||
            UndoRecordAt(pBuffer, position).aAllocSize == 0)
            break;
    }
    return starts;
}

// The first broken invariant, or the empty text.
inline std::string CheckUndoBuffer(const TUndoBuffer& pBuffer) {
    typedef TUndoBuffer::TPosition TPosition;
    const TPosition none = TUndoBuffer::NO_POSITION, last = pBuffer.GetLast();
    const TPosition current = pBuffer.GetCurrent(), mark = pBuffer.GetMark();
    const TPosition branch = pBuffer.GetAltBranch(), branchEnd = branch + pBuffer.GetAltSize();
    if (current == none)
        return last == 0 && branch == none && mark == none ? "" : "empty, not reset";
    const std::vector<TPosition> starts = UndoRecordStarts(pBuffer);
    uint32_t backLink = 0;
    for (TPosition position : starts) {
        if (position % 4 != 0 || position + 16 > pBuffer.GetBufferSize())
            return "record outside the block at " + std::to_string(position);
        const TUndoer::TUndoData& record = UndoRecordAt(pBuffer, position);
        const unsigned long length = record.GetLength();
        if (record.aAllocSize % 4 != 0 || length < 16 || length > record.aAllocSize ||
            (record.aLength & 0xF0000000u) != 0 || record.aBackLink != backLink ||
            position + (position == last ? length : record.aAllocSize) > pBuffer.GetBufferSize())
            return "bad header or size at " + std::to_string(position);
        backLink = record.aAllocSize;
    }
    if (starts.back() != last)
        return "walk misses the oldest record";
    const auto isBoundary = [&](TPosition pPosition) {
        return pPosition == last + backLink ||
               std::binary_search(starts.begin(), starts.end(), pPosition);
    };
    if (!isBoundary(current) || (mark != none && !isBoundary(mark)))
        return "current or mark off a record boundary";
    if (branch == none)
        return "";
    if (branch == 0 || branch > last || branchEnd == branch || !isBoundary(branch) ||
        !isBoundary(branchEnd) || (current >= branch && current < branchEnd))
        return "branch off record boundaries or around the current position";
    for (TPosition position : starts)
        if (position < branch && !UndoRecordAt(pBuffer, position).IsNeutral())
            return "a record that is not neutral before the branch";
    return "";
}
