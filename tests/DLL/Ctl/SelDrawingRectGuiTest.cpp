#include "DLL/Ctl/SelDrawingRect.h"

#include "DLL/Res/DrawingResources.h"
#include "support/AssertCapture.h"
#include "support/Canvas.h"
#include "support/FakeRows.h"

#include <wx/frame.h>
#include <wx/scrolwin.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

const wxColour theTeal(0, 128, 128), theOlive(128, 128, 0);

// Letters of the colours a test expects: as drawn in wxCOPY or set in the DC; N, O and S as
// olive, orange and shade come out in XOR on grey.
std::vector<std::pair<uint32_t, char>> Names() {
    const auto xorGrey = [](const wxColour& pColour) { return RgbOf(pColour) ^ 0x808080; };
    const wxColour orange = GetOrangePen()->GetColour(), shade = GetShadeBrush()->GetColour();
    return {{RgbOf(theTeal), 'T'},
            {RgbOf(theOlive), 'P'},
            {xorGrey(theOlive), 'N'},
            {RgbOf(orange), 'o'},
            {xorGrey(orange), 'O'},
            {RgbOf(shade), 's'},
            {xorGrey(shade), 'S'},
            {RgbOf(GetBlueBrush()->GetColour()), 'B'},
            {RgbOf(GetButtonFaceBrush()->GetColour()), 'F'}};
}

// The canvas's drawing, then the DC's pen and brush colours and its logical function.
std::string State(const TCanvas& pCanvas, wxDC& pDC) {
    const auto letter = [](const wxColour& pColour, bool pTransparent) {
        for (const auto& name : Names())
            if (!pTransparent && name.first == RgbOf(pColour))
                return name.second;
        return pTransparent ? '-' : '?';
    };
    const wxPen pen = pDC.GetPen();
    const wxBrush brush = pDC.GetBrush();
    return pCanvas.Runs(false, Names()) + " | pen " + letter(pen.GetColour(), pen.IsTransparent()) +
           " brush " + letter(brush.GetColour(), brush.IsTransparent()) +
           (pDC.GetLogicalFunction() == wxCOPY ? "" : " not COPY");
}

struct TSelCase {
    const char* aName;
    bool aRows;  // rows of heights 24 and 24 at y 0 and 24; else no root row
    int aOffset; // row y - DC y
    wxRect aRect;
    bool aPen; // olive pen, else transparent
    std::function<void(const TZVSelDrawingRect&)> aDraw;
    const char* aExpected;
};

const auto theTimeSel = [](const TZVSelDrawingRect& pSel) { pSel.DrawTimeSelRect(); };

const TSelCase theSelCases[] = {
    {"band: top 2 rows, 5 across the boundary, 4 at the end", true, 0, wxRect(2, 0, 5, 49), false,
     theTimeSel, "0-1:2-6T 21-25:2-6T 45-48:2-6T | pen - brush T"},
    {"zero width: an XOR line with the same gaps", true, 0, wxRect(4, 0, 0, 49), true, theTimeSel,
     "0-1:4N 21-25:4N 45-48:4N | pen P brush T"},
    {"no root row: the whole rectangle", false, 0, wxRect(2, 0, 5, 49), false, theTimeSel,
     "0-48:2-6T | pen - brush T"},
    {"starting in a row's last 3 pixels: the piece starts above", true, 0, wxRect(2, 22, 5, 20),
     false, theTimeSel, "21-25:2-6T | pen - brush T"},
    {"rows shifted by the offset", true, 10, wxRect(2, 0, 5, 30), false, theTimeSel,
     "11-15:2-6T | pen - brush T"},
    {"erase: the button face, then the blue brush", true, 0, wxRect(1, 0, 8, 49), false,
     [](const TZVSelDrawingRect& pSel) { pSel.EraseTimeSelRange(); },
     "0-1:1-8F 21-25:1-8F 45-48:1-8F | pen - brush B"},
    {"erase at width 0: nothing", true, 0, wxRect(4, 0, 0, 49), true,
     [](const TZVSelDrawingRect& pSel) { pSel.EraseTimeSelRange(); }, " | pen P brush T"},
    {"current time at x + width, inside: nothing", true, 0, wxRect(2, 0, 5, 49), true,
     [](const TZVSelDrawingRect& pSel) { pSel.DrawCurSelTime(7, true); }, " | pen P brush T"},
    {"current time at x + width, outside: the gapped orange line", true, 0, wxRect(2, 0, 5, 49),
     true, [](const TZVSelDrawingRect& pSel) { pSel.DrawCurSelTime(7, false); },
     "0-1:7O 21-25:7O 45-48:7O | pen o brush T"},
    {"current time at x, inside", true, 0, wxRect(2, 0, 5, 49), true,
     [](const TZVSelDrawingRect& pSel) { pSel.DrawCurSelTime(2, true); },
     "0-1:2O 21-25:2O 45-48:2O | pen o brush T"},
    {"current time at x, outside: nothing", true, 0, wxRect(2, 0, 5, 49), true,
     [](const TZVSelDrawingRect& pSel) { pSel.DrawCurSelTime(2, false); }, " | pen P brush T"},
    {"current time far outside the int range", true, 0, wxRect(2, 0, 5, 49), true,
     [](const TZVSelDrawingRect& pSel) { pSel.DrawCurSelTime(1L << 40, true); },
     " | pen P brush T"},
};

} // namespace

TEST(SelDrawingRect, TimeSelectionLeavesOutEachRowsInnerBand) {
    for (const TSelCase& test : theSelCases) {
        SCOPED_TRACE(test.aName);
        TFakeRootRow root({{0, 24}, {24, 24}});
        const TFakeProject project(test.aRows ? &root : nullptr);
        TCanvas canvas(true, 10, 50);
        wxDC& dc = canvas.DC();
        dc.SetPen(test.aPen ? wxPen(theOlive) : *wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(theTeal));
        test.aDraw(TZVSelDrawingRect(dc, test.aOffset, test.aRect));
        EXPECT_EQ(State(canvas, dc), test.aExpected);
    }
}

// The bars are drawn in XOR whatever the DC's function was; drawn again they are gone, the grey
// canvas whole again. The row form places the rectangle on the row and keeps it there; a null
// row draws nothing.
TEST(SelDrawingRect, RowSelectionXorsTwoBarsAndUndoesItself) {
    TCanvas canvas(true, 10, 12);
    wxDC& dc = canvas.DC();
    dc.SetLogicalFunction(wxINVERT);
    TZVSelDrawingRect selection(dc, 5, 1, 0, 6, 0);
    TFakeRow row(7, 9);
    selection.DrawRowSelect(&row);
    EXPECT_EQ(selection.aRect, wxRect(1, 2, 6, 8));
    EXPECT_EQ(State(canvas, dc), "2-3:1-6S 8-9:1-6S | pen - brush s");
    selection.DrawRowSelect();
    EXPECT_EQ(State(canvas, dc), " | pen - brush s");

    EXPECT_ASSERTS(selection.DrawRowSelect(nullptr), "pRow != __null");
    EXPECT_EQ(State(canvas, dc), " | pen - brush s");
}

// The builder's client DC is prepared for the window's scroll position.
TEST(SelDrawingRect, BuilderPreparesItsClientDcForTheScrollPosition) {
    const std::unique_ptr<wxFrame> frame(new wxFrame(nullptr, wxID_ANY, "timeline"));
    wxScrolledWindow* window = new wxScrolledWindow(frame.get());
    window->SetSize(100, 100);
    window->SetScrollbars(1, 1, 1000, 1000);
    window->Scroll(30, 40);
    const TZVSelDrawingRectBuilder builder(window, 3, 1, 2, 4, 5);
    EXPECT_EQ(builder.aClientDC.GetDeviceOrigin(), wxPoint(-30, -40));
    EXPECT_EQ(builder.aSelRect.aDC, &builder.aClientDC);
}
