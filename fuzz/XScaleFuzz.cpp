// The time scale under arbitrary scales, positions and scrolls: no undefined arithmetic, no
// endless tick search, and the tick fields within their ranges after every step.
#include "DLL/Ctl/XScale.h"

#include <wx/debug.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool pCondition) {
    if (!pCondition)
        std::abort();
}

template <typename T>
T Take(const uint8_t*& pData, size_t& pSize) {
    T value{};
    const size_t count = pSize < sizeof value ? pSize : sizeof value;
    std::memcpy(&value, pData, count);
    pData += count;
    pSize -= count;
    return value;
}

void Check(const TZVXScale& pScale) {
    Require(pScale.aUnit >= 1 && pScale.aUnit <= 200000000);
    Require(pScale.aMajor == 10 * pScale.aUnit);
    Require(pScale.aScale > 0 && pScale.aInvScale > 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wxSetAssertHandler(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TZVXScale scale(Take<double>(pData, pSize));
    Check(scale);
    while (pSize > 0) {
        const uint8_t op = Take<uint8_t>(pData, pSize);
        if (op % 3 == 0) {
            const double factor = Take<double>(pData, pSize);
            const int position = Take<int32_t>(pData, pSize);
            if (scale.SetScale(factor, position, op & 8))
                Require(scale.aOrig % 16 == 0);
        } else if (op % 3 == 1) {
            scale.Scroll(Take<int32_t>(pData, pSize));
        } else {
            scale.updateUnit();
            Require(!scale.aDirty);
            Require(scale.aFirstIndex >= 0 && scale.aFirstIndex <= 9);
        }
        Check(scale);
    }
    return 0;
}
