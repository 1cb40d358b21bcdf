// A plain list model of the undo history, and a harness that drives a TUndoBuffer and the
// model with the same random operations (stores of every kind and size, undos and redos whose
// owner resizes the record or refuses, alternative redos, marks) and compares the whole
// states after every step. Shared by the model test and a fuzz target.
#pragma once

#include "UndoBufferCheck.h"

#include "ALL/Error.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace NSUndoModel {

// A number below pBound (pBound > 0): the source of every decision.
typedef std::function<unsigned(unsigned)> TChooser;
// A whole state as numbers: count, current, mark, branch start and end (-1 for none), then
// per record id, allocation, length, neutral, and 1 for the right owner and content.
typedef std::vector<long long> TImage;

struct TRecord {
    int aId;
    unsigned long aAlloc, aLength;
    bool aNeutral;
};

// One ApplyUndo call as the model made it, for the buffer's run to repeat.
struct TCall {
    int aId;
    bool aRedo, aResult, aResized;
    unsigned long aResize; // 0: no resize
};

// The history as a list, newest first. A state is an index: record k, or the record count for
// the state before every record; -1 is none (the current state before the first store).
class TModel {
public:
    TModel(unsigned long pSize, TChooser pChoose) : aSize(pSize), aChoose(pChoose) {}

    std::deque<TCall> aCalls;
    bool aFixed = false;
    int aCurrent = -1, aMark = -1;

    TImage Image() const {
        TImage image = {Count(), aCurrent, aMark, aAltStart, HasAlt() ? AltEnd() : -1};
        for (const TRecord& record : aRecords)
            image.insert(image.end(), {record.aId, (long long)record.aAlloc,
                                       (long long)record.aLength, record.aNeutral, 1});
        return image;
    }

    // False when the buffer must refuse the record.
    bool Store(const TRecord& pRecord) {
        if (pRecord.aAlloc > aSize || pRecord.aAlloc < 16 || pRecord.aAlloc % 4 != 0 ||
            pRecord.aLength > pRecord.aAlloc || pRecord.aLength < 16)
            return false;
        const int entry = aCurrent;
        const bool markOnCurrent = aMark == entry;
        const bool follows = pRecord.aNeutral && markOnCurrent && !aFixed;
        if (follows)
            aMark = -1;
        if (pRecord.aNeutral && entry > (HasAlt() ? aAltStart : 0)) {
            // The undone records become the branch, or join it.
            aAltStart = HasAlt() ? aAltStart : 0;
            aAltCount = entry - aAltStart;
            aCurrent = aAltStart;
        } else if (!pRecord.aNeutral && HasAlt()) {
            if (entry < aAltStart) {
                if (aMark >= aAltStart)
                    aMark = aMark < AltEnd() ? -1 : aMark - aAltCount;
                aRecords.erase(aRecords.begin() + aAltStart, aRecords.begin() + AltEnd());
            }
            aAltStart = -1;
        }
        if (aCurrent >= 0 && aCurrent < Count() &&
            DropToFit((long long)pRecord.aAlloc - Pos(aCurrent), 0) && Forget()) {
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
        if (follows)
            aMark = 0;
        return true;
    }

    bool Undo() {
        if (aCurrent < 0 || aCurrent >= Count())
            return false;
        const bool result = Apply(false);
        if (result && aCurrent < Count())
            StepUndone();
        return result;
    }

    void Redo() {
        if (aCurrent <= 0)
            return;
        const bool markFollows = aMark == aCurrent;
        aCurrent = (HasAlt() && aCurrent == AltEnd() ? aAltStart : aCurrent) - 1;
        Apply(true);
        if (markFollows && aCurrent < Count() && aRecords[aCurrent].aNeutral)
            aMark = aCurrent;
    }

    void AltRedo() {
        while (HasAlt() && aCurrent < aAltStart && Undo()) {
        }
        if (!HasAlt() || aCurrent != AltEnd())
            return;
        aRecords.erase(aRecords.begin(), aRecords.begin() + aAltStart);
        if (aMark >= 0)
            aMark = aMark < aAltStart ? aAltCount : aMark - aAltStart;
        aCurrent = aAltCount;
        aAltStart = -1;
        Redo();
    }

    // Mostly small, sometimes up to past the block, sometimes near pNear.
    unsigned long PickLength(unsigned long pNear) {
        const unsigned kind = aChoose(8);
        if (kind < 3)
            return 20 + aChoose(44);
        if (kind < 5)
            return 20 + aChoose(unsigned(kind == 3 ? aSize / 8 + 1 : aSize + 16));
        if (kind == 5)
            return aSize > 28 ? aSize - aChoose(8) : 20;
        return std::max(20l, long(pNear) + long(aChoose(161)) - 80);
    }

private:
    int Count() const { return int(aRecords.size()); }
    bool HasAlt() const { return aAltStart >= 0; }
    int AltEnd() const { return aAltStart + aAltCount; }
    long long Pos(int pIndex) const {
        long long position = 0;
        for (int i = 0; i < pIndex; ++i)
            position += aRecords[i].aAlloc;
        return position;
    }

    // Drops the oldest records, never the current one, while the kept data would end past the
    // block: moved by pGrowth, or at pResized when the current record is the oldest.
    bool DropToFit(long long pGrowth, unsigned long pResized) {
        const auto end = [&] {
            return pResized != 0 && aCurrent == Count() - 1
                       ? Pos(aCurrent) + (long long)pResized
                       : Pos(Count() - 1) + (long long)aRecords.back().aLength + pGrowth;
        };
        while (Count() - 1 > aCurrent && end() > (long long)aSize)
            aRecords.pop_back();
        return end() <= (long long)aSize;
    }

    // After drops a branch cut short goes whole (false when it began at the current record)
    // and a mark past the end goes.
    bool Forget() {
        if (HasAlt() && AltEnd() > Count()) {
            if (aAltStart == aCurrent)
                return false;
            aRecords.resize(std::min(aAltStart, Count()));
            aAltStart = -1;
        }
        if (aMark > Count())
            aMark = -1;
        return true;
    }

    void StepUndone() {
        const bool follow = aMark == aCurrent && aRecords[aCurrent].aNeutral;
        if (++aCurrent == aAltStart)
            aCurrent = AltEnd();
        if (follow)
            aMark = aCurrent;
    }

    bool Apply(bool pRedo) {
        TCall call{aRecords[aCurrent].aId, pRedo, true, false, 0};
        if (aChoose(3) == 0) {
            call.aResize = PickLength(aRecords[aCurrent].aLength);
            call.aResized = Resize(call.aResize);
        }
        call.aResult = aChoose(8) != 0;
        aCalls.push_back(call);
        return call.aResult;
    }

    bool Resize(unsigned long pLength) {
        TRecord& record = aRecords[aCurrent];
        unsigned long alloc = (pLength + 3) & ~3ul;
        if (pLength == record.aLength || alloc > aSize)
            return pLength == record.aLength;
        if (alloc <= record.aAlloc && record.aAlloc - alloc < std::max(aSize / 1024, 1ul))
            alloc = record.aAlloc; // a small shrink moves nothing
        const bool fits = (alloc <= record.aAlloc && aCurrent < Count() - 1) ||
                          DropToFit((long long)alloc - (long long)record.aAlloc, pLength);
        if (!fits)
            aRecords.resize(aCurrent); // the record goes with the older ones
        Forget();
        if (fits)
            record = {record.aId, alloc, pLength, record.aNeutral};
        return fits;
    }

    unsigned long aSize;
    TChooser aChoose;
    std::vector<TRecord> aRecords;
    int aAltStart = -1, aAltCount = 0;
};

// Drives a buffer and the model together; the owner of every record.
class THarness : public TUndoer {
public:
    THarness(unsigned long pSize, TChooser pChoose)
        : aBuffer(pSize), aModel(pSize, pChoose), aChoose(pChoose) {}

    // One random operation; the first disagreement or broken invariant so far, or the empty
    // text. The model goes first: it decides what the owner does when the buffer calls it.
    std::string Step() {
        const unsigned operation = aChoose(100);
        if (operation < 40) {
            Store();
        } else if (operation < 60) {
            const bool expected = aModel.Undo();
            if (aBuffer.Undo() != expected)
                Fail("undo result");
        } else if (operation < 75) {
            aModel.Redo();
            aBuffer.Redo();
        } else if (operation < 84) {
            aModel.AltRedo();
            aBuffer.AltRedo();
        } else if (operation < 92) {
            aModel.aMark = operation % 2 == 0 ? aModel.aCurrent : -1;
            operation % 2 == 0 ? aBuffer.MarkCurrentState() : aBuffer.ClearMark();
        } else {
            aModel.aFixed = !aModel.aFixed;
            aBuffer.SetFixedMark(aModel.aFixed);
        }
        Compare();
        return aError;
    }

private:
    // A record holds its id at offset 16; from offset 20 on, the byte at offset i is
    // (id * 31 + i) mod 256, so that a byte moved or lost anywhere is seen. It is copied and
    // compared from a ramp, 256 bytes at a time.
    static int IdOf(const TUndoer::TUndoData* pData) {
        int id;
        std::memcpy(&id, pData + 1, sizeof id);
        return id;
    }
    static const uint8_t* Ramp(int pId, unsigned long pOffset) {
        static const std::vector<uint8_t> theRamp = [] {
            std::vector<uint8_t> ramp(512);
            std::iota(ramp.begin(), ramp.end(), uint8_t(0));
            return ramp;
        }();
        return theRamp.data() + uint8_t(pId * 31 + int(pOffset));
    }
    static void Fill(TUndoer::TUndoData* pData, int pId) {
        std::memcpy(pData + 1, &pId, sizeof pId);
        for (unsigned long i = 20; i < pData->GetLength(); i += 256)
            std::memcpy(reinterpret_cast<uint8_t*>(pData) + i, Ramp(pId, i),
                        std::min(256ul, pData->GetLength() - i));
    }
    static bool HasPattern(const TUndoer::TUndoData& pData) {
        for (unsigned long i = 20; i < pData.GetLength(); i += 256)
            if (std::memcmp(reinterpret_cast<const uint8_t*>(&pData) + i, Ramp(IdOf(&pData), i),
                            std::min(256ul, pData.GetLength() - i)) != 0)
                return false;
        return true;
    }

    void Fail(const std::string& pWhat) {
        if (aError.empty())
            aError = pWhat;
    }

    void Store() {
        TRecord record{++aNextId, 0, aModel.PickLength(64), aChoose(3) == 0};
        record.aAlloc = (record.aLength + 3) & ~3ul;
        if (aChoose(8) == 0)
            record.aAlloc += 4 * aChoose(64); // room beyond the data
        if (aChoose(30) == 0)
            record.aAlloc -= 4 + 2 * aChoose(2); // the length above the allocation, or unaligned
        std::vector<uint32_t> storage(record.aLength / 4 + 1);
        auto* data = reinterpret_cast<TUndoer::TUndoData*>(storage.data());
        *data = {uint32_t(record.aAlloc),
                 uint32_t(record.aLength) | (record.aNeutral ? TUndoer::UNDO_NEUTRAL_BIT : 0),
                 0xDEADBEEF, GetHandle()};
        Fill(data, record.aId);
        const bool accepted = aModel.Store(record);
        try {
            aBuffer.StoreData(*data);
            if (!accepted)
                Fail("record accepted");
        } catch (const TError&) {
            if (accepted)
                Fail("record refused");
        }
    }

    bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool pRedo) override {
        if (aModel.aCalls.empty()) {
            Fail("unexpected ApplyUndo");
            return false;
        }
        const TCall call = aModel.aCalls.front();
        aModel.aCalls.pop_front();
        if (call.aId != IdOf(pData) || call.aRedo != pRedo || pBuffer != &aBuffer ||
            !aBuffer.IsUndoing())
            Fail("ApplyUndo of record " + std::to_string(IdOf(pData)));
        if (call.aResize != 0) {
            const bool resized = aBuffer.Resize(call.aResize);
            if (resized != call.aResized)
                Fail("resize to " + std::to_string(call.aResize));
            if (resized)
                Fill(pData, call.aId);
        }
        return call.aResult;
    }

    // The buffer's state as the model's; its positions are on record boundaries.
    TImage Image() const {
        const std::vector<TUndoBuffer::TPosition> starts = UndoRecordStarts(aBuffer);
        const auto index = [&](TUndoBuffer::TPosition pPosition) {
            return pPosition == TUndoBuffer::NO_POSITION
                       ? -1
                       : std::lower_bound(starts.begin(), starts.end(), pPosition) - starts.begin();
        };
        const TUndoBuffer::TPosition branch = aBuffer.GetAltBranch();
        TImage image = {(long long)starts.size(), index(aBuffer.GetCurrent()),
                        index(aBuffer.GetMark()), index(branch),
                        branch == TUndoBuffer::NO_POSITION ? -1
                                                           : index(branch + aBuffer.GetAltSize())};
        for (TUndoBuffer::TPosition position : starts) {
            const TUndoer::TUndoData& data = UndoRecordAt(aBuffer, position);
            image.insert(image.end(),
                         {IdOf(&data), data.aAllocSize, (long long)data.GetLength(),
                          data.IsNeutral(), data.GetUndoer() == this && HasPattern(data)});
        }
        return image;
    }

    void Compare() {
        if (!aModel.aCalls.empty())
            Fail("ApplyUndo calls missing");
        aModel.aCalls.clear();
        const std::string broken = CheckUndoBuffer(aBuffer);
        if (!broken.empty())
            return Fail("invariant: " + broken);
        const TImage images[] = {Image(), aModel.Image()};
        if (images[0] == images[1])
            return;
        std::string text[2];
        for (int i = 0; i < 2; ++i)
            for (long long number : images[i])
                text[i] += std::to_string(number) + " ";
        Fail("buffer " + text[0] + "\nmodel  " + text[1]);
    }

    TUndoBuffer aBuffer;
    TModel aModel;
    TChooser aChoose;
    std::string aError;
    int aNextId = 0;
};

} // namespace NSUndoModel
