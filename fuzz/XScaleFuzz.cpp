// The time scale under arbitrary scales, positions and scrolls: no undefined arithmetic, no
// endless tick search, and the tick fields within their ranges after every step.
#include "DLL/Ctl/XScale.h"
#include "FuzzInput.h"

#include <cstddef>
#include <cstdint>

namespace {

// The host's zoom may hand over any double; the scale refuses those it cannot use.
const TExpectedAsserts theExpected{"IsUsableScale(pScale)"};

void Check(const TZVXScale& pScale) {
    Require(pScale.aUnit >= 1 && pScale.aUnit <= 200000000);
    Require(pScale.aMajor == 10 * pScale.aUnit);
    Require(pScale.aScale > 0 && pScale.aInvScale > 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    TZVXScale scale(input.Take<double>());
    Check(scale);
    while (!input.Empty()) {
        const uint8_t op = input.Take<uint8_t>();
        if (op % 3 == 0) {
            const double factor = input.Take<double>();
            const int position = input.Take<int32_t>();
            if (scale.SetScale(factor, position, op & 8))
                Require(scale.aOrig % 16 == 0);
        } else if (op % 3 == 1) {
            scale.Scroll(input.Take<int32_t>());
        } else {
            scale.updateUnit();
            Require(!scale.aDirty);
            Require(scale.aFirstIndex >= 0 && scale.aFirstIndex <= 9);
        }
        Check(scale);
    }
    return 0;
}
