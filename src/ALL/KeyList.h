// Key times: ITimeList, the read interface through which key drawing and rows walk any list
// of key times; TKeyList, a row's set of key times with the number of sources that put a
// key there; IKeyPropagator, the callback that hands key times one by one to a collector.
#pragma once

#include "ALL/Range.h"

#include <cstdint>
#include <set>

// A list of key times walked by position. Positions are opaque one-word values chosen by
// the implementation; GetEnd is the position after the last key.
class ITimeList {
public:
    typedef uintptr_t TPosition;

    virtual TPosition GetFirst() const = 0;
    virtual TPosition GetEnd() const = 0;
    // The first position whose time is at or after pTime, else GetEnd().
    virtual TPosition GetFirstFrom(long pTime) const = 0;
    // Steps pPos forward in place and returns it; pPos must not be GetEnd().
    virtual TPosition GetNext(TPosition& pPos) const = 0;
    // Steps pPos back in place and returns it; pPos must not be GetFirst().
    virtual TPosition GetPrev(TPosition& pPos) const = 0;
    // The time at pPos, which must not be GetEnd().
    virtual long GetTime(TPosition pPos) const = 0;

protected:
    // Lists are not deleted through this interface.
    ~ITimeList() = default;
};

// A key time and how many sources put a key there. Ordered by time alone.
struct TStreamKey {
    TStreamKey(long pTime = 0, int pCount = 0) : aTime(pTime), aCount(pCount) {}
    bool operator<(const TStreamKey& pOther) const { return aTime < pOther.aTime; }

    long aTime;
    // The count is not part of the ordering, so it may change inside a set.
    mutable int aCount;
};

// One entry per distinct time, ascending; no stored key has count 0.
class TKeyList : public std::set<TStreamKey>, public ITimeList {
public:
    virtual ~TKeyList();

    // Adds pChange to the count at pKey's time (pKey's own count is not used). A positive
    // change inserts an absent time. A change of 0 or less needs the time present ("Key !=
    // end()" is reported otherwise and nothing changes) and removes it when its count
    // reaches 0. True when a time was inserted or removed.
    bool AddCount(const TStreamKey& pKey, int pChange);
    // A non-empty list sets pRange to (first time, last time); an empty one sets
    // pRange.aEnd to pRange.aBegin.
    void GetRange(TRange& pRange) const;

    TPosition GetFirst() const override;
    TPosition GetEnd() const override;
    TPosition GetFirstFrom(long pTime) const override;
    TPosition GetNext(TPosition& pPos) const override;
    TPosition GetPrev(TPosition& pPos) const override;
    long GetTime(TPosition pPos) const override;

private:
    static TPosition ToPosition(const_iterator pIt);
    static const_iterator FromPosition(TPosition pPos);
};

// Receives key times one by one with the change of their count.
class IKeyPropagator {
public:
    virtual void Propagate(long pTime, int pChange) = 0;
    virtual ~IKeyPropagator();
};
