// The scroll axis arithmetic against a stand-in bar; ScrollHelperGuiTest runs it on a real one.
#include "DLL/Ctl/ScrollHelper.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Keeps what a scroll bar keeps: a new bar is enabled and shown, and its thumb stays within
// 0 to range - thumb size.
struct TFakeBar {
    bool IsEnabled() const { return aEnabled; }
    int GetThumbPosition() const { return aPosition; }
    void SetThumbPosition(int pPosition) {
        aPosition = std::clamp(pPosition, 0, aRange - aThumb);
        ++aMoves;
    }
    void SetScrollbar(int pPosition, int pThumb, int pRange, int pPage, bool) {
        aThumb = pThumb;
        aRange = pRange;
        aPage = pPage;
        aPosition = std::clamp(pPosition, 0, aRange - aThumb);
    }
    bool Show(bool pShow) { return aShown = pShow; }
    bool Enable(bool pEnable) { return aEnabled = pEnable; }

    bool aEnabled = true, aShown = true;
    int aPosition = 0, aThumb = 0, aRange = 0, aPage = 0, aMoves = 0;
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

} // namespace

TEST(ScrollHelper, LongContentStartsCentredAndTheThumbGivesItsPosition) {
    TFakeBar bar;
    TAxis axis(&bar);
    EXPECT_EQ(axis.aRange, 0);
    EXPECT_FALSE(axis.aBarNeeded);
    axis.aViewSize = 400;
    axis.aContentSize = 1000;
    EXPECT_TRUE(axis.SetMargin(20, 20)); // the first pass divides by nothing
    // total 1040: ((1040 + 15) >> 4) + 1 - 25 = 41, low bit cleared
    EXPECT_EQ(axis.aRange, 40);
    EXPECT_EQ(bar.aPosition, 20);
    EXPECT_EQ(bar.aThumb, 25);
    EXPECT_EQ(bar.aPage, 25);
    EXPECT_EQ(bar.aRange, 65);
    EXPECT_EQ(axis.aOrig, -300);
    EXPECT_EQ(axis.aEnd, 700);

    const int thumbs[][3] = {{0, 20, 320}, {40, -620, -640}, {21, -316, 304}};
    for (const auto& t : thumbs) {
        bar.aPosition = t[0];
        EXPECT_EQ(axis.ComputeScroll(), t[2]) << t[0];
        EXPECT_EQ(axis.aOrig, t[1]);
        EXPECT_EQ(axis.aEnd, t[1] + 1000);
    }
}

TEST(ScrollHelper, FittingContentIsCentredUnlessALargerMarginPushesIt) {
    // {content, before, after, orig} in a view of 400
    const int cases[][4] = {
        {300, 0, 0, 50},   {300, 60, 0, 60}, {300, 0, 60, 40}, {300, 50, 50, 50},
        {390, 8, 0, 8},    {390, 0, 8, 2},   {299, 61, 0, 61}, // d = 21 rounds up
        {300, 40, 20, 50},
    };
    for (const auto& c : cases) {
        TFakeBar bar;
        TAxis axis = Axis(bar, 400, c[0], c[1], c[2]);
        EXPECT_FALSE(bar.aEnabled);
        EXPECT_EQ(axis.aOrig, c[3]) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_EQ(axis.aEnd, c[3] + c[0]);
    }
}

TEST(ScrollHelper, AResizeKeepsTheThumbAtTheSameFractionOfTheRange) {
    // {content, range, thumb} from thumb 10 of range 40; halves go to the even neighbour
    const int cases[][3] = {{2000, 104, 26}, {1010, 42, 10}, {1070, 46, 12}};
    for (const auto& c : cases) {
        TFakeBar bar;
        TAxis axis = Axis(bar, 400, 1000, 20, 20);
        axis.Scroll(-10);
        axis.aContentSize = c[0];
        EXPECT_FALSE(axis.setScroll());
        EXPECT_EQ(axis.aRange, c[1]);
        EXPECT_EQ(bar.aPosition, c[2]);
        EXPECT_EQ(axis.aOrig, 16 * (c[1] / 2 - c[2]) + (400 - c[0]) / 2);
    }
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
    }
    EXPECT_TRUE(bar.aShown);
    axis.aContentSize = 100; // no longer needed: the range stays, the bar hides only when asked
    axis.aHideBar = true;
    EXPECT_TRUE(axis.setScroll());
    EXPECT_EQ(axis.aRange, 2);
    EXPECT_FALSE(bar.aShown);
}

TEST(ScrollHelper, ScrollStopsAtTheEndsAndSetMarginIgnoresTheCurrentMargins) {
    TFakeBar bar;
    TAxis axis = Axis(bar, 400, 1000, 20, 20);
    axis.Scroll(-100);
    EXPECT_EQ(bar.aPosition, 0);
    EXPECT_EQ(axis.aOrig, -300); // until ComputeScroll
    axis.Scroll(INT_MAX);
    EXPECT_EQ(bar.aPosition, 40);
    axis.Scroll(1);
    EXPECT_EQ(bar.aMoves, 2); // no move at the end
    axis.Scroll(-15);
    EXPECT_FALSE(axis.SetMargin(20, 20));
    EXPECT_EQ(axis.aOrig, -300);
    EXPECT_FALSE(axis.SetMargin(84, 20));
    EXPECT_EQ(axis.aRange, 44);
    EXPECT_EQ(bar.aPosition, 28); // 25 / 40 x 44 = 27.5

    TFakeBar fitting;
    TAxis fits = Axis(fitting, 400, 300);
    fits.Scroll(5);
    EXPECT_EQ(fitting.aMoves, 0);
}

TEST(ScrollHelper, AStaleRangeOrAMissingBarIsReported) {
    TFakeBar bar;
    TAxis axis(&bar);
    axis.aBarNeeded = true; // as an owner might set it, with no range yet
    axis.aViewSize = 400;
    axis.aContentSize = 1000;
    EXPECT_ASSERTS(EXPECT_FALSE(axis.setScroll()), "(aRange > 0) || Result");
    EXPECT_EQ(bar.aPosition, 19); // centred in range 38
    TFakeBar enabled;
    EXPECT_ASSERTS(TAxis(&enabled).setOrig(), "aRange > 0");

    TAxis none;
    EXPECT_ASSERTS(EXPECT_FALSE(none.setScroll()), "aScrollBar != __null");
    EXPECT_ASSERTS(EXPECT_EQ(none.ComputeScroll(), 0), "aScrollBar != __null");
    EXPECT_ASSERTS(none.Scroll(1), "aScrollBar != __null");
}

TEST(ScrollHelper, HugeSizesSaturateInsteadOfOverflowing) {
    TFakeBar bar;
    TAxis axis = Axis(bar, 400, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(axis.aRange, 402653160);
    EXPECT_EQ(bar.aRange, axis.aRange + 25);
    bar.aPosition = 0;
    axis.ComputeScroll();
    EXPECT_EQ(axis.aOrig, INT_MAX);
    EXPECT_EQ(axis.aEnd, INT_MAX);
    EXPECT_EQ(Axis(bar, INT_MAX, INT_MIN, INT_MIN, 0).aOrig, INT_MAX);
}
