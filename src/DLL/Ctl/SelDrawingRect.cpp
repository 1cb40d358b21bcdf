#include "DLL/Ctl/SelDrawingRect.h"

#include "ALL/Assert.h"
#include "ALL/Variant.h"
#include "DLL/Ctl/RasterHelper.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/BaseRow.h"

#include <wx/scrolwin.h>

#include <cstdint>

TZVSelDrawingRect::TZVSelDrawingRect(wxDC& pDC, int pRowOffset, int pX, int pY, int pWidth,
                                     int pHeight)
    : aRect(pX, pY, pWidth, pHeight), aDC(&pDC), aRowOffset(pRowOffset) {}

TZVSelDrawingRect::TZVSelDrawingRect(wxDC& pDC, int pRowOffset, const wxRect& pRect)
    : aRect(pRect), aDC(&pDC), aRowOffset(pRowOffset) {}

TZVSelDrawingRect::TZVSelDrawingRect(wxScrolledWindow* pWindow, wxDC& pDC, int pRowOffset, int pX,
                                     int pY, int pWidth, int pHeight)
    : TZVSelDrawingRect(pDC, pRowOffset, pX, pY, pWidth, pHeight) {
    pWindow->PrepareDC(pDC);
}

void TZVSelDrawingRect::DrawRowSelect() const {
    const TRasterHelper raster(*aDC);
    aDC->SetLogicalFunction(wxXOR);
    aDC->SetPen(*wxTRANSPARENT_PEN);
    aDC->SetBrush(*GetShadeBrush());
    raster.DrawRectangle(aRect.x, aRect.y, aRect.width, 2);
    raster.DrawRectangle(aRect.x, aRect.y + aRect.height - 2, aRect.width, 2);
    aDC->SetLogicalFunction(wxCOPY);
}

void TZVSelDrawingRect::DrawRowSelect(const TZVBaseRow* pRow) {
    if (!ZV_ASSERT(pRow != NULL))
        return;
    aRect.y = pRow->aTop - aRowOffset;
    aRect.height = pRow->aHeight - 1;
    DrawRowSelect();
}

void TZVSelDrawingRect::DrawTimeSelRect() const {
    const TRasterHelper raster(*aDC);
    const bool isLine = aRect.width == 0;
    if (isLine)
        aDC->SetLogicalFunction(wxXOR);
    const int bottom = aRect.y + aRect.height;
    int y = aRect.y;
    const TZVBaseRow* row = TZVBaseRow::GetRowAt(y + aRowOffset);
    if (!row) {
        DrawPiece(raster, y, bottom - y);
    } else {
        DrawPiece(raster, y, row->aTop + 2 - aRowOffset - y);
        // From 3 pixels above each row's bottom, 5 pixels across the boundary to the next.
        for (;;) {
            y = row->aTop + row->aHeight - 3 - aRowOffset;
            const TZVBaseRow* next = bottom - y > 4 ? row->GetNextRow() : nullptr;
            if (!next)
                break;
            DrawPiece(raster, y, 5);
            row = next;
        }
        DrawPiece(raster, y, bottom - y);
    }
    if (isLine)
        aDC->SetLogicalFunction(wxCOPY);
}

void TZVSelDrawingRect::EraseTimeSelRange() const {
    if (aRect.width <= 0)
        return;
    aDC->SetBrush(*GetButtonFaceBrush());
    DrawTimeSelRect();
    aDC->SetBrush(*GetBlueBrush());
}

void TZVSelDrawingRect::DrawCurSelTime(long pX, bool pInside) const {
    const bool inside = pX >= aRect.x && pX < long(aRect.x) + aRect.width;
    if (inside != pInside)
        return;
    aDC->SetPen(*GetOrangePen());
    TZVSelDrawingRect line(*this);
    line.aRect.x = SaturateToInt(int64_t(pX));
    line.aRect.width = 0;
    line.DrawTimeSelRect();
}

void TZVSelDrawingRect::DrawPiece(const TRasterHelper& pRaster, int pY, int pHeight) const {
    if (pHeight <= 0)
        return;
    if (aRect.width == 0)
        pRaster.DrawLine(aRect.x, pY, aRect.x, pY + pHeight);
    else
        pRaster.DrawRectangle(aRect.x, pY, aRect.width, pHeight);
}

TZVSelDrawingRectBuilder::TZVSelDrawingRectBuilder(wxScrolledWindow* pWindow, int pRowOffset,
                                                   int pX, int pY, int pWidth, int pHeight)
    : aClientDC(pWindow), aSelRect(pWindow, aClientDC, pRowOffset, pX, pY, pWidth, pHeight) {}
