#include "DLL/Ctl/RasterHelper.h"

#include "support/AssertCapture.h"
#include "support/Canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace {

const wxColour theOlive(128, 128, 0), theTeal(0, 128, 128), theNavy(0, 0, 128);

// Drawn with an olive pen and a teal brush, each transparent when not asked for.
struct TShape {
    const char* aName;
    bool aPen, aBrush;
    std::function<void(wxDC&)> aDraw;
    const char* aPicture;
};

const TShape theShapes[] = {
    {"rectangles: ring and interior, all ring, one pixel wide, over the edges, empty", true, true,
     [](wxDC& pDC) {
         const TRasterHelper raster(pDC);
         raster.DrawRectangle(1, 1, 4, 4);
         raster.DrawRectangle(6, 1, 2, 2);
         raster.DrawRectangle(9, 0, 1, 3);
         raster.DrawRectangle(-1, 5, 12, 3);
         raster.DrawRectangle(1, 1, 0, 3);
         raster.DrawRectangle(1, 1, 3, -1);
     },
     ".........P/.PPPP.PP.P/.PBBP.PP.P/.PBBP...../.PPPP...../PPPPPPPPPP/BBBBBBBBBB"},
    {"frame; lines end-exclusive in both directions", true, false,
     [](wxDC& pDC) {
         const TRasterHelper raster(pDC);
         raster.DrawRectangle(0, 0, 4, 4);
         raster.DrawLine(5, 0, 9, 0);
         raster.DrawLine(9, 2, 5, 2);
         raster.DrawLine(5, 3, 5, 6);
         raster.DrawLine(0, 6, 0, 4);
         raster.DrawLine(3, 5, 3, 5);
     },
     "PPPP.PPPP./P..P....../P..P..PPPP/PPPP.P..../.....P..../P....P..../P........."},
    // The clipping region (2, 0, 4, 3) on the device.
    {"clipping and device origin", true, true,
     [](wxDC& pDC) {
         pDC.SetDeviceOrigin(3, 2);
         pDC.SetClippingRegion(-1, -2, 4, 3);
         TRasterHelper(pDC).DrawRectangle(wxRect(-3, -2, 5, 4));
     },
     "..PPP...../..BBP...../..BBP...../........../........../........../.........."},
    // A scaled DC is not drawn in place: the copy out and back covers the scaled pixels.
    {"user scale; lines need a pen", false, true,
     [](wxDC& pDC) {
         pDC.SetUserScale(2, 2);
         TRasterHelper(pDC).DrawRectangle(1, 1, 2, 1);
         TRasterHelper(pDC).DrawLine(0, 0, 4, 0);
     },
     "........../........../..BBBB..../..BBBB..../........../........../.........."},
};

} // namespace

// COPY covers exactly the shape's pixels and XOR the same pixels in exclusive-ored colours
// (olive on grey gives navy, teal on grey maroon), the DC keeping its function, pen and brush;
// XOR drawn twice restores the image byte for byte.
TEST(RasterHelper, ShapesCoverExactPixelsAndXorTwiceRestores) {
    for (const TShape& shape : theShapes) {
        SCOPED_TRACE(shape.aName);
        const wxPen pen = shape.aPen ? wxPen(theOlive) : *wxTRANSPARENT_PEN;
        const wxBrush brush = shape.aBrush ? wxBrush(theTeal) : *wxTRANSPARENT_BRUSH;
        const auto draw = [&](wxDC& pDC, wxRasterOperationMode pFunction) {
            pDC.SetPen(pen);
            pDC.SetBrush(brush);
            pDC.SetLogicalFunction(pFunction);
            shape.aDraw(pDC);
            EXPECT_EQ(pDC.GetLogicalFunction(), pFunction);
            EXPECT_EQ(pDC.GetPen(), pen);
            EXPECT_EQ(pDC.GetBrush(), brush);
        };
        TCanvas copy, once, twice(false);
        draw(copy.DC(), wxCOPY);
        EXPECT_EQ(copy.Picture(theOlive, theTeal), shape.aPicture);
        draw(once.DC(), wxXOR);
        EXPECT_EQ(once.Picture(theNavy, wxColour(128, 0, 0)), shape.aPicture);
        const std::vector<uint32_t> before = twice.Pixels();
        draw(twice.DC(), wxXOR);
        shape.aDraw(twice.DC());
        EXPECT_EQ(twice.Pixels(), before);
    }
}

// Each primitive is exclusive-ored on its own: where the two lines of a cross over a square
// meet, the pen is applied twice and the square shows through. Drawn again in another order,
// the shapes undo. A slanted line is reported and not drawn.
TEST(RasterHelper, OverlappingXorShapesApplyEachPrimitiveAndUndoInAnyOrder) {
    TCanvas canvas(true, 13, 13);
    const std::vector<uint32_t> before = canvas.Pixels();
    wxDC& dc = canvas.DC();
    dc.SetPen(wxPen(theOlive));
    dc.SetBrush(wxBrush(theOlive));
    dc.SetLogicalFunction(wxXOR);
    const TRasterHelper raster(dc);
    raster.DrawRectangle(4, 4, 5, 5);
    raster.DrawLine(0, 6, 13, 6);
    raster.DrawLine(6, 0, 6, 13);
    EXPECT_EQ(canvas.Picture(theNavy, theOlive).substr(6 * 14, 13), "PPPP..P..PPPP");
    raster.DrawLine(6, 0, 6, 13);
    raster.DrawRectangle(4, 4, 5, 5);
    raster.DrawLine(0, 6, 13, 6);
    EXPECT_ASSERTS(raster.DrawLine(0, 0, 3, 3), "pX1 == pX2 || pY1 == pY2"); // not drawn
    EXPECT_EQ(canvas.Pixels(), before);
}
