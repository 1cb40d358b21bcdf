// TZVValueMemo: the values that the formulas of one evaluation gave, by formula and time, so
// that a row read many times in one evaluation (a chain of rows each reading the one before
// twice) is computed once for each time it is read at instead of once for each path to it.
#pragma once

#include "ALL/Variant.h"

#include <cstdint>
#include <vector>

class TZVValueMemo {
public:
    // What computing a formula at a time gave: its value, and the time of evaluation it left
    // the formula context at (a composite row reads its components at the whole time).
    struct TKnown {
        TVariant aValue;
        double aEndTime;
    };

    // What pSource gave at pTime (compared bit for bit) since the last Clear; null when
    // nothing is kept. Valid until the next Keep or Clear.
    const TKnown* Find(const void* pSource, double pTime) const;
    // Keeps what pSource gave at pTime.
    void Keep(const void* pSource, double pTime, const TVariant& pValue, double pEndTime);
    // Forgets every value kept.
    void Clear();

private:
    struct TSlot {
        const void* aSource = nullptr;
        uint64_t aTimeBits = 0;
        // The slot holds a value when its stamp is the memo's.
        uint32_t aStamp = 0;
        TKnown aKnown{TVariant(), 0.0};
    };

    // The slot of (pSource, pTimeBits), or the free one where it would go.
    size_t SlotOf(const void* pSource, uint64_t pTimeBits) const;
    bool IsUsed(const TSlot& pSlot) const { return pSlot.aStamp == aStamp; }
    void Grow();

    std::vector<TSlot> aSlots;
    size_t aCount = 0;
    // Clear starts a new stamp instead of visiting every slot.
    uint32_t aStamp = 1;
};
