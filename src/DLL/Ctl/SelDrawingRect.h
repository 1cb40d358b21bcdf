// TZVSelDrawingRect: the selection marks of the timeline on a rectangle of a DC: the row
// selection (two thin bars at a row's top and bottom), the time selection (a band across the
// rows that leaves out each row's inner band, which the row paints itself) and the
// current-time line. The host builds one on the stack inside its paint and mouse handling.
// Every mark drawn in wxXOR is removed by drawing it again; rows come from the current
// project's row tree, whose y coordinates are the DC's shifted by aRowOffset.
// TZVSelDrawingRectBuilder: the same on a client DC of its own.
#pragma once

#include <wx/dcclient.h>
#include <wx/gdicmn.h>

class TRasterHelper;
class TZVBaseRow;
class wxDC;
class wxScrolledWindow;

class TZVSelDrawingRect {
public:
    // pDC must outlive the object; pRowOffset: DC y = row y - pRowOffset.
    TZVSelDrawingRect(wxDC& pDC, int pRowOffset, int pX, int pY, int pWidth, int pHeight);
    TZVSelDrawingRect(wxDC& pDC, int pRowOffset, const wxRect& pRect);
    // As the first, then prepares pDC for pWindow's scroll position.
    TZVSelDrawingRect(wxScrolledWindow* pWindow, wxDC& pDC, int pRowOffset, int pX, int pY,
                      int pWidth, int pHeight);

    // Exclusive-ors the shade brush into the top 2 and bottom 2 pixel rows of aRect (no
    // outline), then leaves the logical function at wxCOPY with that pen and brush set.
    void DrawRowSelect() const;
    // The same over pRow: aRect takes the row's top (in DC y) and its height less 1, and keeps
    // them. A null row is reported and nothing is drawn.
    void DrawRowSelect(const TZVBaseRow* pRow);
    // Paints aRect with the DC's pen, brush and logical function, except the band of each row
    // it crosses from the row's top + 2 to its bottom - 3. A zero-width rectangle is a
    // vertical line in the pen's colour, drawn in wxXOR, after which the logical function is
    // wxCOPY. Without a row under the top the whole rectangle is painted.
    void DrawTimeSelRect() const;
    // Paints a time selection of non-zero width away with the button face, then leaves the
    // blue brush set for the next selection.
    void EraseTimeSelRange() const;
    // The current-time line at pixel pX, in the orange pen and gapped like the time selection,
    // drawn only when pX lying among aRect's columns equals pInside. The pen stays set.
    void DrawCurSelTime(long pX, bool pInside) const;

    wxRect aRect;   // the area to draw, in the DC's coordinates
    wxDC* aDC;      // not owned
    int aRowOffset; // DC y = row y - aRowOffset

private:
    // The part of aRect's columns from pY down, pHeight rows high.
    void DrawPiece(const TRasterHelper& pRaster, int pY, int pHeight) const;
};

class TZVSelDrawingRectBuilder {
public:
    // A client DC on pWindow, prepared for its scroll position, and the selection rectangle
    // (pX, pY, pWidth, pHeight) on it. The DC lives as long as the builder.
    TZVSelDrawingRectBuilder(wxScrolledWindow* pWindow, int pRowOffset, int pX, int pY, int pWidth,
                             int pHeight);
    TZVSelDrawingRectBuilder(const TZVSelDrawingRectBuilder&) = delete;
    TZVSelDrawingRectBuilder& operator=(const TZVSelDrawingRectBuilder&) = delete;

    wxClientDC aClientDC;
    TZVSelDrawingRect aSelRect; // draws on aClientDC
};
