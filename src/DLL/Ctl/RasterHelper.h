// Exact drawing of rectangles, frames and horizontal and vertical lines on a wxDC.
// The cairo drawing behind wxGTK's DCs knows wxXOR only as a Porter-Duff operator (drawing
// twice does not restore the image) and antialiases line ends, while the module's handles and
// selections rely on a bitwise exclusive-or and on exact pixels. So every drawing of the module
// goes through this helper:
// - under wxXOR each pixel's red, green and blue are exclusive-ored with the pen's or the
//   brush's colour (alpha is left alone; a hatched brush counts as solid), so drawing the same
//   thing twice restores the image byte for byte; every other logical function draws natively;
// - a rectangle (x, y, w, h) covers exactly w x h pixels, lines are 1 pixel wide, end-exclusive
//   and never antialiased;
// - the DC's pen, brush, logical function and clipping are used and left as they were.
#pragma once

#include <wx/dc.h>
#include <wx/gdicmn.h>

class TRasterHelper {
public:
    // Draws on pDC, which must outlive the helper.
    explicit TRasterHelper(wxDC& pDC) : aDC(pDC) {}

    // The rectangle (x, y, w, h): a 1-pixel ring in the pen's colour around the interior in the
    // brush, each pixel drawn once. A transparent pen gives the whole rectangle to the brush, a
    // transparent brush leaves a frame. Nothing when w or h is not positive.
    void DrawRectangle(int pX, int pY, int pWidth, int pHeight) const;
    void DrawRectangle(const wxRect& pRect) const;

    // The horizontal or vertical line from (x1, y1) towards (x2, y2) in the pen's colour, the
    // end pixel excluded: nothing when both ends are the same point. A slanted line is reported
    // and not drawn.
    void DrawLine(int pX1, int pY1, int pX2, int pY2) const;

private:
    // The ring of pRect in the pen's colour: top and bottom rows, then the sides between them.
    void FillRing(const wxRect& pRect, const wxColour& pColour) const;
    // The rectangles (none empty) in a solid colour; under wxXOR each on its own.
    void FillColour(const wxRect* pRects, int pCount, const wxColour& pColour) const;
    // pRect (not empty) in the DC's brush.
    void FillBrush(const wxRect& pRect) const;

    wxDC& aDC;
};
