// The scroll axis arithmetic under arbitrary sizes, margins and scrolls, against a stand-in
// bar: no undefined arithmetic, an even range, and a thumb inside it.
#include "DLL/Ctl/ScrollHelper.h"

#include <wx/debug.h>

#include <algorithm>
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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wxSetAssertHandler(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TBar bar;
    TScrollAxis<TBar> axis(&bar);
    bool configured = false;
    while (pSize > 0) {
        const uint8_t op = Take<uint8_t>(pData, pSize);
        switch (op % 5) {
        case 0:
            axis.aViewSize = Take<int32_t>(pData, pSize);
            axis.aContentSize = Take<int32_t>(pData, pSize);
            axis.aHideBar = op & 8;
            axis.setScroll();
            configured = true;
            break;
        case 1: {
            const int before = Take<int32_t>(pData, pSize);
            axis.SetMargin(before, Take<int32_t>(pData, pSize));
            break;
        }
        case 2:
            axis.Scroll(Take<int32_t>(pData, pSize));
            break;
        case 3:
            bar.SetThumbPosition(Take<int32_t>(pData, pSize));
            break;
        default:
            axis.ComputeScroll();
            break;
        }
        Require(axis.aRange % 2 == 0);
        Require(!configured || bar.aEnabled == axis.aBarNeeded);
        Require(!axis.aBarNeeded || (bar.aPosition >= 0 && bar.aPosition <= axis.aRange));
    }
    return 0;
}
