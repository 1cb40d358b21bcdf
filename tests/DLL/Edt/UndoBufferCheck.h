// Invariant checker of TUndoBuffer, for tests and the fuzz target: records walk from the
// start of the block by their sizes to the oldest, back links match, and the current
// position, the mark and the branch bounds fall on record boundaries inside the history.
#pragma once

#include "DLL/Edt/UndoBuffer.h"

#include <algorithm>
#include <string>
#include <vector>

// The record starts from the newest to the oldest; empty when the history is empty.
inline std::vector<TUndoBuffer::TPosition> UndoRecordStarts(const TUndoBuffer& pBuffer) {
    std::vector<TUndoBuffer::TPosition> starts;
    if (pBuffer.GetCurrent() == TUndoBuffer::NO_POSITION)
        return starts;
    for (TUndoBuffer::TPosition position = 0; position <= pBuffer.GetLast();) {
        starts.push_back(position);
        if (position + 16 > pBuffer.GetBufferSize())
            break;
        const auto* record =
            reinterpret_cast<const TUndoer::TUndoData*>(pBuffer.GetBlock() + position);
        if (record->aAllocSize == 0 || position == pBuffer.GetLast())
            break;
        position += record->aAllocSize;
    }
    return starts;
}

// The first broken invariant, or the empty text.
inline std::string CheckUndoBuffer(const TUndoBuffer& pBuffer) {
    typedef TUndoBuffer::TPosition TPosition;
    const TPosition none = TUndoBuffer::NO_POSITION;
    const TPosition last = pBuffer.GetLast();
    const TPosition branch = pBuffer.GetAltBranch();
    const unsigned long size = pBuffer.GetBufferSize();
    if (pBuffer.GetCurrent() == none)
        return last == 0 && branch == none && pBuffer.GetMark() == none ? "" : "empty, not reset";
    const std::vector<TPosition> starts = UndoRecordStarts(pBuffer);
    uint32_t backLink = 0;
    for (size_t i = 0; i < starts.size(); ++i) {
        const TPosition position = starts[i];
        if (position % 4 != 0 || position + 16 > size)
            return "record outside the block at " + std::to_string(position);
        const auto* record =
            reinterpret_cast<const TUndoer::TUndoData*>(pBuffer.GetBlock() + position);
        const unsigned long length = record->GetLength();
        const bool isLast = position == last;
        if (record->aAllocSize % 4 != 0 || length < 16 || length > record->aAllocSize ||
            (record->aLength & 0xF0000000u) != 0)
            return "bad sizes at " + std::to_string(position);
        if (record->aBackLink != backLink)
            return "bad back link at " + std::to_string(position);
        if (position + (isLast ? length : record->aAllocSize) > size)
            return "record data past the block at " + std::to_string(position);
        if (isLast != (i + 1 == starts.size()))
            return "walk does not end on the oldest record";
        backLink = record->aAllocSize;
    }
    if (starts.back() != last)
        return "walk misses the oldest record";
    const TPosition pastLast = last + backLink;
    auto isBoundary = [&](TPosition pPosition) {
        return pPosition == pastLast || std::binary_search(starts.begin(), starts.end(), pPosition);
    };
    const TPosition current = pBuffer.GetCurrent();
    if (!isBoundary(current))
        return "current off a record boundary";
    if (pBuffer.GetMark() != none && !isBoundary(pBuffer.GetMark()))
        return "mark off a record boundary";
    if (branch == none)
        return "";
    const TPosition branchEnd = branch + pBuffer.GetAltSize();
    if (branch == 0 || branch > last || pBuffer.GetAltSize() == 0 || !isBoundary(branch) ||
        !isBoundary(branchEnd))
        return "branch off record boundaries";
    if (current >= branch && current < branchEnd)
        return "current inside the branch";
    for (TPosition position : starts)
        if (position < branch &&
            !reinterpret_cast<const TUndoer::TUndoData*>(pBuffer.GetBlock() + position)
                 ->IsNeutral())
            return "a record that is not neutral before the branch";
    return "";
}
