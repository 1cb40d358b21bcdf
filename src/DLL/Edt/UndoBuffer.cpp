#include "DLL/Edt/UndoBuffer.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"

#include <wx/intl.h>

#include <algorithm>
#include <cstring>

wxString TUndoBuffer::theDefaultUndoAction(wxGetTranslation(L"Undo"));
wxString TUndoBuffer::theDefaultRedoAction(wxGetTranslation(L"Redo"));

namespace {

const unsigned long HEADER_SIZE = sizeof(TUndoer::TUndoData);

// Sets a state flag for a scope, so that an exception from a handler does not leave the
// buffer believing that it is still applying or completing.
class TFlagScope {
public:
    explicit TFlagScope(bool& pFlag) : aFlag(pFlag) { aFlag = true; }
    ~TFlagScope() { aFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& aFlag;
};

void ReportOpenHandler(uint32_t pHandler) {
    if (pHandler != 0)
        ZV_FAIL("aHandler==__null");
}

void Refuse(const wchar_t* pMessage) {
    throw TError(wxGetTranslation(pMessage));
}

} // namespace

TUndoBuffer::IListener::~IListener() {}

TUndoBuffer::TUndoBuffer(unsigned long pSize)
    : aBuffer(new uint8_t[pSize]), aCurrent(NO_POSITION), aLast(0), aMark(NO_POSITION),
      aAltBranch(NO_POSITION), aBufferSize(pSize), aAltSize(0), aHandler(0), aUndoing(false),
      aCompleting(false), aFixedMark(false) {}

TUndoBuffer::~TUndoBuffer() {
    delete[] aBuffer;
}

void TUndoBuffer::init() {
    aCurrent = aMark = aAltBranch = NO_POSITION;
    aFixedMark = false;
    aLast = 0;
}

void TUndoBuffer::RegisterListener(IListener* pListener) {
    aListeners.push_back(pListener);
}

void TUndoBuffer::UnregisterListener(IListener* pListener) {
    const auto found = std::find(aListeners.begin(), aListeners.end(), pListener);
    if (found == aListeners.end()) {
        ZV_FAIL("false");
        return;
    }
    aListeners.erase(found);
}

void TUndoBuffer::callListener(bool pValue) {
    for (IListener* listener : aListeners)
        listener->OnUndoStateChange(pValue);
}

void TUndoBuffer::StartAction(TUndoer* pHandler) {
    CompleteOpenAction();
    aHandler = pHandler ? pHandler->GetHandle() : 0;
    callListener(true);
}

void TUndoBuffer::CompleteAction() {
    CompleteOpenAction();
}

void TUndoBuffer::CompleteOpenAction() {
    if (aHandler == 0)
        return;
    TUndoer* handler = TUndoer::FromHandle(aHandler);
    aHandler = 0;
    callListener(true);
    if (!handler)
        return;
    TFlagScope completing(aCompleting);
    handler->CompleteAction(this);
}

void TUndoBuffer::CheckStorable(const TUndoer::TUndoData& pRecord) const {
    if (pRecord.aAllocSize > aBufferSize)
        Refuse(L"Undo size greater than the buffer");
    if (pRecord.aAllocSize < HEADER_SIZE)
        Refuse(L"Undo size less than minimum");
    if (aUndoing)
        Refuse(L"Attempt to record an Undo action during an Undo/Redo");
    if (pRecord.aAllocSize % 4 != 0)
        Refuse(L"Undo size not a multiple of 4");
    // A length beyond the allocation would overwrite the records kept after it.
    if (pRecord.GetLength() > pRecord.aAllocSize)
        Refuse(L"Undo length greater than its size");
    if (pRecord.GetLength() < HEADER_SIZE)
        Refuse(L"Undo length less than minimum");
}

void TUndoBuffer::StoreData(const TUndoer::TUndoData& pRecord) {
    CompleteOpenAction();
    CheckStorable(pRecord);
    const unsigned long allocSize = pRecord.aAllocSize;
    const bool neutral = pRecord.IsNeutral();
    const TPosition entry = aCurrent;
    const bool markOnCurrent = aMark == entry;
    // A neutral record leaves the document as it was: a mark on the current state follows.
    const bool markFollows = neutral && markOnCurrent && !aFixedMark;
    if (markFollows)
        aMark = NO_POSITION;
    const bool retained = entry != NO_POSITION && RetainDone(entry, neutral, allocSize);
    if (retained) {
        ShiftRetained(allocSize);
    } else {
        // Only the state the new record applies to survives.
        aMark = markOnCurrent ? allocSize : NO_POSITION;
        aAltBranch = NO_POSITION;
        aLast = 0;
    }
    std::memcpy(aBuffer, &pRecord, pRecord.GetLength());
    At(0).aBackLink = 0;
    if (retained)
        At(allocSize).aBackLink = static_cast<uint32_t>(allocSize);
    aCurrent = 0;
    if (markFollows)
        aMark = 0;
    callListener(false);
}

bool TUndoBuffer::RetainDone(TPosition pEntry, bool pNeutral, unsigned long pAllocSize) {
    if (pNeutral)
        KeepUndone(pEntry);
    else
        DiscardBranch(pEntry);
    // Nothing is retained when every record had been undone.
    return HasUndo() &&
           DropToFit(static_cast<long long>(pAllocSize) - static_cast<long long>(aCurrent), 0) &&
           ForgetDroppedStates();
}

void TUndoBuffer::KeepUndone(TPosition pEntry) {
    if (aAltBranch == NO_POSITION && pEntry > 0) {
        aAltBranch = 0;
        aAltSize = pEntry;
        aCurrent = 0;
    } else if (aAltBranch != NO_POSITION && pEntry > aAltBranch) {
        // The undo went past the fork point: the branch takes the records undone since.
        aAltSize = pEntry - aAltBranch;
        aCurrent = aAltBranch;
    }
}

void TUndoBuffer::DiscardBranch(TPosition pEntry) {
    if (aAltBranch == NO_POSITION)
        return;
    if (pEntry < aAltBranch)
        RemoveBranch();
    else
        aAltBranch = NO_POSITION; // its records are among the undone ones discarded next
}

void TUndoBuffer::RemoveBranch() {
    const TPosition end = BranchEnd();
    if (aMark != NO_POSITION && aMark >= aAltBranch)
        aMark = aMark < end ? NO_POSITION : aMark - aAltSize;
    if (end <= aLast) {
        At(end).aBackLink = At(aAltBranch).aBackLink;
        std::memmove(aBuffer + aAltBranch, aBuffer + end, DataEnd() - end);
        aLast -= aAltSize;
    } else {
        aLast = aAltBranch - At(aAltBranch).aBackLink;
    }
    aAltBranch = NO_POSITION;
}

long long TUndoBuffer::NeededEnd(long long pGrowth, unsigned long pResized) const {
    if (pResized != 0 && aLast == aCurrent)
        return static_cast<long long>(aCurrent + pResized);
    return static_cast<long long>(DataEnd()) + pGrowth;
}

bool TUndoBuffer::DropToFit(long long pGrowth, unsigned long pResized) {
    const long long limit = static_cast<long long>(aBufferSize);
    // The end is measured again after each drop: the allocation of the new oldest record may
    // exceed its length by more than the dropped record's did.
    while (aLast > aCurrent && NeededEnd(pGrowth, pResized) > limit)
        aLast -= At(aLast).aBackLink;
    return NeededEnd(pGrowth, pResized) <= limit;
}

bool TUndoBuffer::ForgetDroppedStates() {
    if (aAltBranch != NO_POSITION && BranchEnd() > PastLast()) {
        // Without its oldest records the branch cannot be redone from the fork point.
        if (aAltBranch == aCurrent)
            return false;
        if (aAltBranch <= aLast)
            aLast = aAltBranch - At(aAltBranch).aBackLink;
        aAltBranch = NO_POSITION;
    }
    if (aMark != NO_POSITION && aMark > PastLast())
        aMark = NO_POSITION;
    return true;
}

void TUndoBuffer::ShiftRetained(unsigned long pAllocSize) {
    const long long shift = static_cast<long long>(pAllocSize) - static_cast<long long>(aCurrent);
    if (aMark != NO_POSITION)
        aMark = aMark < aCurrent ? NO_POSITION : aMark + shift;
    if (aAltBranch != NO_POSITION)
        aAltBranch += shift;
    if (shift != 0)
        std::memmove(aBuffer + pAllocSize, aBuffer + aCurrent, DataEnd() - aCurrent);
    aLast += shift;
}

TUndoBuffer::TPosition TUndoBuffer::RecordBefore(TPosition pPosition) const {
    if (aAltBranch != NO_POSITION && pPosition == BranchEnd())
        pPosition = aAltBranch;
    return pPosition <= aLast ? pPosition - At(pPosition).aBackLink : aLast;
}

TUndoBuffer::TPosition TUndoBuffer::FindUndo() const {
    TPosition position = aCurrent;
    while (position != NO_POSITION && position <= aLast) {
        if (At(position).GetUndoer())
            return position;
        position += At(position).aAllocSize;
        if (position == aAltBranch)
            position = BranchEnd();
    }
    return NO_POSITION;
}

TUndoBuffer::TPosition TUndoBuffer::FindRedo() const {
    if (aCurrent == NO_POSITION)
        return NO_POSITION;
    for (TPosition position = aCurrent; position != 0;) {
        position = RecordBefore(position);
        if (At(position).GetUndoer())
            return position;
    }
    return NO_POSITION;
}

void TUndoBuffer::StepUndone() {
    const TUndoer::TUndoData& record = At(aCurrent);
    const bool follow = aMark == aCurrent && record.IsNeutral();
    aCurrent += record.aAllocSize;
    if (aCurrent == aAltBranch)
        aCurrent = BranchEnd();
    if (follow)
        aMark = aCurrent;
}

bool TUndoBuffer::Undo() {
    ZV_ASSERT(!aCompleting);
    ReportOpenHandler(aHandler);
    return UndoStep(false);
}

bool TUndoBuffer::UndoStep(bool pStopAtFork) {
    if (!HasUndo())
        return false;
    bool result = false;
    {
        TFlagScope undoing(aUndoing);
        while (HasUndo() && !(pStopAtFork && AtFork())) {
            TUndoer* owner = At(aCurrent).GetUndoer();
            if (!owner) {
                StepUndone();
                continue;
            }
            result = owner->ApplyUndo(&At(aCurrent), this, false);
            // A failed growth may have dropped the record from the history.
            if (result && HasUndo())
                StepUndone();
            break;
        }
    }
    callListener(false);
    return result;
}

void TUndoBuffer::Redo() {
    ReportOpenHandler(aHandler);
    if (!HasRedo())
        return;
    {
        TFlagScope undoing(aUndoing);
        bool skipped;
        do {
            const TPosition oldCurrent = aCurrent;
            const TPosition oldMark = aMark;
            aCurrent = RecordBefore(aCurrent);
            TUndoer* owner = At(aCurrent).GetUndoer();
            skipped = owner == nullptr;
            if (owner)
                owner->ApplyUndo(&At(aCurrent), this, true);
            if (oldMark == oldCurrent && HasUndo() && At(aCurrent).IsNeutral())
                aMark = aCurrent;
        } while (skipped && HasRedo());
    }
    callListener(false);
}

void TUndoBuffer::AltRedo() {
    if (aAltBranch == NO_POSITION)
        return;
    while (aAltBranch != NO_POSITION && aCurrent < aAltBranch) {
        ZV_ASSERT(!aCompleting);
        ReportOpenHandler(aHandler);
        if (!UndoStep(true))
            break;
    }
    if (!AtFork())
        return;
    const TPosition cut = aAltBranch;
    std::memmove(aBuffer, aBuffer + cut, DataEnd() - cut);
    aLast -= cut;
    // The branch's first record is now the newest.
    At(0).aBackLink = 0;
    if (aMark != NO_POSITION)
        aMark = aMark < cut ? aAltSize : aMark - cut;
    aCurrent = aAltSize;
    aAltBranch = NO_POSITION;
    Redo();
}

bool TUndoBuffer::UndoAction(wxString& pLabel, bool pRedo) {
    CompleteOpenAction();
    const TPosition position = pRedo ? FindRedo() : FindUndo();
    if (position == NO_POSITION) {
        pLabel = pRedo ? theDefaultRedoAction : theDefaultUndoAction;
        return false;
    }
    pLabel = At(position).GetUndoer()->UndoAction(&At(position), pRedo);
    return true;
}

bool TUndoBuffer::AltRedoAction(wxString& pLabel) {
    CompleteOpenAction();
    TPosition found = NO_POSITION;
    if (aAltBranch != NO_POSITION && aCurrent <= BranchEnd()) {
        for (TPosition position = BranchEnd(); position != aAltBranch && found == NO_POSITION;) {
            position = position <= aLast ? position - At(position).aBackLink : aLast;
            if (At(position).GetUndoer())
                found = position;
        }
    }
    pLabel = found == NO_POSITION ? theDefaultRedoAction
                                  : At(found).GetUndoer()->UndoAction(&At(found), true);
    pLabel = wxString::Format(wxGetTranslation(L"Alt %s"), pLabel);
    return found != NO_POSITION;
}

bool TUndoBuffer::Resize(unsigned long pLength) {
    ZV_ASSERT(!aCompleting);
    ReportOpenHandler(aHandler);
    ZV_ASSERT(aUndoing);
    if (!HasUndo())
        return false;
    TUndoer::TUndoData& record = At(aCurrent);
    if (pLength == record.GetLength())
        return true;
    if (pLength > TUndoer::UNDO_LENGTH_MASK)
        return false;
    unsigned long allocSize = (pLength + 3) & ~3ul;
    if (allocSize > aBufferSize)
        return false;
    // A shorter record would lose its header to the next one's.
    if (pLength < HEADER_SIZE) {
        ZV_FAIL("AllocSize >= sizeof(TUndoer::TUndoData)");
        return false;
    }
    long long delta = static_cast<long long>(allocSize) - record.aAllocSize;
    // A small shrink keeps the allocation and moves nothing.
    if (delta == 0 || (delta < 0 && static_cast<unsigned long>(-delta) < aBufferSize / 1024)) {
        allocSize = record.aAllocSize;
        delta = 0;
    }
    if ((delta > 0 || aCurrent == aLast) && !FitResized(pLength, delta))
        return false;
    if (delta != 0)
        MoveOlder(delta, allocSize);
    record.aAllocSize = static_cast<uint32_t>(allocSize);
    record.SetLength(pLength);
    return true;
}

bool TUndoBuffer::FitResized(unsigned long pLength, long long pDelta) {
    if (DropToFit(pDelta, pLength)) {
        ForgetDroppedStates();
        return true;
    }
    // The record itself would have to go: it leaves the history with every older one.
    if (aCurrent > 0)
        aLast = aCurrent - At(aCurrent).aBackLink;
    ForgetDroppedStates();
    return false;
}

void TUndoBuffer::MoveOlder(long long pDelta, unsigned long pAllocSize) {
    if (aCurrent != aLast) {
        const TPosition next = aCurrent + At(aCurrent).aAllocSize;
        std::memmove(aBuffer + next + pDelta, aBuffer + next, DataEnd() - next);
        aLast += pDelta;
        At(next + pDelta).aBackLink = static_cast<uint32_t>(pAllocSize);
    }
    if (aMark != NO_POSITION && aMark > aCurrent)
        aMark += pDelta;
    if (aAltBranch != NO_POSITION && aAltBranch > aCurrent)
        aAltBranch += pDelta;
}

bool TUndoBuffer::Recover(const TUndoer::TUndoData& pRecord) {
    TUndoer* owner = pRecord.GetUndoer();
    return owner && owner->ApplyUndo(const_cast<TUndoer::TUndoData*>(&pRecord), nullptr, true);
}
