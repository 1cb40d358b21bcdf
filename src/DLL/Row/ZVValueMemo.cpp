#include "DLL/Row/ZVValueMemo.h"

#include <algorithm>
#include <utility>

const TZVValueMemo::TKnown* TZVValueMemo::Find(const void* pSource, double pTime) const {
    if (aCount == 0)
        return nullptr;
    const TSlot& slot = aSlots[SlotOf(pSource, DoubleToBits(pTime))];
    return IsUsed(slot) ? &slot.aKnown : nullptr;
}

void TZVValueMemo::Keep(const void* pSource, double pTime, const TVariant& pValue,
                        double pEndTime) {
    // At most half full, so that a search soon meets a free slot.
    if (2 * (aCount + 1) > aSlots.size())
        Grow();
    const uint64_t timeBits = DoubleToBits(pTime);
    TSlot& slot = aSlots[SlotOf(pSource, timeBits)];
    if (!IsUsed(slot)) {
        ++aCount;
        slot.aSource = pSource;
        slot.aTimeBits = timeBits;
        slot.aStamp = aStamp;
    }
    slot.aKnown.aValue = pValue;
    slot.aKnown.aEndTime = pEndTime;
}

void TZVValueMemo::Clear() {
    if (aCount == 0)
        return;
    aCount = 0;
    if (++aStamp != 0)
        return;
    // The stamps went round: no slot may keep one that could come back.
    for (TSlot& slot : aSlots)
        slot.aStamp = 0;
    aStamp = 1;
}

void TZVValueMemo::Grow() {
    std::vector<TSlot> old(std::max<size_t>(64, 2 * aSlots.size()));
    old.swap(aSlots);
    for (TSlot& slot : old)
        if (IsUsed(slot))
            aSlots[SlotOf(slot.aSource, slot.aTimeBits)] = std::move(slot);
}

size_t TZVValueMemo::SlotOf(const void* pSource, uint64_t pTimeBits) const {
    const size_t mask = aSlots.size() - 1;
    // The product's top bits mix every bit of the address and of the time.
    const uint64_t key = uint64_t(uintptr_t(pSource)) ^ (pTimeBits * 0xC2B2AE3D27D4EB4Full);
    size_t slot = size_t((key * 0x9E3779B97F4A7C15ull) >> 40) & mask;
    while (IsUsed(aSlots[slot]) &&
           (aSlots[slot].aSource != pSource || aSlots[slot].aTimeBits != pTimeBits))
        slot = (slot + 1) & mask;
    return slot;
}
