// TRefCounted, the reference-counted base of render streams, whose counts change from more
// than one thread, and TRefHolder, which drops one reference when it goes out of scope.
#pragma once

#include <atomic>
#include <cstdint>

class TRefCounted {
public:
    // A new object has count 0: its first holder calls AddRef, and the Release that
    // balances it deletes the object.
    TRefCounted() : aRefCount(0) {}
    TRefCounted(const TRefCounted&) = delete;
    TRefCounted& operator=(const TRefCounted&) = delete;
    virtual ~TRefCounted();

    // Takes a reference; returns the new count.
    virtual int32_t AddRef();
    // Drops a reference; returns the new count. The holder of the last reference deletes
    // the object (result 0); the decision and the decrement are one atomic step, so of two
    // threads releasing at once exactly one deletes. A release with no reference held is
    // reported ("aRefCount > 1") and deletes nothing.
    virtual int32_t Release();
    // The current count.
    virtual int32_t GetRefCount() const;

private:
    std::atomic<int32_t> aRefCount;
};

// Releases the held object, when there is one, when the holder is destroyed. Taking the
// reference is the caller's business.
class TRefHolder {
public:
    explicit TRefHolder(TRefCounted* pObject) : aObject(pObject) {}
    TRefHolder(const TRefHolder&) = delete;
    TRefHolder& operator=(const TRefHolder&) = delete;
    ~TRefHolder();

private:
    TRefCounted* aObject;
};
