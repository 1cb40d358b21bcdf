// The scroll axis arithmetic against a stand-in bar; ScrollHelperGuiTest runs it on a real one.
#include "DLL/Ctl/ScrollHelper.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

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

// An axis on pBar after its first setScroll.
TAxis Axis(TFakeBar& pBar, int pView, int pContent, int pBefore = 0, int pAfter = 0) {
    TAxis axis(&pBar);
    axis.aViewSize = pView;
    axis.aContentSize = pContent;
    axis.aMarginBefore = pBefore;
    axis.aMarginAfter = pAfter;
    axis.setScroll();
    return axis;
}

// aRange, aOrig, aEnd, then whether the bar is enabled, its position, thumb, range and page.
std::string State(const TAxis& pAxis) {
    const TFakeBar& bar = *pAxis.aScrollBar;
    std::ostringstream text;
    text << pAxis.aRange << " " << pAxis.aOrig << " " << pAxis.aEnd << " bar " << bar.aEnabled
         << " " << bar.aPosition << " " << bar.aThumb << " " << bar.aRange << " " << bar.aPage;
    return text.str();
}

} // namespace

// The thumb starts in the middle, scrolling stops at the ends, and a resize keeps the thumb at
// the same fraction of the range.
TEST(ScrollHelper, LongContentStartsCentredAndTheThumbGivesItsPosition) {
    TFakeBar bar;
    TAxis axis(&bar);
    EXPECT_EQ(State(axis), "0 0 0 bar 1 0 0 0 0");
    axis.aViewSize = 400;
    axis.aContentSize = 1000;
    EXPECT_TRUE(axis.SetMargin(20, 20)); // the first pass starts from range 0, not needed
    // total 1040: ((1040 + 15) >> 4) + 1 - 25 = 41, low bit cleared
    EXPECT_EQ(State(axis), "40 -300 700 bar 1 20 25 65 25");
    axis.Scroll(-100);
    EXPECT_EQ(axis.ComputeScroll(), 320);
    EXPECT_EQ(State(axis), "40 20 1020 bar 1 0 25 65 25");
    axis.Scroll(INT_MAX);
    EXPECT_EQ(axis.ComputeScroll(), -640);
    EXPECT_EQ(State(axis), "40 -620 380 bar 1 40 25 65 25");
    axis.Scroll(-30);
    EXPECT_FALSE(axis.SetMargin(20, 20));
    axis.aContentSize = 2000;
    EXPECT_FALSE(axis.setScroll());
    EXPECT_EQ(State(axis), "104 -384 1616 bar 1 26 25 129 25");
    axis.aContentSize = 2090;
    axis.setScroll();
    EXPECT_EQ(bar.aPosition, 28); // 26 of 104 in 110: 27.5, halves to even
}

TEST(ScrollHelper, FittingContentIsCentredUnlessALargerMarginPushesIt) {
    // {content, before, after, orig} in a view of 400; d = 21 rounds up
    const int cases[][4] = {{300, 0, 0, 50}, {300, 60, 0, 60}, {300, 0, 60, 40}, {299, 61, 0, 61}};
    for (const auto& c : cases) {
        TFakeBar bar;
        const TAxis axis = Axis(bar, 400, c[0], c[1], c[2]);
        EXPECT_EQ(State(axis), "0 " + std::to_string(c[3]) + " " + std::to_string(c[3] + c[0]) +
                                   " bar 0 0 0 0 0");
    }
    // Equal margins count as the after side: while the bar is off, 60 and 60 (d = 20) move the
    // content up.
    TFakeBar bar;
    TAxis axis = Axis(bar, 400, 300);
    axis.aMarginBefore = axis.aMarginAfter = 60;
    axis.setOrig();
    EXPECT_EQ(axis.aOrig, 40);
}

TEST(ScrollHelper, SetScrollAnswersTrueOnlyWhenTheBarBecomesOrStopsBeingNeeded) {
    // {view, content, changed}; equal to the view still fits
    const int steps[][3] = {{400, 300, 0}, {400, 1000, 1}, {800, 1200, 0},
                            {800, 100, 1}, {400, 400, 0},  {399, 400, 1}};
    TFakeBar bar;
    TAxis axis(&bar);
    for (const auto& s : steps) {
        axis.aViewSize = s[0];
        axis.aContentSize = s[1];
        EXPECT_EQ(axis.setScroll(), s[2] == 1) << s[0] << " " << s[1];
        EXPECT_EQ(bar.aEnabled, axis.aBarNeeded);
        EXPECT_TRUE(bar.aShown);
    }
    axis.aContentSize = 100; // the range stays; nothing scrolls while not needed
    EXPECT_TRUE(axis.setScroll());
    axis.Scroll(5);
    EXPECT_EQ(State(axis), "2 149 249 bar 0 1 24 26 24");
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
    EXPECT_ASSERTS((none.setScroll(), none.ComputeScroll(), none.Scroll(1)),
                   "aScrollBar != __null", "aScrollBar != __null", "aScrollBar != __null");

    TFakeBar bar;
    TAxis axis = Axis(bar, 400, INT_MAX, INT_MAX, INT_MAX);
    bar.aPosition = 0;
    axis.ComputeScroll();
    EXPECT_EQ(State(axis), "402653160 2147483647 2147483647 bar 1 0 25 402653185 25");
    EXPECT_EQ(Axis(bar, INT_MAX, INT_MIN, INT_MIN, 0).aOrig, INT_MAX);
}
