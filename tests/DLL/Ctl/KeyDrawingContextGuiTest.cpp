#include "DLL/Ctl/KeyDrawingContext.h"

#include "ALL/KeyList.h"
#include "DLL/Ctl/XScale.h"
#include "support/Canvas.h"
#include "support/FakeRows.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TKeyCase {
    const char* aName;
    double aScale;
    int aOrig;
    TRange aRange;
    bool aInPixels;
    const char* aKeys;      // times
    const char* aSelection; // ranges, as begin-end
    bool aKeySelMode, aSelOnly, aHighlight;
    // The lines by column (R red, B blue), then the marks.
    const char* aExpected;
};

const TKeyCase theKeyCases[] = {
    {"span mode: the key at the range's end is selected", 1, 0, TRange(0, 100), false, "10 20 30",
     "15-20", false, false, true, "10:4-20B 20:4-20R 30:4-20B | 10 20 30"},
    {"key-selection mode: the range's end is outside", 1, 0, TRange(0, 100), false, "10 20 30",
     "15-20", true, false, true, "10:4-20B 20:4-20B 30:4-20B | 10 20 30"},
    {"selected only, span mode, no highlight", 1, 0, TRange(0, 100), false, "10 20 30", "15-20",
     false, true, false, "20:4-20B | 20"},
    {"selected only, key-selection mode: nothing", 1, 0, TRange(0, 100), false, "10 20 30", "15-20",
     true, true, false, " | "},
    {"selected only, no range in view: nothing", 1, 0, TRange(0, 100), false, "10 20 30", "200-300",
     false, true, true, " | "},
    {"selected only, two ranges: keys at their begins, not between", 1, 0, TRange(0, 100), false,
     "10 20 30 50", "10-12 30-40", true, true, true, "10:4-20R 30:4-20R | 10 30"},
    {"a range in pixels", 1, 0, TRange(15, 25), true, "10 20 30", "", false, false, false,
     "20:4-20B | 20"},
    {"a range in time ends the walk past its last pixel", 1, 0, TRange(0, 25), false, "10 20 26 27",
     "", false, false, false, "10:4-20B 20:4-20B 26:4-20B | 10 20 26"},
    {"scale 2, origin 6: marks are unscrolled", 2, 6, TRange(0, 100), false, "8 10", "9-30", false,
     false, true, "10:4-20B 14:4-20R | 16 20"},
    {"open end at scale 2", 2, -100, TRange(-50, INT_MAX), false, "-45 -40", "", false, false,
     false, "10:4-20B 20:4-20B | -90 -80"},
};

TKeyList Keys(const char* pTimes) {
    TKeyList keys;
    std::istringstream times(pTimes);
    for (long time; times >> time;)
        keys.AddCount(TStreamKey(time), 1);
    return keys;
}

std::vector<TRange> Ranges(const char* pRanges) {
    std::vector<TRange> ranges;
    std::istringstream text(pRanges);
    long begin, end;
    for (char dash; text >> begin >> dash >> end;)
        ranges.push_back(TRange(begin, end));
    return ranges;
}

std::string Marks(const TKeyLog& pLog) {
    std::string marks;
    for (int x : pLog.aMarks)
        marks += (marks.empty() ? "" : " ") + std::to_string(x);
    return marks;
}

} // namespace

// Keys drawn between x 0 and 99 on a row from 0 to 24; a red or blue line covers rows 4 to 20.
TEST(KeyDrawingContext, DrawsEachKeyInViewAndHighlightsTheSelectedOnes) {
    for (const TKeyCase& test : theKeyCases) {
        SCOPED_TRACE(test.aName);
        TFakeTimeSelection selection({}, test.aKeySelMode);
        for (const TRange& range : Ranges(test.aSelection))
            selection.aRanges.push_back(range);
        TZVXScale scale(test.aScale);
        scale.aOrig = test.aOrig;
        const TKeyList keys = Keys(test.aKeys);
        TCanvas canvas(true, 100, 24);
        TZVKeyDrawingContext context(canvas.DC(), scale, 0, 99, test.aSelOnly);
        context.UpdateRange(test.aRange, test.aInPixels);
        TKeyLog log;
        context.Draw(keys, 0, 24, test.aHighlight, &log);
        EXPECT_EQ(canvas.Runs(true, {{0xFF0000, 'R'}, {0x0040FF, 'B'}}) + " | " + Marks(log),
                  test.aExpected);
    }
}
