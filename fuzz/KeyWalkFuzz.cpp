// The key walk of the key drawing under arbitrary keys, selections, scales, origins, bounds
// and switches, checked against the selection rule itself: a key is in a range when
// begin <= t <= end, or begin <= t < end when the host selects keys. Without the selected-only
// switch every key from the walk's first time up to the first one beyond its last pixel is
// handed on at its pixel, highlighted exactly when asked for and in a range; with it, the keys
// handed on are the first of those in a range, at their pixels, none passed over.
#include "ALL/KeyList.h"
#include "DLL/Ctl/KeyDrawingContext.h"
#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Ctl/XScale.h"
#include "FuzzInput.h"

#include <wx/string.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

class TSelection : public ITimeSelection {
public:
    const TRangeList& GetRangeList() const override { return aRanges; }
    bool IsKeySelMode() const override { return aKeySelMode; }

    TRangeList aRanges;
    bool aKeySelMode = false;
};

struct TKey {
    int aX;
    bool aHighlighted;
    bool operator==(const TKey& pOther) const {
        return aX == pOther.aX && aHighlighted == pOther.aHighlighted;
    }
};

class TRecorder : public TZVKeyWalk::IVisitor {
public:
    void OnKey(int pX, bool pHighlighted) override { aKeys.push_back({pX, pHighlighted}); }
    std::vector<TKey> aKeys;
};

bool IsIn(const TSelection& pSelection, long pTime) {
    for (const TRange& range : pSelection.aRanges)
        if (range.aBegin <= pTime &&
            (pSelection.aKeySelMode ? pTime < range.aEnd : pTime <= range.aEnd))
            return true;
    return false;
}

// t x scale to the nearest (ties to even), less the origin, held in the 32-bit range.
int Pixel(const TZVXScale& pScale, long pTime) {
    const double product = std::nearbyint(double(pTime) * pScale.aScale);
    const double bound = 4294967296.0;
    const int64_t pixel = int64_t(std::clamp(product, -bound, bound)) - pScale.aOrig;
    return int(std::clamp<int64_t>(pixel, INT32_MIN, INT32_MAX));
}

// Selected ranges in time order, not overlapping, up to the open end.
void ReadSelection(TFuzzInput& pInput, TSelection& pSelection) {
    int64_t time = pInput.Take<int32_t>();
    for (unsigned count = pInput.Byte() % 8; count > 0 && time <= INT32_MAX; --count) {
        const int64_t begin = time + pInput.Take<uint16_t>() % 64;
        const int64_t end = std::min<int64_t>(begin + pInput.Take<uint16_t>() % 64, INT32_MAX);
        if (begin > end)
            break;
        pSelection.aRanges.push_back(TRange(begin, end));
        time = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    const unsigned switches = input.Byte();
    const bool inPixels = switches & 1, selOnly = switches & 2, highlight = switches & 4;
    double factor = input.Take<double>();
    if (!(factor > 0 && std::isfinite(factor) && std::isfinite(1 / factor)))
        factor = 1;
    TZVXScale scale(factor);
    scale.aOrig = input.Take<int32_t>();
    const int minX = input.Take<int32_t>(), maxX = input.Take<int32_t>();
    const TRange range(input.Take<int32_t>(), input.Take<int32_t>());

    TSelection selection;
    selection.aKeySelMode = switches & 8;
    ReadSelection(input, selection);
    ITimeSelection::theSingleton = &selection;
    TKeyList keys;
    long time = input.Take<int32_t>();
    while (!input.Empty()) {
        keys.AddCount(TStreamKey(time), 1);
        time = std::min<long>(time + input.Take<uint16_t>() % 256, INT32_MAX);
    }

    TZVKeyWalk walk(scale, minX, maxX, selOnly);
    walk.UpdateRange(range, inPixels);
    TRecorder recorder;
    walk.Walk(keys, highlight, recorder);

    // The keys from the walk's first time up to the first beyond its last pixel; with the
    // selected-only switch, those in a range.
    std::vector<TKey> model;
    if (!walk.aNoKeys)
        for (auto key = keys.lower_bound(TStreamKey(walk.aFirstTime)); key != keys.end(); ++key) {
            const int x = Pixel(scale, key->aTime);
            if (x > walk.aLastX)
                break;
            const bool in = IsIn(selection, key->aTime);
            if (in || !selOnly)
                model.push_back({x, selOnly ? highlight : highlight && in});
        }
    // Selected only, the walk stops at the end of the ranges it consults, which lie beyond
    // the range being drawn: it gives the model's first keys.
    if (selOnly)
        model.resize(std::min(model.size(), recorder.aKeys.size()));
    Require(recorder.aKeys == model);
    ITimeSelection::theSingleton = nullptr;
    return 0;
}
