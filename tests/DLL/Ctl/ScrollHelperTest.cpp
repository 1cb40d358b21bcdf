// The scroll axis arithmetic against a stand-in bar; ScrollHelperGuiTest runs it on a real one.
#include "DLL/Ctl/ScrollHelper.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <tuple>

namespace {

// Keeps what a scroll bar keeps; a new bar is enabled and shown.
struct TFakeBar {
    bool IsEnabled() const { return aEnabled; }
    int GetThumbPosition() const { return aPosition; }
    void SetThumbPosition(int pPosition) { aPosition = pPosition; }
    void SetScrollbar(int pPosition, int pThumb, int pRange, int pPage, bool) {
        aPosition = pPosition;
        aThumb = pThumb;
        aRange = pRange;
        aPage = pPage;
    }
    bool Show(bool pShow) { return aShown = pShow; }
    bool Enable(bool pEnable) { return aEnabled = pEnable; }

    bool aEnabled = true, aShown = true;
    int aPosition = 0, aThumb = 0, aRange = 0, aPage = 0;
};

using TAxis = TScrollAxis<TFakeBar>;

// aRange, aOrig, aEnd, then whether the bar is enabled, its position, thumb, range and page.
std::string State(const TAxis& pAxis) {
    const TFakeBar& bar = *pAxis.aScrollBar;
    std::ostringstream text;
    text << pAxis.aRange << " " << pAxis.aOrig << " " << pAxis.aEnd << " bar " << bar.aEnabled
         << " " << bar.aPosition << " " << bar.aThumb << " " << bar.aRange << " " << bar.aPage;
    return text.str();
}

// The axis resized: setScroll's answer, then the state.
std::string Resize(TAxis& pAxis, int pView, int pContent, int pBefore, int pAfter) {
    pAxis.aViewSize = pView;
    pAxis.aContentSize = pContent;
    pAxis.aMarginBefore = pBefore;
    pAxis.aMarginAfter = pAfter;
    const bool changed = pAxis.setScroll();
    return std::to_string(changed) + " | " + State(pAxis) + "\n";
}

// The thumb moved by pDelta: the pixels the content moved, then the state.
std::string Scroll(TAxis& pAxis, int pDelta) {
    pAxis.Scroll(pDelta);
    const int moved = pAxis.ComputeScroll();
    return std::to_string(moved) + " | " + State(pAxis) + "\n";
}

} // namespace

// One axis step by step: "<setScroll's answer or the pixels scrolled> | <state>". Long content
// starts with the thumb in the middle (range ((1040 + 15) >> 4) + 1 - 25 = 41, low bit
// cleared), scrolling stops at the ends, and a resize keeps the thumb at the same fraction of
// the range (26 of 104 in 110: 27.5, halves to even). Fitting content is centred unless a
// larger margin pushes it; nothing scrolls while the bar is not needed; equal to the view still
// fits.
TEST(ScrollHelper, StepsGiveTheirAnswersAndStates) {
    TFakeBar bar;
    TAxis axis(&bar);
    std::string log;
    log += Resize(axis, 400, 1000, 20, 20);
    EXPECT_FALSE(axis.SetMargin(20, 20)); // the current margins: nothing to do
    for (int delta : {-100, INT_MAX, -30})
        log += Scroll(axis, delta);
    log += Resize(axis, 400, 2000, 20, 20);
    log += Resize(axis, 400, 2090, 20, 20);
    for (const auto& [content, before, after] :
         {std::tuple{300, 0, 0}, {300, 60, 0}, {300, 0, 60}, {299, 61, 0}})
        log += Resize(axis, 400, content, before, after);
    log += Scroll(axis, 5);
    log += Resize(axis, 400, 400, 0, 0);
    log += Resize(axis, 399, 400, 0, 0);
    EXPECT_EQ(log, "1 | 40 -300 700 bar 1 20 25 65 25\n"
                   "320 | 40 20 1020 bar 1 0 25 65 25\n"
                   "-640 | 40 -620 380 bar 1 40 25 65 25\n"
                   "480 | 40 -140 860 bar 1 10 25 65 25\n"
                   "0 | 104 -384 1616 bar 1 26 25 129 25\n"
                   "0 | 110 -413 1677 bar 1 28 25 135 25\n"
                   "1 | 110 50 350 bar 0 28 25 135 25\n"
                   "0 | 110 60 360 bar 0 28 25 135 25\n"
                   "0 | 110 40 340 bar 0 28 25 135 25\n"
                   "0 | 110 61 360 bar 0 28 25 135 25\n"
                   "0 | 110 61 360 bar 0 28 25 135 25\n"
                   "0 | 110 0 400 bar 0 28 25 135 25\n"
                   "1 | 2 0 400 bar 1 1 24 26 24\n");
    EXPECT_TRUE(bar.aShown);
}

// A bar said needed before it had a range is centred; an axis without a bar does nothing;
// huge sizes saturate instead of overflowing.
TEST(ScrollHelper, MisuseAndHugeSizesAreSafe) {
    TFakeBar stale;
    TAxis needed(&stale);
    needed.aBarNeeded = true;
    needed.aViewSize = 400;
    needed.aContentSize = 1000;
    EXPECT_ASSERTS(EXPECT_FALSE(needed.setScroll()), "(aRange > 0) || Result");
    EXPECT_EQ(stale.aPosition, 19); // centred in range 38
    TAxis none;
    EXPECT_ASSERTS((none.setScroll(), none.ComputeScroll(), none.Scroll(1)), "aScrollBar != __null",
                   "aScrollBar != __null", "aScrollBar != __null");

    TFakeBar bar, other;
    TAxis axis(&bar), fitting(&other);
    Resize(axis, 400, INT_MAX, INT_MAX, INT_MAX);
    bar.aPosition = 0;
    EXPECT_EQ(Scroll(axis, 0),
              "2147483647 | 402653160 2147483647 2147483647 bar 1 0 25 402653185 25\n");
    EXPECT_EQ(Resize(fitting, INT_MAX, INT_MIN, INT_MIN, 0), "0 | 0 2147483647 -1 bar 0 0 0 0 0\n");
}
