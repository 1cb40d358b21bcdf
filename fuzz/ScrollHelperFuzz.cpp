// The scroll axis arithmetic under arbitrary sizes, margins and scrolls, against a stand-in
// bar: no undefined arithmetic, an even range, and a thumb inside it.
#include "DLL/Ctl/ScrollHelper.h"
#include "FuzzInput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Keeps the thumb within 0 to range - thumb size, as a scroll bar does.
class TBar {
public:
    bool IsEnabled() const { return aEnabled; }
    int GetThumbPosition() const { return aPosition; }
    void SetThumbPosition(int pPosition) { aPosition = Clamp(pPosition); }
    void SetScrollbar(int pPosition, int pThumb, int pRange, int, bool) {
        aThumb = pThumb;
        aRange = pRange;
        aPosition = Clamp(pPosition);
    }
    bool Show(bool) { return true; }
    bool Enable(bool pEnable) {
        aEnabled = pEnable;
        return true;
    }

    bool aEnabled = true;
    int aPosition = 0, aThumb = 0, aRange = 0;

private:
    int Clamp(int pPosition) const {
        const int64_t top = std::max<int64_t>(int64_t(aRange) - aThumb, 0);
        return int(std::clamp<int64_t>(pPosition, 0, top));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    TBar bar;
    TScrollAxis<TBar> axis(&bar);
    // The owner sizes the axis before anything else reads the bar.
    for (uint8_t op = 0;;) {
        switch (op % 5) {
        case 0:
            axis.aViewSize = input.Take<int32_t>();
            axis.aContentSize = input.Take<int32_t>();
            axis.aHideBar = op & 8;
            axis.setScroll();
            break;
        case 1: {
            const int before = input.Take<int32_t>();
            axis.SetMargin(before, input.Take<int32_t>());
            break;
        }
        case 2:
            axis.Scroll(input.Take<int32_t>());
            break;
        case 3:
            bar.SetThumbPosition(input.Take<int32_t>());
            break;
        default:
            axis.ComputeScroll();
            break;
        }
        Require(axis.aRange % 2 == 0);
        Require(bar.aEnabled == axis.aBarNeeded);
        Require(!axis.aBarNeeded || (bar.aPosition >= 0 && bar.aPosition <= axis.aRange));
        if (input.Empty())
            break;
        op = input.Take<uint8_t>();
    }
    return 0;
}
