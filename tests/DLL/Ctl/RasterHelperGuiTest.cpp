#include "DLL/Ctl/RasterHelper.h"

#include "support/AssertCapture.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

const wxColour theGrey(128, 128, 128), theOlive(128, 128, 0), theTeal(0, 128, 128),
    theNavy(0, 0, 128);

// A memory DC on a 24-bit bitmap, grey or (so that a restored image is a real check) differing
// from pixel to pixel.
class TCanvas {
public:
    explicit TCanvas(bool pGrey = true, int pWidth = 10, int pHeight = 7) : aWidth(pWidth) {
        wxImage image(pWidth, pHeight);
        for (int i = 0; i < pWidth * pHeight * 3; ++i)
            image.GetData()[i] = pGrey ? 128 : (i * 37) & 255;
        aBitmap = wxBitmap(image, 24);
        aDC.SelectObject(aBitmap);
    }

    wxMemoryDC& DC() { return aDC; }

    // The pixels row by row as 0xRRGGBB, read from the cairo image the DC draws on (wxBitmap
    // keeps a converted copy that drawing does not refresh).
    std::vector<uint32_t> Pixels() const {
        cairo_surface_t* surface =
            cairo_get_target(static_cast<cairo_t*>(aDC.GetGraphicsContext()->GetNativeContext()));
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                data + y * cairo_image_surface_get_stride(surface));
            for (int x = 0; x < aWidth; ++x)
                pixels.push_back(row[x] & 0xFFFFFF);
        }
        return pixels;
    }

    // Rows joined by '/': P where the pixel is pPen, B where pBrush, '.' where grey, else '?'.
    std::string Picture(const wxColour& pPen, const wxColour& pBrush) const {
        const wxColour colours[] = {pPen, pBrush, theGrey};
        const std::vector<uint32_t> pixels = Pixels();
        std::string picture;
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (i > 0 && i % aWidth == 0)
                picture += '/';
            const wxColour pixel(pixels[i] >> 16, (pixels[i] >> 8) & 255, pixels[i] & 255);
            picture += "PB.?"[std::find(colours, colours + 3, pixel) - colours];
        }
        return picture;
    }

private:
    const int aWidth;
    wxBitmap aBitmap;
    wxMemoryDC aDC;
};

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
            EXPECT_TRUE(pDC.GetLogicalFunction() == pFunction && pDC.GetPen() == pen &&
                        pDC.GetBrush() == brush);
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
