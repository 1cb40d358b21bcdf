// A plain list model of the undo history and a harness that drives a TUndoBuffer and the
// model with the same random operations (stores of every kind and size, undos with owners
// that resize their records or refuse, redos, alternative redos, labels, marks, owners
// destroyed), comparing them after every step. Shared by the model test and a fuzz target.
#pragma once

#include "UndoBufferCheck.h"

#include "ALL/Error.h"
#include "DLL/Edt/UndoBuffer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace NSUndoModel {

// A number below pBound (pBound > 0): the source of every decision.
typedef std::function<unsigned(unsigned)> TChooser;

struct TRecord {
    int aId;
    unsigned long aAlloc;
    unsigned long aLength;
    bool aNeutral;
    int aOwner; // serial of the owning undoer
};

// One ApplyUndo call as the model made it, for the buffer's run to repeat.
struct TCall {
    int aId;
    bool aRedo;
    unsigned long aResize; // 0: no resize
    bool aResized;
    bool aResult;
};

// The history as a list, newest first; states are indexes (record k, or the record count for
// the state before every record); -1 is none.
class TModel {
public:
    TModel(unsigned long pSize, TChooser pChoose) : aSize(pSize), aChoose(pChoose) {}

    std::vector<TRecord> aRecords;
    std::vector<bool> aAlive; // by owner serial
    std::deque<TCall> aCalls;
    std::vector<bool> aNotices;
    bool aStored = false;
    bool aFixed = false;
    int aCurrent = 0;
    int aMark = -1;
    int aAltStart = -1;
    int aAltCount = 0;

    int Count() const { return int(aRecords.size()); }
    bool HasAlt() const { return aAltStart >= 0; }
    int AltEnd() const { return aAltStart + aAltCount; }
    long long Pos(int pIndex) const {
        long long position = 0;
        for (int i = 0; i < pIndex; ++i)
            position += aRecords[i].aAlloc;
        return position;
    }
    long long DataEnd() const { return Pos(Count() - 1) + aRecords.back().aLength; }
    bool Alive(int pIndex) const { return aAlive[aRecords[pIndex].aOwner]; }

    void Reset() {
        aRecords.clear();
        aStored = aFixed = false;
        aCurrent = 0;
        aMark = aAltStart = -1;
    }

    // False when the buffer must refuse the record.
    bool Store(const TRecord& pRecord) {
        if (pRecord.aAlloc > aSize || pRecord.aAlloc < 16 || pRecord.aAlloc % 4 != 0 ||
            pRecord.aLength > pRecord.aAlloc || pRecord.aLength < 16)
            return false;
        const int entry = aStored ? aCurrent : -1;
        const bool markOnCurrent = aMark == entry;
        const bool follows = pRecord.aNeutral && markOnCurrent && !aFixed;
        if (follows)
            aMark = -1;
        bool retained = aStored;
        if (retained) {
            if (pRecord.aNeutral && !HasAlt() && entry > 0) {
                aAltStart = aCurrent = 0;
                aAltCount = entry;
            } else if (pRecord.aNeutral && HasAlt() && entry > aAltStart) {
                aAltCount = entry - aAltStart;
                aCurrent = aAltStart;
            } else if (!pRecord.aNeutral && HasAlt()) {
                if (entry < aAltStart)
                    RemoveBranch();
                aAltStart = -1;
            }
            retained = aCurrent < Count() && DropUntil([&] {
                           return DataEnd() - Pos(aCurrent) + (long long)pRecord.aAlloc;
                       });
            if (retained && HasAlt() && AltEnd() > Count() && aAltStart == aCurrent)
                retained = false;
            if (retained)
                Forget();
        }
        if (retained) {
            aRecords.erase(aRecords.begin(), aRecords.begin() + aCurrent);
            if (aMark >= 0)
                aMark = aMark < aCurrent ? -1 : aMark - aCurrent + 1;
            if (HasAlt())
                aAltStart += 1 - aCurrent;
            aRecords.insert(aRecords.begin(), pRecord);
        } else {
            aRecords.assign(1, pRecord);
            aMark = markOnCurrent ? 1 : -1;
            aAltStart = -1;
        }
        aCurrent = 0;
        aStored = true;
        if (follows)
            aMark = 0;
        aNotices.push_back(false);
        return true;
    }

    bool Undo(bool pStopAtFork = false) {
        if (!aStored || aCurrent >= Count())
            return false;
        bool result = false;
        while (aCurrent < Count() && !(pStopAtFork && HasAlt() && aCurrent == AltEnd())) {
            if (!Alive(aCurrent)) {
                StepUndone();
                continue;
            }
            result = Apply(false);
            if (result && aCurrent < Count())
                StepUndone();
            break;
        }
        aNotices.push_back(false);
        return result;
    }

    void Redo() {
        if (!aStored || aCurrent == 0)
            return;
        bool skipped;
        do {
            const int oldCurrent = aCurrent, oldMark = aMark;
            aCurrent = (HasAlt() && aCurrent == AltEnd() ? aAltStart : aCurrent) - 1;
            skipped = !Alive(aCurrent);
            if (!skipped)
                Apply(true);
            if (oldMark == oldCurrent && aCurrent < Count() && aRecords[aCurrent].aNeutral)
                aMark = aCurrent;
        } while (skipped && aCurrent != 0);
        aNotices.push_back(false);
    }

    void AltRedo() {
        if (!HasAlt())
            return;
        while (HasAlt() && aCurrent < aAltStart)
            if (!Undo(true))
                break;
        if (!HasAlt() || aCurrent != AltEnd())
            return;
        aRecords.erase(aRecords.begin(), aRecords.begin() + aAltStart);
        if (aMark >= 0)
            aMark = aMark < aAltStart ? aAltCount : aMark - aAltStart;
        aCurrent = aAltCount;
        aAltStart = -1;
        Redo();
    }

    // The record ids the labels name; -1 for none.
    int FindUndo() const {
        for (int k = aStored ? aCurrent : Count(); k < Count();) {
            if (Alive(k))
                return aRecords[k].aId;
            if (++k == aAltStart)
                k = AltEnd();
        }
        return -1;
    }
    int FindRedo() const {
        for (int k = aStored ? aCurrent : 0; k > 0;) {
            k = (HasAlt() && k == AltEnd() ? aAltStart : k) - 1;
            if (Alive(k))
                return aRecords[k].aId;
        }
        return -1;
    }
    int FindAltRedo() const {
        if (HasAlt() && aCurrent <= AltEnd())
            for (int k = AltEnd(); k != aAltStart;)
                if (Alive(--k))
                    return aRecords[k].aId;
        return -1;
    }

    unsigned long PickLength(unsigned long pNear) {
        switch (aChoose(8)) {
        case 0:
        case 1:
        case 2:
            return 20 + aChoose(44);
        case 3:
            return 20 + aChoose(unsigned(aSize / 8 + 1));
        case 4:
            return 20 + aChoose(unsigned(aSize + 16));
        case 5:
            return aSize > 28 ? aSize - aChoose(8) : 20;
        default:
            return std::max(20l, long(pNear) + long(aChoose(161)) - 80);
        }
    }

private:
    template <typename TNeeded>
    bool DropUntil(TNeeded pNeeded) {
        while (Count() - 1 > aCurrent && pNeeded() > (long long)aSize)
            aRecords.pop_back();
        return pNeeded() <= (long long)aSize;
    }

    void Forget() {
        if (HasAlt() && AltEnd() > Count()) {
            if (aAltStart < Count())
                aRecords.resize(aAltStart);
            aAltStart = -1;
        }
        if (aMark > Count())
            aMark = -1;
    }

    void RemoveBranch() {
        if (aMark >= aAltStart)
            aMark = aMark < AltEnd() ? -1 : aMark - aAltCount;
        aRecords.erase(aRecords.begin() + aAltStart, aRecords.begin() + AltEnd());
    }

    void StepUndone() {
        const bool follow = aMark == aCurrent && aRecords[aCurrent].aNeutral;
        if (++aCurrent == aAltStart)
            aCurrent = AltEnd();
        if (follow)
            aMark = aCurrent;
    }

    bool Apply(bool pRedo) {
        TCall call{aRecords[aCurrent].aId, pRedo, 0, false, true};
        if (aChoose(3) == 0) {
            call.aResize = PickLength(aRecords[aCurrent].aLength);
            call.aResized = Resize(call.aResize);
        }
        call.aResult = aChoose(8) != 0;
        aCalls.push_back(call);
        return call.aResult;
    }

    bool Resize(unsigned long pLength) {
        const unsigned long oldAlloc = aRecords[aCurrent].aAlloc;
        if (pLength == aRecords[aCurrent].aLength)
            return true;
        unsigned long alloc = (pLength + 3) & ~3ul;
        if (alloc > aSize)
            return false;
        long long delta = (long long)alloc - (long long)oldAlloc;
        if (delta == 0 || (delta < 0 && (unsigned long)(-delta) < aSize / 1024)) {
            alloc = oldAlloc;
            delta = 0;
        }
        if (delta > 0 || aCurrent == Count() - 1) {
            const bool fits = DropUntil([&] {
                return aCurrent == Count() - 1 ? Pos(aCurrent) + (long long)pLength
                                               : DataEnd() + delta;
            });
            if (!fits)
                aRecords.resize(aCurrent);
            Forget();
            if (!fits)
                return false;
        }
        aRecords[aCurrent].aAlloc = alloc;
        aRecords[aCurrent].aLength = pLength;
        return true;
    }

    unsigned long aSize;
    TChooser aChoose;
};

// The content of record pId: from offset 20 on, the byte at offset i is (pId * 31 + i) mod 256,
// so that records are told apart and every byte is checked with a few memcmp calls.
inline const uint8_t* PatternAt(int pId, unsigned long pOffset) {
    static const std::vector<uint8_t> theRamp = [] {
        std::vector<uint8_t> ramp(512);
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = uint8_t(i);
        return ramp;
    }();
    return theRamp.data() + uint8_t(pId * 31 + int(pOffset));
}

inline void FillPattern(uint8_t* pRecord, int pId, unsigned long pLength) {
    for (unsigned long i = 20; i < pLength; i += 256)
        std::memcpy(pRecord + i, PatternAt(pId, i), std::min(256ul, pLength - i));
}

inline bool HasPattern(const uint8_t* pRecord, int pId, unsigned long pLength) {
    for (unsigned long i = 20; i < pLength; i += 256)
        if (std::memcmp(pRecord + i, PatternAt(pId, i), std::min(256ul, pLength - i)) != 0)
            return false;
    return true;
}

// Drives a buffer and the model together; Step returns the first disagreement or broken
// invariant, or the empty text.
class THarness : public TUndoBuffer::IListener {
public:
    THarness(unsigned long pSize, TChooser pChoose)
        : aBuffer(pSize), aModel(pSize, pChoose), aChoose(pChoose) {
        aBuffer.RegisterListener(this);
        for (int slot = 0; slot < 4; ++slot)
            aSlots.push_back(NewUndoer());
    }

    std::string Step() {
        // The model goes first: it decides what each owner does when the buffer calls it.
        const unsigned operation = aChoose(100);
        if (operation < 35) {
            Store();
        } else if (operation < 55) {
            const bool expected = aModel.Undo();
            Check(aBuffer.Undo() == expected, "undo result");
        } else if (operation < 70) {
            aModel.Redo();
            aBuffer.Redo();
        } else if (operation < 78) {
            aModel.AltRedo();
            aBuffer.AltRedo();
        } else if (operation < 86) {
            Labels();
        } else if (operation < 94) {
            Marks(operation % 3);
        } else if (operation < 99) {
            ReplaceUndoer(aChoose(unsigned(aSlots.size())));
        } else {
            aModel.Reset();
            aBuffer.init();
        }
        Compare();
        return aError;
    }

    void OnUndoStateChange(bool pActionOpen) override { aNotices.push_back(pActionOpen); }

private:
    class TFakeUndoer : public TUndoer {
    public:
        TFakeUndoer(THarness* pHarness, int pSerial) : aHarness(pHarness), aSerial(pSerial) {}
        bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool pRedo) override {
            return aHarness->OnApply(pData, pBuffer, pRedo);
        }
        wxString UndoAction(TUndoData* pData, bool pRedo) override {
            return wxString::Format(pRedo ? "r%d" : "u%d", IdOf(pData));
        }
        THarness* aHarness;
        int aSerial;
    };

    static int IdOf(const TUndoer::TUndoData* pData) {
        int id;
        std::memcpy(&id, pData + 1, sizeof id);
        return id;
    }

    std::unique_ptr<TFakeUndoer> NewUndoer() {
        aModel.aAlive.push_back(true);
        return std::unique_ptr<TFakeUndoer>(new TFakeUndoer(this, int(aModel.aAlive.size()) - 1));
    }

    void ReplaceUndoer(unsigned pSlot) {
        aModel.aAlive[aSlots[pSlot]->aSerial] = false;
        aSlots[pSlot] = NewUndoer();
    }

    // Keeps the first failure; the text is made only then.
    void Check(bool pCondition, const char* pWhat, long pDetail = -1,
               const std::string& pMore = "") {
        if (!pCondition && aError.empty())
            aError = pWhat + (pDetail < 0 ? "" : " " + std::to_string(pDetail)) + pMore;
    }

    static void Fill(TUndoer::TUndoData* pData, int pId) {
        std::memcpy(pData + 1, &pId, sizeof pId);
        FillPattern(reinterpret_cast<uint8_t*>(pData), pId, pData->GetLength());
    }

    void Store() {
        TRecord record{++aNextId, 0, aModel.PickLength(64), aChoose(3) == 0,
                       aSlots[aChoose(unsigned(aSlots.size()))]->aSerial};
        record.aAlloc = (record.aLength + 3) & ~3ul;
        if (aChoose(8) == 0)
            record.aAlloc += 4 * aChoose(64); // room beyond the data
        if (aChoose(30) == 0)
            record.aAlloc -= 4 + 2 * aChoose(2); // length above the allocation, or unaligned
        std::vector<uint32_t> storage(record.aLength / 4 + 1);
        auto* data = reinterpret_cast<TUndoer::TUndoData*>(storage.data());
        data->aAllocSize = uint32_t(record.aAlloc);
        data->aLength =
            uint32_t(record.aLength) | (record.aNeutral ? TUndoer::UNDO_NEUTRAL_BIT : 0);
        data->aBackLink = 0xDEADBEEF;
        data->SetUndoer(OwnerOf(record.aOwner));
        Fill(data, record.aId);
        const bool accepted = aModel.Store(record);
        bool stored = true;
        try {
            aBuffer.StoreData(*data);
        } catch (const TError&) {
            stored = false;
        }
        Check(stored == accepted, "store accepted", stored);
    }

    TUndoer* OwnerOf(int pSerial) const {
        for (const auto& undoer : aSlots)
            if (undoer->aSerial == pSerial)
                return undoer.get();
        return nullptr;
    }

    bool OnApply(TUndoer::TUndoData* pData, TUndoBuffer* pBuffer, bool pRedo) {
        if (aModel.aCalls.empty()) {
            Check(false, "unexpected ApplyUndo");
            return false;
        }
        const TCall call = aModel.aCalls.front();
        aModel.aCalls.pop_front();
        Check(call.aId == IdOf(pData) && call.aRedo == pRedo && pBuffer == &aBuffer &&
                  aBuffer.IsUndoing(),
              "ApplyUndo of record", IdOf(pData));
        if (call.aResize != 0) {
            const bool resized = aBuffer.Resize(call.aResize);
            Check(resized == call.aResized, "resize to", long(call.aResize));
            if (resized)
                Fill(pData, call.aId);
        }
        return call.aResult;
    }

    void Labels() {
        wxString label;
        const bool redo = aChoose(2) == 1;
        const int id = redo ? aModel.FindRedo() : aModel.FindUndo();
        Check(aBuffer.UndoAction(label, redo) == (id >= 0), "label result");
        Check(label == (id < 0 ? (redo ? TUndoBuffer::theDefaultRedoAction
                                       : TUndoBuffer::theDefaultUndoAction)
                               : wxString::Format(redo ? "r%d" : "u%d", id)),
              "label text");
        const int alt = aModel.FindAltRedo();
        Check(aBuffer.AltRedoAction(label) == (alt >= 0), "alt label result");
        Check(label == "Alt " + (alt < 0 ? TUndoBuffer::theDefaultRedoAction
                                         : wxString::Format("r%d", alt)),
              "alt label text");
    }

    void Marks(unsigned pKind) {
        if (pKind == 0) {
            aBuffer.MarkCurrentState();
            aModel.aMark = aModel.aStored ? aModel.aCurrent : -1;
        } else if (pKind == 1) {
            aBuffer.ClearMark();
            aModel.aMark = -1;
        } else {
            aModel.aFixed = !aModel.aFixed;
            aBuffer.SetFixedMark(aModel.aFixed);
        }
    }

    int IndexOf(TUndoBuffer::TPosition pPosition,
                const std::vector<TUndoBuffer::TPosition>& pStarts) const {
        if (pPosition == TUndoBuffer::NO_POSITION)
            return -1;
        for (size_t k = 0; k < pStarts.size(); ++k)
            if (pStarts[k] == pPosition)
                return int(k);
        const auto* last =
            reinterpret_cast<const TUndoer::TUndoData*>(aBuffer.GetBlock() + aBuffer.GetLast());
        return pPosition == aBuffer.GetLast() + last->aAllocSize ? int(pStarts.size()) : -2;
    }

    void Compare() {
        Check(aModel.aCalls.empty(), "ApplyUndo calls missing");
        aModel.aCalls.clear();
        Check(aNotices == aModel.aNotices, "listener notices");
        aNotices.clear();
        aModel.aNotices.clear();
        const std::string broken = CheckUndoBuffer(aBuffer);
        if (!broken.empty())
            Check(false, "invariant:", -1, " " + broken);
        if (!aError.empty())
            return;
        Check(aModel.aStored == (aBuffer.GetCurrent() != TUndoBuffer::NO_POSITION), "stored");
        const std::vector<TUndoBuffer::TPosition> starts = UndoRecordStarts(aBuffer);
        Check(int(starts.size()) == aModel.Count(), "record count");
        for (size_t k = 0; k < starts.size() && aError.empty(); ++k) {
            const auto* data =
                reinterpret_cast<const TUndoer::TUndoData*>(aBuffer.GetBlock() + starts[k]);
            const TRecord& record = aModel.aRecords[k];
            Check(IdOf(data) == record.aId && data->aAllocSize == record.aAlloc &&
                      data->GetLength() == record.aLength && data->IsNeutral() == record.aNeutral,
                  "record", long(k));
            Check(data->GetUndoer() == OwnerOf(record.aOwner), "owner of record");
            Check(HasPattern(reinterpret_cast<const uint8_t*>(data), record.aId, data->GetLength()),
                  "content of record", long(k));
        }
        if (!aModel.aStored || !aError.empty())
            return;
        Check(IndexOf(aBuffer.GetCurrent(), starts) == aModel.aCurrent, "current");
        Check(IndexOf(aBuffer.GetMark(), starts) == aModel.aMark, "mark");
        Check(IndexOf(aBuffer.GetAltBranch(), starts) == aModel.aAltStart, "branch start");
        if (aModel.HasAlt())
            Check(IndexOf(aBuffer.GetAltBranch() + aBuffer.GetAltSize(), starts) == aModel.AltEnd(),
                  "branch end");
    }

    TUndoBuffer aBuffer;
    TModel aModel;
    TChooser aChoose;
    std::vector<std::unique_ptr<TFakeUndoer>> aSlots;
    std::vector<bool> aNotices;
    std::string aError;
    int aNextId = 0;
};

} // namespace NSUndoModel
