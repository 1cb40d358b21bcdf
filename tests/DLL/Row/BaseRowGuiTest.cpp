#include "DLL/Row/BaseRow.h"

#include "support/FakeRows.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int theWidth = 40, theHeight = 12;

// A grey 24-bit canvas whose pixels read back as letters: F fill, G border green, W white,
// T tick, K black (the DC's pen before drawing), '.' grey, '?' anything else.
class TCanvas {
public:
    TCanvas() {
        wxImage image(theWidth, theHeight);
        image.SetRGB(wxRect(0, 0, theWidth, theHeight), 128, 128, 128);
        aBitmap = wxBitmap(image, 24);
        aDC.SelectObject(aBitmap);
        aDC.SetPen(*wxBLACK_PEN);
    }

    wxMemoryDC& DC() { return aDC; }

    std::vector<std::string> Picture() const {
        cairo_surface_t* surface =
            cairo_get_target(static_cast<cairo_t*>(aDC.GetGraphicsContext()->GetNativeContext()));
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        std::vector<std::string> rows;
        for (int y = 0; y < theHeight; ++y) {
            const auto* pixels = reinterpret_cast<const uint32_t*>(
                data + y * cairo_image_surface_get_stride(surface));
            std::string row;
            for (int x = 0; x < theWidth; ++x)
                row += Letter(pixels[x] & 0xFFFFFF);
            rows.push_back(row);
        }
        return rows;
    }

private:
    static char Letter(uint32_t pPixel) {
        switch (pPixel) {
        case 0xC2FFB5:
            return 'F';
        case 0x00DA00:
            return 'G';
        case 0xFFFFFF:
            return 'W';
        case 0xE0FFE0:
            return 'T';
        case 0x000000:
            return 'K';
        case 0x808080:
            return '.';
        default:
            return '?';
        }
    }

    wxBitmap aBitmap;
    wxMemoryDC aDC;
};

// A row of height 10 drawn between y 1 (top) and y 10 (bottom).
std::vector<std::string> Draw(int pBegin, int pEnd, int pLeft, int pRight, int pVisibleBegin,
                              int pVisibleEnd, int pStep) {
    TCanvas canvas;
    TFakeStreamRow row;
    row.aHeight = 10;
    const TZVSeqRect rect{&canvas.DC(), pBegin, pEnd,          1,          10,
                          pRight,       pLeft,  pVisibleBegin, pVisibleEnd};
    row.DrawRowSeq(rect, pStep);
    return canvas.Picture();
}

} // namespace

TEST(BaseRowDrawing, ASequenceBlockIsFilledEdgedAndTickedOnItsGrid) {
    // Ticks from max(13 + 8, 0) rounded up to a multiple of 8.
    const std::vector<std::string> expected = {
        "........................................", ".............WWWWWWWWWWWWWWWWWWWWWWWWW..",
        ".............WKKKKKKKKKKKKKKKKKKKKKKKG..", ".............WFFFFFFFFFFTFFFFFFFTFFFFG..",
        ".............WKKKKKKKKKKTKKKKKKKTKKKKG..", ".............W..........T.......T....G..",
        ".............W..........T.......T....G..", ".............W..........T.......T....G..",
        ".............W..........T.......T....G..", ".............W.......................G..",
        ".............GGGGGGGGGGGGGGGGGGGGGGGGG..", "........................................",
    };
    EXPECT_EQ(Draw(13, 38, 0, 40, 13, 38, 8), expected);
}

TEST(BaseRowDrawing, EachPartIsDrawnUnderItsOwnCondition) {
    struct TCase {
        const char* aName;
        int aBegin, aEnd, aLeft, aRight, aVisibleBegin, aVisibleEnd, aStep;
        bool aFill, aEndEdge, aStartEdge;
        std::string aTickRow; // row 6, between the edges
    } cases[] = {
        {"no step, no ticks", 13, 38, 0, 40, 13, 38, 0, true, true, true,
         "......................."},
        {"negative step", 13, 38, 0, 40, 13, 38, -8, true, true, true, "......................."},
        // From max(17, 30) rounded up to a multiple of 4: 32 and 36.
        {"left limit past the first grid line", 13, 38, 30, 40, 13, 38, 4, true, true, false,
         "..................T...T"},
        {"end beyond the right limit", 13, 45, 0, 30, 13, 30, 8, true, false, true,
         "..........T....."},
        {"nothing visible: the edges alone", 13, 38, 0, 40, 20, 20, 8, false, true, true, ""},
        {"one pixel wide: no start edge", 13, 14, 0, 40, 20, 20, 8, false, true, false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.aName);
        const std::vector<std::string> picture =
            Draw(c.aBegin, c.aEnd, c.aLeft, c.aRight, c.aVisibleBegin, c.aVisibleEnd, c.aStep);
        EXPECT_EQ(picture[3][size_t(c.aVisibleBegin + 1)] == 'F', c.aFill);
        EXPECT_EQ(picture[5][size_t(std::min(c.aEnd - 1, theWidth - 1))] == 'G', c.aEndEdge);
        EXPECT_EQ(picture[5][size_t(c.aBegin)] == 'W', c.aStartEdge);
        if (c.aFill) {
            EXPECT_EQ(picture[6].substr(14, c.aTickRow.size()), c.aTickRow) << picture[6];
        }
    }
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
    row.SetNameWidth(true, canvas.DC());
    EXPECT_GT(row.GetNameWidth(true), width);
}
