#include "DLL/Ctl/RasterHelper.h"

#include "support/AssertCapture.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace {

const wxColour theGrey(128, 128, 128);
const wxColour theOlive(128, 128, 0);
const wxColour theTeal(0, 128, 128);

wxColour Xor(const wxColour& pA, const wxColour& pB) {
    return wxColour(pA.Red() ^ pB.Red(), pA.Green() ^ pB.Green(), pA.Blue() ^ pB.Blue());
}

// A memory DC on a 24-bit bitmap, with a background that differs from pixel to pixel (so that
// a restored image is a real check) or of one colour (so that coverage shows).
class TCanvas {
public:
    TCanvas(int pWidth, int pHeight, const wxColour* pFill = nullptr) {
        wxImage image(pWidth, pHeight);
        for (int y = 0; y < pHeight; ++y)
            for (int x = 0; x < pWidth; ++x) {
                if (pFill)
                    image.SetRGB(x, y, pFill->Red(), pFill->Green(), pFill->Blue());
                else
                    image.SetRGB(x, y, (x * 37 + y * 11) & 255, (x * 5 + y * 71) & 255,
                                 (x * y + 3 * x + 200) & 255);
            }
        aBitmap = wxBitmap(image, 24);
        aDC.SelectObject(aBitmap);
    }

    wxMemoryDC& DC() { return aDC; }

    // The DC's pixels as they are now, 4 bytes each. They are read from the cairo image that
    // the DC draws on: wxBitmap keeps a converted copy that drawing does not refresh.
    std::string Bytes() const {
        cairo_surface_t* surface = Surface();
        const int width = cairo_image_surface_get_width(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const char* data = reinterpret_cast<const char*>(cairo_image_surface_get_data(surface));
        std::string bytes;
        for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
            bytes.append(data + y * stride, size_t(width) * 4);
        return bytes;
    }

    wxColour Pixel(int pX, int pY) const {
        cairo_surface_t* surface = Surface();
        const unsigned char* row =
            cairo_image_surface_get_data(surface) + pY * cairo_image_surface_get_stride(surface);
        const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[pX];
        return wxColour((pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255);
    }

    // The picture as characters: P where the pixel is pPen, B where it is pBrush, '.' where it
    // is the background pBack, '?' elsewhere; rows joined.
    std::string Picture(const wxColour& pBack, const wxColour& pPen, const wxColour& pBrush) const {
        cairo_surface_t* surface = Surface();
        std::string picture;
        for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
                const wxColour pixel = Pixel(x, y);
                picture += pixel == pPen ? 'P' : pixel == pBrush ? 'B' : pixel == pBack ? '.' : '?';
            }
        return picture;
    }

private:
    cairo_surface_t* Surface() const {
        wxGraphicsContext* context = aDC.GetGraphicsContext();
        cairo_surface_t* surface =
            cairo_get_target(static_cast<cairo_t*>(context->GetNativeContext()));
        cairo_surface_flush(surface);
        return surface;
    }

    wxBitmap aBitmap;
    wxMemoryDC aDC;
};

using TDraw = std::function<void(const TRasterHelper&)>;

struct TShape {
    const char* aName;
    bool aPen;   // olive pen, else transparent
    bool aBrush; // teal brush, else transparent
    TDraw aDraw;
    const char* aPicture; // on an 8 x 6 canvas
};

const TShape theShapes[] = {
    {"rectangle with pen and brush", true, true,
     [](const TRasterHelper& pRaster) { pRaster.DrawRectangle(1, 1, 5, 4); },
     "........"
     ".PPPPP.."
     ".PBBBP.."
     ".PBBBP.."
     ".PPPPP.."
     "........"},
    {"band (no pen)", false, true,
     [](const TRasterHelper& pRaster) { pRaster.DrawRectangle(wxRect(0, 2, 8, 2)); },
     "........"
     "........"
     "BBBBBBBB"
     "BBBBBBBB"
     "........"
     "........"},
    {"frame (no brush)", true, false,
     [](const TRasterHelper& pRaster) { pRaster.DrawRectangle(2, 0, 4, 5); },
     "..PPPP.."
     "..P..P.."
     "..P..P.."
     "..P..P.."
     "..PPPP.."
     "........"},
    {"2 x 2 rectangle is all ring", true, true,
     [](const TRasterHelper& pRaster) { pRaster.DrawRectangle(3, 2, 2, 2); },
     "........"
     "........"
     "...PP..."
     "...PP..."
     "........"
     "........"},
    {"one-pixel-wide rectangle", true, true,
     [](const TRasterHelper& pRaster) { pRaster.DrawRectangle(6, 1, 1, 4); },
     "........"
     "......P."
     "......P."
     "......P."
     "......P."
     "........"},
    {"rectangle over the edges", true, true,
     [](const TRasterHelper& pRaster) { pRaster.DrawRectangle(-1, 3, 10, 4); },
     "........"
     "........"
     "........"
     "PPPPPPPP"
     "BBBBBBBB"
     "BBBBBBBB"},
    {"empty rectangles", true, true,
     [](const TRasterHelper& pRaster) {
         pRaster.DrawRectangle(1, 1, 0, 3);
         pRaster.DrawRectangle(1, 1, 3, -1);
     },
     "........"
     "........"
     "........"
     "........"
     "........"
     "........"},
    {"lines, end excluded, both directions", true, false,
     [](const TRasterHelper& pRaster) {
         pRaster.DrawLine(1, 0, 5, 0);
         pRaster.DrawLine(5, 2, 1, 2);
         pRaster.DrawLine(7, 1, 7, 5);
         pRaster.DrawLine(0, 5, 0, 3);
         pRaster.DrawLine(3, 4, 3, 4);
     },
     ".PPPP..."
     ".......P"
     "..PPPP.P"
     ".......P"
     "P......P"
     "P......."},
    {"lines need a pen", false, true,
     [](const TRasterHelper& pRaster) { pRaster.DrawLine(1, 1, 6, 1); },
     "........"
     "........"
     "........"
     "........"
     "........"
     "........"},
};

void PrintTo(const TShape& pShape, std::ostream* pStream) {
    *pStream << pShape.aName;
}

class TRasterShapes : public testing::TestWithParam<TShape> {};

void Prepare(wxDC& pDC, const TShape& pShape, wxRasterOperationMode pFunction) {
    pDC.SetPen(pShape.aPen ? wxPen(theOlive, 1, wxPENSTYLE_SOLID) : *wxTRANSPARENT_PEN);
    pDC.SetBrush(pShape.aBrush ? wxBrush(theTeal, wxBRUSHSTYLE_SOLID) : *wxTRANSPARENT_BRUSH);
    pDC.SetLogicalFunction(pFunction);
}

} // namespace

TEST_P(TRasterShapes, CopyCoversExactlyTheShapePixels) {
    TCanvas canvas(8, 6, &theGrey);
    Prepare(canvas.DC(), GetParam(), wxCOPY);
    GetParam().aDraw(TRasterHelper(canvas.DC()));
    EXPECT_EQ(canvas.Picture(theGrey, theOlive, theTeal), GetParam().aPicture);
}

TEST_P(TRasterShapes, XorCoversTheSamePixelsWithXoredColours) {
    TCanvas canvas(8, 6, &theGrey);
    Prepare(canvas.DC(), GetParam(), wxXOR);
    GetParam().aDraw(TRasterHelper(canvas.DC()));
    EXPECT_EQ(canvas.Picture(theGrey, Xor(theGrey, theOlive), Xor(theGrey, theTeal)),
              GetParam().aPicture);
}

TEST_P(TRasterShapes, XorDrawnTwiceRestoresTheImageByteForByte) {
    TCanvas canvas(8, 6);
    const std::string before = canvas.Bytes();
    Prepare(canvas.DC(), GetParam(), wxXOR);
    const TRasterHelper raster(canvas.DC());
    GetParam().aDraw(raster);
    GetParam().aDraw(raster);
    EXPECT_EQ(canvas.Bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TRasterShapes, testing::ValuesIn(theShapes),
                         [](const testing::TestParamInfo<TShape>& pInfo) {
                             std::string name;
                             for (const char* c = pInfo.param.aName; *c; ++c)
                                 if (isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });

TEST(RasterHelper, XorOfOliveOnGreyGivesNavy) {
    TCanvas canvas(4, 4, &theGrey);
    canvas.DC().SetPen(*wxTRANSPARENT_PEN);
    canvas.DC().SetBrush(wxBrush(theOlive));
    canvas.DC().SetLogicalFunction(wxXOR);
    TRasterHelper(canvas.DC()).DrawRectangle(0, 0, 2, 2);
    EXPECT_EQ(canvas.Pixel(1, 1), wxColour(0, 0, 128));
    EXPECT_EQ(canvas.Pixel(2, 2), theGrey);
}

TEST(RasterHelper, TheDCKeepsItsLogicalFunctionPenAndBrush) {
    for (wxRasterOperationMode function : {wxCOPY, wxXOR}) {
        TCanvas canvas(8, 6);
        wxDC& dc = canvas.DC();
        dc.SetPen(wxPen(theOlive, 1, wxPENSTYLE_SOLID));
        dc.SetBrush(wxBrush(theTeal));
        dc.SetLogicalFunction(function);
        const TRasterHelper raster(dc);
        raster.DrawRectangle(1, 1, 4, 4);
        raster.DrawLine(0, 5, 6, 5);
        EXPECT_EQ(dc.GetLogicalFunction(), function);
        EXPECT_EQ(dc.GetPen().GetColour(), theOlive);
        EXPECT_EQ(dc.GetBrush().GetColour(), theTeal);
        EXPECT_EQ(dc.GetBrush().GetStyle(), wxBRUSHSTYLE_SOLID);
    }
}

TEST(RasterHelper, OverlappingXorShapesUndoInAnyOrder) {
    TCanvas canvas(12, 10);
    const std::string before = canvas.Bytes();
    wxDC& dc = canvas.DC();
    dc.SetLogicalFunction(wxXOR);
    const TRasterHelper raster(dc);
    const wxPen pens[] = {wxPen(theOlive), wxPen(wxColour(128, 0, 128))};
    const wxBrush brushes[] = {wxBrush(theTeal), wxBrush(wxColour(0, 64, 255))};
    const wxRect rects[] = {wxRect(1, 1, 6, 5), wxRect(4, 3, 7, 6)};
    for (int i : {0, 1, 0}) {
        dc.SetPen(pens[i]);
        dc.SetBrush(brushes[i]);
        raster.DrawRectangle(rects[i]);
    }
    EXPECT_NE(canvas.Bytes(), before);
    dc.SetPen(pens[1]);
    dc.SetBrush(brushes[1]);
    raster.DrawRectangle(rects[1]);
    EXPECT_EQ(canvas.Bytes(), before);
}

// A cross of two lines over a square: each primitive is exclusive-ored on its own, so where the
// two lines cross the pen is applied twice and the square's colour shows through.
TEST(RasterHelper, CompoundShapesXorEachPrimitiveSeparately) {
    TCanvas canvas(13, 13, &theGrey);
    wxDC& dc = canvas.DC();
    dc.SetPen(wxPen(theOlive));
    dc.SetBrush(wxBrush(theOlive));
    dc.SetLogicalFunction(wxXOR);
    const TRasterHelper raster(dc);
    raster.DrawRectangle(4, 4, 5, 5);
    raster.DrawLine(0, 6, 13, 6);
    raster.DrawLine(6, 0, 6, 13);
    EXPECT_EQ(canvas.Pixel(6, 6), Xor(theGrey, theOlive));
    EXPECT_EQ(canvas.Pixel(5, 6), theGrey);
    EXPECT_EQ(canvas.Pixel(0, 6), Xor(theGrey, theOlive));
    EXPECT_EQ(canvas.Pixel(4, 4), Xor(theGrey, theOlive));
}

TEST(RasterHelper, XorStaysInsideTheClippingRegion) {
    TCanvas canvas(8, 6, &theGrey);
    wxDC& dc = canvas.DC();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(theTeal));
    dc.SetLogicalFunction(wxXOR);
    dc.SetClippingRegion(2, 1, 3, 2);
    TRasterHelper(dc).DrawRectangle(0, 0, 8, 6);
    EXPECT_EQ(canvas.Picture(theGrey, theOlive, Xor(theGrey, theTeal)), "........"
                                                                        "..BBB..."
                                                                        "..BBB..."
                                                                        "........"
                                                                        "........"
                                                                        "........");
}

TEST(RasterHelper, XorFollowsTheDeviceOrigin) {
    TCanvas canvas(8, 6, &theGrey);
    wxDC& dc = canvas.DC();
    dc.SetPen(wxPen(theOlive));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetLogicalFunction(wxXOR);
    dc.SetDeviceOrigin(3, 2);
    TRasterHelper(dc).DrawLine(-1, 0, 3, 0);
    EXPECT_EQ(canvas.Picture(theGrey, Xor(theGrey, theOlive), theTeal), "........"
                                                                        "........"
                                                                        "..PPPP.."
                                                                        "........"
                                                                        "........"
                                                                        "........");
}

// A scaled DC is not drawn in place: the copy out and back covers the scaled pixels.
TEST(RasterHelper, XorOnAScaledDCCoversTheScaledPixelsAndUndoes) {
    TCanvas canvas(8, 6, &theGrey);
    wxDC& dc = canvas.DC();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(theTeal));
    dc.SetLogicalFunction(wxXOR);
    dc.SetUserScale(2, 2);
    const TRasterHelper raster(dc);
    raster.DrawRectangle(1, 1, 2, 1);
    EXPECT_EQ(canvas.Picture(theGrey, theOlive, Xor(theGrey, theTeal)), "........"
                                                                        "........"
                                                                        "..BBBB.."
                                                                        "..BBBB.."
                                                                        "........"
                                                                        "........");
    raster.DrawRectangle(1, 1, 2, 1);
    EXPECT_EQ(canvas.Picture(theGrey, theOlive, theTeal), std::string(48, '.'));
}

TEST(RasterHelper, ASlantedLineIsReportedAndNotDrawn) {
    TCanvas canvas(8, 6, &theGrey);
    canvas.DC().SetPen(wxPen(theOlive));
    const TRasterHelper raster(canvas.DC());
    EXPECT_ASSERTS(raster.DrawLine(0, 0, 3, 3), "pX1 == pX2 || pY1 == pY2");
    EXPECT_EQ(canvas.Picture(theGrey, theOlive, theTeal), std::string(48, '.'));
}
