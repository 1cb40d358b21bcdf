// ISizeHandleFactory, the maker of the size handle that edits a group of geometry parameters,
// and T32BoolArray, the flags that say which parameters of the group may be edited.
#pragma once

#include <cstdint>

class ISizeHandle;
class TScrollHelper;

// 32 flags in one word. Setting and clearing are atomic, so the waveform worker and the user
// interface thread may change different flags of one set; testing is a plain read.
class T32BoolArray {
public:
    explicit T32BoolArray(uint32_t pBits = 0) : aBits(pBits) {}

    void Set(int pIndex) { __atomic_fetch_or(&aBits, Bit(pIndex), __ATOMIC_SEQ_CST); }
    void Clear(int pIndex) { __atomic_fetch_and(&aBits, ~Bit(pIndex), __ATOMIC_SEQ_CST); }
    bool Test(int pIndex) const { return (aBits & Bit(pIndex)) != 0; }
    // Sets every flag of pMask, plainly.
    T32BoolArray& operator|=(uint32_t pMask) {
        aBits |= pMask;
        return *this;
    }
    uint32_t GetBits() const { return aBits; }

private:
    // pIndex is 0 to 31.
    static uint32_t Bit(int pIndex) { return uint32_t(1) << (pIndex & 31); }

    uint32_t aBits;
};

class ISizeHandleFactory {
public:
    // Makes the handle (deleting the current one) over the two scroll axes.
    virtual ISizeHandle* CreateSizeHandle(TScrollHelper& pXScroll,
                                          TScrollHelper& pYScroll) const = 0;

protected:
    // Factories belong to the modules that make them.
    ~ISizeHandleFactory() = default;
};
