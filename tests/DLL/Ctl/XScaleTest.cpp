#include "DLL/Ctl/XScale.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

namespace {

// The tick spacing: unit, major, unit width, zoom and centre.
std::string Spacing(const TZVXScale& pScale) {
    std::ostringstream text;
    text << pScale.aUnit << " " << pScale.aMajor << " " << pScale.aUnitWidth << " " << pScale.aZoom
         << " " << pScale.aCenter;
    return text.str();
}

// The tick placement after updateUnit: first pixel, first index, first major, major pixel.
std::string Ticks(const TZVXScale& pScale) {
    pScale.updateUnit();
    std::ostringstream text;
    text << pScale.aFirstPixel << " " << pScale.aFirstIndex << " " << pScale.aFirstMajor << " "
         << pScale.aMajorPixel;
    return text.str();
}

} // namespace

// 0.5: 20 units in 10 pixels, 2, times 10; 0.03: 333, 33, 3, 4 times 100. 2^-27 puts
// 1342177280 units in 10 pixels: a minor step of 10^9 would not fit.
TEST(XScale, EachScaleGetsItsTickSpacingZoomAndCentre) {
    const std::pair<double, const char*> cases[] = {
        {1, "10 100 10 0 0"},
        {2, "5 50 10 2 0.5"},
        {3, "4 40 12 0 1"},
        {16, "1 10 16 0 7.5"},
        {0.5, "20 200 10 0 0"},
        {0.03, "400 4000 12 0 0"},
        {1.0 / 134217728, "200000000 2000000000 1.49012 0 0"},
        {std::numeric_limits<double>::min(), "200000000 2000000000 4.45015e-300 0 0"}};
    for (const auto& [scale, spacing] : cases)
        EXPECT_EQ(Spacing(TZVXScale(scale)), spacing) << scale;
}

TEST(XScale, SetScaleKeepsAPixelsTimeOrBringsATimeToTheLeftEdge) {
    TZVXScale scale(1);
    EXPECT_TRUE(scale.SetScale(2, 100, false)); // o = 200 - 100 + 8 = 108, aligned to 96
    EXPECT_EQ(scale.aOrig, 96);
    EXPECT_FALSE(scale.SetScale(2, 5000, true)); // the current scale changes nothing
    EXPECT_EQ(scale.aOrig, 96);
    scale.Scroll(-136);
    EXPECT_TRUE(scale.SetScale(0.5, 0, false)); // t = -20: -10 + 8, aligned down to -16
    EXPECT_EQ(scale.aOrig, -16);
    EXPECT_TRUE(scale.SetScale(4, 0, true)); // -0.5 to the even 0, not -1 (aligned to -16)
    EXPECT_EQ(scale.aOrig, 0);
    EXPECT_TRUE(scale.SetScale(0.5, 1000, true)); // 499.5 to 500, aligned to 496
    EXPECT_EQ(scale.aOrig, 496);
    scale.Scroll(INT_MAX); // saturates
    EXPECT_TRUE(scale.SetScale(2, 0, false));
    EXPECT_EQ(scale.aOrig, INT_MAX & ~15);
}

// The last: the left-edge time saturates.
TEST(XScale, UpdateUnitPlacesTheFirstTickAndItsMajorTick) {
    const std::tuple<double, int, const char*> cases[] = {
        {2, 96, "4 0 50 4"},
        {1, -30, "0 7 -100 -70"},
        {0.5, -1010, "0 9 -2200 -90"},
        {1.0 / 134217728, 1000000, "-999984 1 2000000000 -999985"}};
    for (const auto& [scale, orig, ticks] : cases) {
        TZVXScale axis(scale);
        axis.Scroll(orig);
        EXPECT_TRUE(axis.aDirty);
        EXPECT_EQ(Ticks(axis), ticks) << scale << " " << orig;
        EXPECT_FALSE(axis.aDirty);
    }
}

TEST(XScale, UnusableScalesAreRefusedAndChangeNothing) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {0.0, inf, std::numeric_limits<double>::quiet_NaN(),
                       1e-310 /* inverse infinite */}) {
        TZVXScale scale(2);
        scale.Scroll(37);
        scale.updateUnit();
        EXPECT_ASSERTS(EXPECT_FALSE(scale.SetScale(bad, 0, false)), "IsUsableScale(pScale)");
        EXPECT_EQ(scale.aScale, 2) << bad;
        EXPECT_EQ(scale.aOrig, 37) << bad;
        EXPECT_FALSE(scale.aDirty) << bad;
    }
    std::unique_ptr<TZVXScale> fallback;
    EXPECT_ASSERTS(fallback.reset(new TZVXScale(0)), "IsUsableScale(pScale)");
    EXPECT_EQ(fallback->aScale, 1);
}
