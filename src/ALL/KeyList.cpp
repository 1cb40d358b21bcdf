#include "ALL/KeyList.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"

#include <cstring>
#include <type_traits>

// A position is the set iterator's own bits: one word, no look-up to step.
static_assert(sizeof(TKeyList::const_iterator) == sizeof(ITimeList::TPosition),
              "a key list position must fit one word");
static_assert(std::is_trivially_copyable<TKeyList::const_iterator>::value,
              "a key list position must be copyable as bits");

TKeyList::~TKeyList() = default;

bool TKeyList::AddCount(const TStreamKey& pKey, int pChange) {
    // One search serves both the look-up and the insertion.
    iterator Key = lower_bound(pKey);
    const bool found = Key != end() && !(pKey < *Key);
    if (pChange >= 1) {
        if (!found) {
            emplace_hint(Key, pKey.aTime, pChange);
            return true;
        }
        Key->aCount = SaturateToInt(int64_t(Key->aCount) + pChange);
        return false;
    }
    if (!found)
        Key = end();
    if (!ZV_ASSERT(Key != end()))
        return false;
    Key->aCount = SaturateToInt(int64_t(Key->aCount) + pChange);
    if (Key->aCount != 0)
        return false;
    erase(Key);
    return true;
}

void TKeyList::GetRange(TRange& pRange) const {
    if (empty()) {
        pRange.aEnd = pRange.aBegin;
        return;
    }
    pRange.aBegin = begin()->aTime;
    pRange.aEnd = rbegin()->aTime;
}

ITimeList::TPosition TKeyList::GetFirst() const {
    return ToPosition(begin());
}

ITimeList::TPosition TKeyList::GetEnd() const {
    return ToPosition(end());
}

ITimeList::TPosition TKeyList::GetFirstFrom(long pTime) const {
    return ToPosition(lower_bound(TStreamKey(pTime)));
}

ITimeList::TPosition TKeyList::GetNext(TPosition& pPos) const {
    pPos = ToPosition(++FromPosition(pPos));
    return pPos;
}

ITimeList::TPosition TKeyList::GetPrev(TPosition& pPos) const {
    pPos = ToPosition(--FromPosition(pPos));
    return pPos;
}

long TKeyList::GetTime(TPosition pPos) const {
    return FromPosition(pPos)->aTime;
}

ITimeList::TPosition TKeyList::ToPosition(const_iterator pIt) {
    TPosition pos;
    std::memcpy(&pos, &pIt, sizeof pos);
    return pos;
}

TKeyList::const_iterator TKeyList::FromPosition(TPosition pPos) {
    const_iterator it;
    // Trivially copyable (checked above): its bits may be written directly.
    std::memcpy(static_cast<void*>(&it), &pPos, sizeof it);
    return it;
}

IKeyPropagator::~IKeyPropagator() = default;
