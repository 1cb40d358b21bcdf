#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"
#include "DLL/Res/DrawingResources.h"
#include "support/AssertCapture.h"
#include "support/Canvas.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Looks on white: N normal (white ^ olive), H hovered (^ grey), A status 3 (^ teal), '.'
// white; rows joined by '/'.
std::string Look(const TCanvas& pCanvas) {
    const std::vector<uint32_t> pixels = pCanvas.Pixels();
    std::string look;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i > 0 && i % pCanvas.Width() == 0)
            look += '/';
        switch (pixels[i]) {
        case 0xFFFFFF:
            look += '.';
            break;
        case 0x7F7FFF:
            look += 'N';
            break;
        case 0x7F7F7F:
            look += 'H';
            break;
        case 0xFF7F7F:
            look += 'A';
            break;
        default:
            look += '?';
        }
    }
    return look;
}

std::unique_ptr<TCanvas> WhiteCanvas(int pWidth, int pHeight) {
    std::unique_ptr<TCanvas> canvas(new TCanvas(true, pWidth, pHeight));
    canvas->DC().SetBackground(*wxWHITE_BRUSH);
    canvas->DC().Clear();
    return canvas;
}

// A 2D handle showing squares at the given places and, when there is room, the frame after
// them.
std::unique_ptr<TZV2DSizeHandle> SquaresHandle(const std::vector<wxPoint>& pSquares,
                                               const wxRect& pFrame, int pCount) {
    std::unique_ptr<TZV2DSizeHandle> handle(new TZV2DSizeHandle());
    TSizeData* data = handle->CreateSizeData(0, T32BoolArray(3));
    for (size_t i = 0; i < pSquares.size(); ++i)
        data->aRect[i] = wxRect(pSquares[i], wxSize(5, 5));
    data->aRectCount = pCount;
    if (pCount < data->GetCapacity())
        data->aRect[pCount] = pFrame;
    EXPECT_TRUE(handle->UpdateHandle(data, int(TSizeData::theCurSerial)));
    return handle;
}

TEST(SizeHandleGuiTest, HoverLooksAreXorDifferencesThatUndoThemselves) {
    const auto canvas = WhiteCanvas(12, 8);
    wxDC& dc = canvas->DC();
    const wxPoint origin(1, 1);
    // Two overlapping squares and a frame around both, drawn one pixel right and down.
    const auto handle = SquaresHandle({{0, 0}, {3, 1}}, wxRect(-1, -1, 11, 7), 2);
    std::vector<std::string> looks;
    handle->RefreshHandle(dc, origin);
    looks.push_back(Look(*canvas));
    handle->DrawHandle(0, 2, dc, origin);
    looks.push_back(Look(*canvas));
    handle->DrawHandle(0, 3, dc, origin);
    looks.push_back(Look(*canvas));
    handle->DrawHandle(1, 2, dc, origin);
    looks.push_back(Look(*canvas));
    handle->DrawHandle(-1, 0, dc, origin);
    looks.push_back(Look(*canvas));
    EXPECT_EQ(dc.GetLogicalFunction(), wxXOR);
    handle->RefreshHandle(dc, origin);
    looks.push_back(Look(*canvas));
    // Squares at x 1-5 and 4-8 overlap in columns 4 and 5 (white, drawn twice); the frame
    // ring (columns 0 and 10, rows 0 and 6) in the pen's look, white where square 1 meets it.
    const std::string normal = "NNNNNNNNNNN./NNNNNN....N./NNNN..NNN.N./NNNN..NNN.N./"
                               "NNNN..NNN.N./NNNN..NNN.N./NNNN.....NN./............";
    const std::string white = "............/............/............/............/"
                              "............/............/............/............";
    EXPECT_EQ(looks, (std::vector<std::string>{
                         normal,
                         // square 0 hovered; where it overlaps square 1 neither look is pure
                         "NNNNNNNNNNN./NHHHHH....N./NHHH??NNN.N./NHHH??NNN.N./"
                         "NHHH??NNN.N./NHHH??NNN.N./NNNN.....NN./............",
                         // square 0 in status 3
                         "NNNNNNNNNNN./NAAAAA....N./NAAA??NNN.N./NAAA??NNN.N./"
                         "NAAA??NNN.N./NAAA??NNN.N./NNNN.....NN./............",
                         // square 0 restored, square 1 hovered
                         "NNNNNNNNNNN./NNNNNN....N./NNNN??HHH.N./NNNN??HHH.N./"
                         "NNNN??HHH.N./NNNN??HHH.N./NNNN?????NN./............",
                         normal, white}));
}

TEST(SizeHandleGuiTest, RefreshDrawsTheHoverLookItself) {
    const std::vector<wxPoint> squares{{0, 0}, {3, 1}};
    const wxPoint origin(1, 1);
    std::vector<std::string> looks;
    for (int status : {2, 3}) {
        const auto hovered = WhiteCanvas(12, 8);
        const auto handle = SquaresHandle(squares, wxRect(-1, -1, 11, 7), 2);
        handle->RefreshHandle(hovered->DC(), origin);
        handle->DrawHandle(1, status, hovered->DC(), origin);
        looks.push_back(Look(*hovered));
        const auto refreshed = WhiteCanvas(12, 8);
        handle->RefreshHandle(refreshed->DC(), origin);
        looks.push_back(Look(*refreshed));
    }
    EXPECT_EQ(looks[0], looks[1]);
    EXPECT_EQ(looks[2], looks[3]);
    // A hover status of a press over nothing is reported and drawn hovered.
    const auto canvas = WhiteCanvas(12, 8);
    const auto handle = SquaresHandle(squares, wxRect(-1, -1, 11, 7), 2);
    handle->DrawHandle(1, 1, canvas->DC(), origin);
    EXPECT_ASSERTS(handle->RefreshHandle(canvas->DC(), origin),
                   "aHoverStatus > IDragAutomaton::IActionee::hoverDIG");
}

TEST(SizeHandleGuiTest, CrossSquareShowsTheBackgroundUnderItsLinesButTheCentre) {
    const auto canvas = WhiteCanvas(13, 13);
    TZVPointSizeHandle handle;
    TSizeData* data = handle.CreateSizeData(0, T32BoolArray(3));
    TZVPointSizeHandle::FillSizeHandle(data, wxSize(6, 6));
    handle.UpdateHandle(data, int(TSizeData::theCurSerial));
    handle.RefreshHandle(canvas->DC(), wxPoint(0, 0));
    const std::string line = "......N....../", square = "....NN.NN..../";
    EXPECT_EQ(Look(*canvas) + "/", line + line + line + line + square + square + "NNNN..N..NNNN/" +
                                       square + square + line + line + line + line);
}

TEST(SizeHandleGuiTest, RecordsWithoutRoomForAFrameOrRefusedDrawNoFrame) {
    std::vector<wxPoint> squares;
    std::string row;
    for (int i = 0; i < 9; ++i) {
        squares.push_back(wxPoint(6 * i, 0));
        row += "NNNNN.";
    }
    // Nine squares in a record of nine rectangles: the frame would lie past the array.
    const auto full = WhiteCanvas(54, 5);
    SquaresHandle(squares, wxRect(), 9)->RefreshHandle(full->DC(), wxPoint(0, 0));
    EXPECT_EQ(Look(*full), row + "/" + row + "/" + row + "/" + row + "/" + row);
    const auto refused = WhiteCanvas(6, 2);
    const auto handle = SquaresHandle({{0, 0}}, wxRect(0, 0, 6, 2), 1);
    EXPECT_FALSE(handle->UpdateHandle(handle->CreateSizeData(0, T32BoolArray(3)),
                                      int(TSizeData::theCurSerial) - 0x10000));
    handle->RefreshHandle(refused->DC(), wxPoint(0, 0));
    EXPECT_EQ(Look(*refused), "....../......");
}

TEST(SizeHandleGuiTest, HitTestShowsTheKindsCursor) {
    struct TCase {
        const char* aName;
        std::unique_ptr<TZVSizeHandleBase> aHandle;
        uint32_t aFlags;
        wxCursor* aExpected;
    };
    TCase cases[] = {
        {"point, both axes", std::unique_ptr<TZVSizeHandleBase>(new TZVPointSizeHandle()), 3,
         GetAllSizeCursor()},
        {"2D corner", std::unique_ptr<TZVSizeHandleBase>(new TZV2DSizeHandle()), 3,
         GetBackSizeCursor()},
        {"4D left and right, corner", std::unique_ptr<TZVSizeHandleBase>(new TZV4DSizeHandle()), 5,
         GetHoriSizeCursor()},
    };
    for (TCase& test : cases) {
        TSizeData* data = test.aHandle->CreateSizeData(0, T32BoolArray(test.aFlags));
        data->aCenterX = data->aCenterY = 50;
        if (dynamic_cast<TZV4DSizeHandle*>(test.aHandle.get()))
            TZV4DSizeHandle::FillSizeHandle(data, wxSize(20, 20), false, false);
        else if (dynamic_cast<TZV2DSizeHandle*>(test.aHandle.get()))
            TZV2DSizeHandle::FillSizeHandle(data, wxSize(20, 20), false);
        else
            TZVPointSizeHandle::FillSizeHandle(data, wxSize(37, 37));
        test.aHandle->UpdateHandle(data, int(TSizeData::theCurSerial));
        const wxCursor* cursor = nullptr;
        // The top-left square (37, 37, 5, 5); the cross (31, 31, 13, 13).
        EXPECT_EQ(test.aHandle->FindHandleAt(wxPoint(38, 38), cursor), 0) << test.aName;
        EXPECT_EQ(cursor, test.aExpected) << test.aName;
    }
}

} // namespace
