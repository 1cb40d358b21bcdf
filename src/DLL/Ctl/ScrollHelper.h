// TScrollHelper: one scroll axis of a host view whose content is laid out in pixels. The bar
// counts in units of 16 pixels; while the content with its margins fits the view the bar is
// not needed and the content sits centred (moved away from the larger margin's side when only
// that margin would not fit); once needed, the thumb runs over the content plus a margin on
// each side and gives the pixel position of the content in the view.
//
// The arithmetic lives in TScrollAxis, a template over the bar type, so that it runs against a
// stand-in bar as well as a wxScrollBar. A bar type offers IsEnabled(), GetThumbPosition(),
// SetThumbPosition(int), SetScrollbar(position, thumb size, range, page size, refresh),
// Show(bool) and Enable(bool), as wxScrollBar does.
#pragma once

#include "ALL/Assert.h"
#include "ALL/Number.h"

#include <algorithm>
#include <cstdint>

class wxScrollBar;

template <typename TBar>
class TScrollAxis {
public:
    // An axis of no size on pScrollBar (not owned; it may be set later): range 0, bar not
    // needed, no margins.
    explicit TScrollAxis(TBar* pScrollBar = nullptr, bool pHideBar = false)
        : aScrollBar(pScrollBar), aViewSize(0), aContentSize(0), aRange(0), aOrig(0), aEnd(0),
          aMarginBefore(0), aMarginAfter(0), aHideBar(pHideBar), aBarNeeded(false) {}

    // Reconfigures the bar after the owner changed aViewSize, aContentSize or aHideBar, then
    // recomputes aOrig and aEnd. A bar that becomes needed starts with its thumb in the middle
    // (content centred); one that stays needed keeps its thumb at the same fraction of the
    // range. Returns whether aBarNeeded changed.
    bool setScroll();
    // Recomputes aOrig and aEnd from the bar's state and thumb.
    void setOrig();
    // setOrig, and returns by how many pixels the content moved (new aOrig minus old); for use
    // after the thumb moved.
    int ComputeScroll();
    // Moves the thumb by pDelta units of 16 pixels, stopping at 0 and aRange; nothing while
    // the bar is disabled. aOrig follows at the next ComputeScroll.
    void Scroll(int pDelta);
    // Sets both margins (pixels that may be scrolled into view before and after the content)
    // and returns setScroll's answer; false, with nothing done, when they are the current ones.
    bool SetMargin(int pBefore, int pAfter);

    TBar* aScrollBar;  // the bar of this axis, not owned; set by the owner
    int aViewSize;     // pixels of the view along the axis; set by the owner
    int aContentSize;  // pixels of the content along the axis; set by the owner
    int aRange;        // largest thumb position, in 16-pixel units; even
    int aOrig;         // pixel position of the content's start in the view
    int aEnd;          // aOrig + aContentSize
    int aMarginBefore; // pixels that may be scrolled into view before the content
    int aMarginAfter;  // pixels that may be scrolled into view after the content
    bool aHideBar;     // hide the bar while not needed (else only disable it); set by the owner
    bool aBarNeeded;   // the content with its margins is longer than the view

private:
    // The content's start with the bar at thumb position pThumb.
    int64_t ScrolledOrig(int pThumb) const;
    // The content's start without a bar: centred, or kept clear of the larger margin.
    int64_t FittedOrig() const;
};

template <typename TBar>
bool TScrollAxis<TBar>::setScroll() {
    if (!ZV_ASSERT(aScrollBar != NULL))
        return false;
    const int64_t total = int64_t(aMarginBefore) + aContentSize + aMarginAfter;
    const bool needed = aViewSize < total;
    const bool changed = needed != aBarNeeded;
    aBarNeeded = needed;
    if (needed) {
        double fraction = 0.5;
        if (!changed) {
            // A bar that stayed needed has a range from its last pass.
            if (aRange > 0)
                fraction = double(aScrollBar->GetThumbPosition()) / aRange;
            else
                ZV_FAIL("(aRange > 0) || Result");
        }
        const int units = aViewSize >> 4;
        // The bar's range is aRange + units: it must stay an int.
        const int64_t range = ((total + 15) >> 4) + 1 - units;
        aRange = int(std::min<int64_t>(range, INT32_MAX - std::max(units, 0))) & ~1;
        const int position = RoundToInt(fraction * aRange, roundNEAREST);
        aScrollBar->SetScrollbar(position, units, aRange + units, units, true);
    }
    if (aHideBar)
        aScrollBar->Show(needed);
    aScrollBar->Enable(needed);
    setOrig();
    return changed;
}

template <typename TBar>
void TScrollAxis<TBar>::setOrig() {
    if (!ZV_ASSERT(aScrollBar != NULL))
        return;
    int64_t orig;
    if (aScrollBar->IsEnabled()) {
        ZV_ASSERT(aRange > 0);
        orig = ScrolledOrig(aScrollBar->GetThumbPosition());
    } else {
        orig = FittedOrig();
    }
    aOrig = SaturateToInt(orig);
    aEnd = SaturateToInt(int64_t(aOrig) + aContentSize);
}

template <typename TBar>
int64_t TScrollAxis<TBar>::ScrolledOrig(int pThumb) const {
    return 16 * (int64_t(aRange / 2) - pThumb) + (int64_t(aMarginBefore) - aMarginAfter) / 2 +
           (int64_t(aViewSize) - aContentSize) / 2;
}

template <typename TBar>
int64_t TScrollAxis<TBar>::FittedOrig() const {
    const int64_t excess =
        int64_t(aContentSize) - aViewSize + 2 * int64_t(std::max(aMarginBefore, aMarginAfter));
    int64_t shift = excess <= 0 ? 0 : (excess + 1) >> 1;
    if (aMarginBefore <= aMarginAfter)
        shift = -shift;
    return (int64_t(aViewSize) - aContentSize) / 2 + shift;
}

template <typename TBar>
int TScrollAxis<TBar>::ComputeScroll() {
    const int old = aOrig;
    setOrig();
    return SaturateToInt(int64_t(aOrig) - old);
}

template <typename TBar>
void TScrollAxis<TBar>::Scroll(int pDelta) {
    if (!ZV_ASSERT(aScrollBar != NULL) || !aScrollBar->IsEnabled())
        return;
    const int thumb = aScrollBar->GetThumbPosition();
    const int position = int(std::clamp<int64_t>(int64_t(thumb) + pDelta, 0, std::max(aRange, 0)));
    if (position != thumb)
        aScrollBar->SetThumbPosition(position);
}

template <typename TBar>
bool TScrollAxis<TBar>::SetMargin(int pBefore, int pAfter) {
    if (pBefore == aMarginBefore && pAfter == aMarginAfter)
        return false;
    aMarginBefore = pBefore;
    aMarginAfter = pAfter;
    return setScroll();
}

// The module's scroll axis, on a wxScrollBar.
extern template class TScrollAxis<wxScrollBar>;

class TScrollHelper : public TScrollAxis<wxScrollBar> {
public:
    using TScrollAxis::TScrollAxis;
};
