#include "DLL/Ctl/XScale.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

TEST(XScale, EachScaleGetsItsTickSpacingZoomAndCentre) {
    struct TCase {
        double aScale;
        int aUnit, aZoom;
        double aCenter;
    };
    const TCase cases[] = {
        {1, 10, 0, 0},
        {2, 5, 2, 0.5},
        {3, 4, 0, 1},
        {4, 2, 4, 1.5},
        {8, 1, 8, 3.5},
        {16, 1, 0, 7.5},
        {1.5, 5, 0, 0.25},
        {0.5, 20, 0, 0},   // 20 units in 10 pixels: 2, times 10
        {0.25, 40, 0, 0},  // 40: 4, times 10
        {0.03, 400, 0, 0}, // 333: 33, 3 -> 4, times 100
        {1.0 / 16777216, 100000000, 0, 0},
    };
    for (const TCase& c : cases) {
        const TZVXScale scale(c.aScale);
        EXPECT_EQ(scale.aUnit, c.aUnit) << c.aScale;
        EXPECT_EQ(scale.aMajor, 10 * c.aUnit);
        EXPECT_EQ(scale.aUnitWidth, c.aUnit * c.aScale);
        EXPECT_EQ(scale.aInvScale, 1 / c.aScale);
        EXPECT_EQ(scale.aZoom, c.aZoom);
        EXPECT_EQ(scale.aCenter, c.aCenter);
    }
}

TEST(XScale, SetScaleKeepsAPixelsTimeOrBringsATimeToTheLeftEdge) {
    TZVXScale scale(1);
    EXPECT_TRUE(scale.SetScale(2, 100, false)); // o = 200 - 100 + 8 = 108, aligned to 96
    EXPECT_EQ(scale.aOrig, 96);
    EXPECT_EQ(100 * scale.aScale - scale.aOrig, 104);
    EXPECT_FALSE(scale.SetScale(2, 5000, true)); // the current scale changes nothing
    EXPECT_EQ(scale.aOrig, 96);
    scale.Scroll(-136);
    EXPECT_TRUE(scale.SetScale(0.5, 0, false)); // t = -20: -10 + 8, aligned down to -16
    EXPECT_EQ(scale.aOrig, -16);

    // {scale, time, orig}: pos x scale - 0.5 to the nearest, halves to even
    const double times[][3] = {{0.5, 1000, 496}, {2, 100, 192}, {3, -5, -16}, {2, 0, 0}};
    for (const auto& t : times) {
        TZVXScale other(1);
        EXPECT_TRUE(other.SetScale(t[0], int(t[1]), true));
        EXPECT_EQ(other.aOrig, t[2]) << t[0] << " " << t[1];
    }
}

TEST(XScale, UpdateUnitPlacesTheFirstTickAndItsMajorTick) {
    struct TCase {
        double aScale;
        int aOrig;
        double aFirstPixel;
        int aFirstIndex, aFirstMajor, aMajorPixel;
    };
    const TCase cases[] = {
        {2, 96, 4.0, 0, 50, 4},  {1, -30, 0.0, 7, -100, -70},      {1, 35, 5.0, 4, 0, -35},
        {3, 10, 2.0, 1, 0, -10}, {0.5, -1010, 0.0, 9, -2200, -90},
    };
    for (const TCase& c : cases) {
        TZVXScale scale(c.aScale);
        scale.Scroll(c.aOrig);
        EXPECT_TRUE(scale.aDirty);
        scale.updateUnit();
        EXPECT_FALSE(scale.aDirty);
        EXPECT_EQ(scale.aFirstPixel, c.aFirstPixel) << c.aScale << " " << c.aOrig;
        EXPECT_EQ(scale.aFirstIndex, c.aFirstIndex);
        EXPECT_EQ(scale.aFirstMajor, c.aFirstMajor);
        EXPECT_EQ(scale.aMajorPixel, c.aMajorPixel);
    }
}

TEST(XScale, UnusableScalesAreRefusedAndChangeNothing) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {0.0, -0.0, -1.0, inf, -inf, std::nan(""), 1e-310 /* inverse infinite */}) {
        TZVXScale scale(2);
        scale.Scroll(37);
        scale.updateUnit();
        EXPECT_ASSERTS(EXPECT_FALSE(scale.SetScale(bad, 0, false)), "IsUsableScale(pScale)");
        EXPECT_EQ(scale.aScale, 2);
        EXPECT_EQ(scale.aOrig, 37);
        EXPECT_FALSE(scale.aDirty);
    }
    TZVXScale* fallback = nullptr;
    EXPECT_ASSERTS(fallback = new TZVXScale(0), "IsUsableScale(pScale)");
    EXPECT_EQ(fallback->aScale, 1);
    delete fallback;
}

TEST(XScale, TinyScalesAndFarOriginsStayWithinThirtyTwoBits) {
    // 2^-27 puts 1342177280 units in 10 pixels: a minor step of 10^9 would not fit.
    for (double tiny : {1.0 / 134217728, DBL_MIN}) {
        TZVXScale scale(tiny);
        EXPECT_EQ(scale.aUnit, 200000000) << tiny;
        EXPECT_EQ(scale.aMajor, 2000000000);
    }
    TZVXScale scale(1.0 / 134217728);
    scale.Scroll(1000000); // the left-edge time saturates
    scale.updateUnit();
    EXPECT_EQ(scale.aFirstIndex, 1);
    EXPECT_EQ(scale.aFirstMajor, 2000000000);
    EXPECT_EQ(scale.aMajorPixel, 15 - 1000000);

    scale.Scroll(INT_MAX);
    EXPECT_EQ(scale.aOrig, INT_MAX);
    EXPECT_TRUE(scale.SetScale(4, 100, false));
    EXPECT_EQ(scale.aOrig, INT_MAX & ~15);
}
