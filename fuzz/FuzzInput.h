// Shared by the fuzz targets: a check that stops the run, and the reader that turns the
// fuzzer's bytes into values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Stops the run on a broken property, so that the fuzzer keeps the input.
inline void Require(bool pCondition) {
    if (!pCondition)
        std::abort();
}

// Reads the input front to back; zeros once it runs out.
class TFuzzInput {
public:
    TFuzzInput(const uint8_t* pData, size_t pSize) : aData(pData), aLeft(pSize) {}

    bool Empty() const { return aLeft == 0; }
    unsigned Byte() { return Take<uint8_t>(); }
    // The next sizeof(T) bytes as they lie in memory; missing bytes are zero.
    template <typename T>
    T Take() {
        T value{};
        const size_t count = aLeft < sizeof value ? aLeft : sizeof value;
        std::memcpy(&value, aData, count);
        aData += count;
        aLeft -= count;
        return value;
    }
    template <typename T, size_t N>
    const T& Pick(const T (&pTable)[N]) {
        return pTable[Byte() % N];
    }

private:
    const uint8_t* aData;
    size_t aLeft;
};
