#include "DLL/Row/BaseRow.h"

#include "support/Canvas.h"
#include "support/FakeRows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The fill, the border green, white, the tick colour and the pen the DC held before.
const std::vector<std::pair<uint32_t, char>> theColours = {
    {0xC2FFB5, 'F'}, {0x00DA00, 'G'}, {0xFFFFFF, 'W'}, {0xE0FFE0, 'T'}, {0x000000, 'K'}};

// The rows drawn for a row of height 10 between y 1 (top) and y 10 (bottom).
std::string Draw(int pBegin, int pEnd, int pLeft, int pRight, int pVisibleBegin, int pVisibleEnd,
                 int pStep) {
    TCanvas canvas(true, 40, 12);
    canvas.DC().SetPen(*wxBLACK_PEN);
    TFakeStreamRow row;
    row.aHeight = 10;
    const TZVSeqRect rect{&canvas.DC(), pBegin, pEnd,          1,          10,
                          pRight,       pLeft,  pVisibleBegin, pVisibleEnd, 0};
    row.DrawRowSeq(rect, pStep);
    return canvas.Runs(false, theColours);
}

} // namespace

TEST(BaseRowDrawing, EachPartOfASequenceBlockIsDrawnUnderItsOwnCondition) {
    const struct {
        const char* aName;
        int aBegin, aEnd, aLeft, aRight, aVisibleBegin, aVisibleEnd, aStep;
        std::string aRuns;
    } cases[] = {
        // Fill (outlined in the DC's pen), bottom and top lines, ticks from max(13 + 8, 0)
        // rounded up to a multiple of 8, end edge, start edge.
        {"all", 13, 38, 0, 40, 13, 38, 8,
         "1:13-37W 2:13W,14-36K,37G 3:13W,14-23F,24T,25-31F,32T,33-36F,37G "
         "4:13W,14-23K,24T,25-31K,32T,33-36K,37G 5-8:13W,24T,32T,37G 9:13W,37G 10:13-37G"},
        {"no step", 13, 38, 0, 40, 13, 38, 0,
         "1:13-37W 2:13W,14-36K,37G 3:13W,14-36F,37G 4:13W,14-36K,37G 5-9:13W,37G 10:13-37G"},
        {"negative step", 13, 38, 0, 40, 13, 38, -8,
         "1:13-37W 2:13W,14-36K,37G 3:13W,14-36F,37G 4:13W,14-36K,37G 5-9:13W,37G 10:13-37G"},
        // Ticks from max(17, 30) rounded up to a multiple of 4.
        {"left limit past the start", 13, 38, 30, 40, 13, 38, 4,
         "1:13-37W 2:13-36K,37G 3:13K,14-31F,32T,33-35F,36T,37G 4:13-31K,32T,33-35K,36T,37G "
         "5-8:32T,36T,37G 9:37G 10:13-37G"},
        {"end beyond the right limit", 13, 45, 0, 30, 13, 30, 8,
         "1:13-29W 2:13W,14-29K 3:13W,14-23F,24T,25-28F,29K 4:13W,14-23K,24T,25-29K "
         "5-8:13W,24T 9:13W 10:13-29G"},
        {"nothing visible", 13, 38, 0, 40, 20, 20, 8, "2-9:13W,37G"},
        {"one pixel wide", 13, 14, 0, 40, 20, 20, 8, "2-9:13G"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            Draw(c.aBegin, c.aEnd, c.aLeft, c.aRight, c.aVisibleBegin, c.aVisibleEnd, c.aStep),
            c.aRuns)
            << c.aName;
}

TEST(BaseRowDrawing, NameWidthsAreMeasuredOnceUntilTheNameChanges) {
    TCanvas canvas;
    TFakeStreamRow row;
    row.aName = L"Clip";
    row.SetNameWidth(true, canvas.DC());
    const int width = row.GetNameWidth(true);
    EXPECT_GT(width, 0);
    EXPECT_EQ(row.GetNameWidth(false), -1);
    row.aName = L"A much longer name";
    row.SetNameWidth(true, canvas.DC());
    EXPECT_EQ(row.GetNameWidth(true), width) << "kept until a rename";
    // Renaming to the very same string still resets the widths and deconflicts.
    EXPECT_EQ(row.Rename(row.aName), L"A much longer name");
    EXPECT_EQ(row.GetNameWidth(true), -1);
    EXPECT_EQ(row.aLog, "DeconflictName ");
}
