#include "DLL/Ctl/4DSizeHandle.h"

#include "DLL/Res/DrawingResources.h"
#include "support/AssertCapture.h"
#include "support/Canvas.h"
#include "support/SizeHandleFakes.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Looks on white: N normal (white ^ olive), H hovered (^ grey), A status 3 (^ teal), '.'
// white, '?' any other; rows joined by '/'.
std::string Look(const TCanvas& pCanvas) {
    static const std::map<uint32_t, char> theLetters{
        {0xFFFFFF, '.'}, {0x7F7FFF, 'N'}, {0x7F7F7F, 'H'}, {0xFF7F7F, 'A'}};
    const std::vector<uint32_t> pixels = pCanvas.Pixels();
    std::string look;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const auto letter = theLetters.find(pixels[i]);
        look += std::string(i > 0 && i % pCanvas.Width() == 0 ? "/" : "") +
                (letter == theLetters.end() ? '?' : letter->second);
    }
    return look;
}

std::unique_ptr<TCanvas> WhiteCanvas(int pWidth, int pHeight) {
    std::unique_ptr<TCanvas> canvas(new TCanvas(true, pWidth, pHeight));
    canvas->DC().SetBackground(*wxWHITE_BRUSH);
    canvas->DC().Clear();
    return canvas;
}

// A 2D handle showing pCount squares at the given places and, when there is room, the frame.
std::unique_ptr<TZVSizeHandleBase> SquaresHandle(const std::vector<wxPoint>& pSquares,
                                                 const wxRect& pFrame, int pCount) {
    std::unique_ptr<TSizeData> data(new TZV2DSizeHandle::TData(0, T32BoolArray(3)));
    for (size_t i = 0; i < pSquares.size(); ++i)
        data->aRect[i] = wxRect(pSquares[i], wxSize(5, 5));
    data->aRectCount = pCount;
    if (pCount < data->GetCapacity())
        data->aRect[pCount] = pFrame;
    return ShowingHandle('2', std::move(data));
}

// Squares at x 1-5 and 4-8, one pixel down, and a frame ring around both; drawn once.
std::unique_ptr<TZVSizeHandleBase> OverlapHandle() {
    return SquaresHandle({{0, 0}, {3, 1}}, wxRect(-1, -1, 11, 7), 2);
}
const wxPoint theOrigin(1, 1);

TEST(SizeHandleGuiTest, HoverLooksAreXorDifferencesThatUndoThemselves) {
    const auto canvas = WhiteCanvas(12, 8);
    wxDC& dc = canvas->DC();
    const auto handle = OverlapHandle();
    std::vector<std::string> looks;
    const auto draw = [&](int pIndex, int pStatus) {
        if (pIndex < -1)
            handle->RefreshHandle(dc, theOrigin);
        else
            handle->DrawHandle(pIndex, pStatus, dc, theOrigin);
        looks.push_back(Look(*canvas));
    };
    draw(-2, 0); // refresh
    draw(0, 2);  // hover square 0
    draw(0, 3);  // square 0 in status 3
    draw(1, 2);  // straight to square 1
    draw(1, 4);  // another status of the same look: nothing to draw
    draw(-1, 0); // leave
    EXPECT_EQ(dc.GetLogicalFunction(), wxXOR);
    draw(-2, 0); // refresh again: all gone
    // The squares' overlap shows white (drawn twice), as does the ring where square 1 meets it;
    // where a hovered square overlaps the other neither look is pure.
    const std::string normal = "NNNNNNNNNNN./NNNNNN....N./NNNN..NNN.N./NNNN..NNN.N./"
                               "NNNN..NNN.N./NNNN..NNN.N./NNNN.....NN./............";
    const std::string second = "NNNNNNNNNNN./NNNNNN....N./NNNN??HHH.N./NNNN??HHH.N./"
                               "NNNN??HHH.N./NNNN??HHH.N./NNNN?????NN./............";
    EXPECT_EQ(looks,
              (std::vector<std::string>{normal,
                                        "NNNNNNNNNNN./NHHHHH....N./NHHH??NNN.N./NHHH??NNN.N./"
                                        "NHHH??NNN.N./NHHH??NNN.N./NNNN.....NN./............",
                                        "NNNNNNNNNNN./NAAAAA....N./NAAA??NNN.N./NAAA??NNN.N./"
                                        "NAAA??NNN.N./NAAA??NNN.N./NNNN.....NN./............",
                                        second, second, normal, Look(*WhiteCanvas(12, 8))}));
}

// The frame keeps the normal look whatever is hovered, so a refresh erases what an earlier
// one drew after the hover moved.
TEST(SizeHandleGuiTest, RefreshDrawsTheHoverLookItself) {
    for (int status : {2, 3}) {
        const auto hovered = WhiteCanvas(12, 8), refreshed = WhiteCanvas(12, 8);
        const auto handle = OverlapHandle();
        handle->RefreshHandle(hovered->DC(), theOrigin);
        handle->DrawHandle(1, status, hovered->DC(), theOrigin);
        handle->RefreshHandle(refreshed->DC(), theOrigin);
        EXPECT_EQ(Look(*hovered), Look(*refreshed)) << status;
    }
    // A hover status of a press over nothing is reported and drawn hovered.
    const auto canvas = WhiteCanvas(12, 8);
    const auto handle = OverlapHandle();
    handle->DrawHandle(1, 1, canvas->DC(), theOrigin);
    EXPECT_ASSERTS(handle->RefreshHandle(canvas->DC(), theOrigin),
                   "aHoverStatus > IDragAutomaton::IActionee::hoverDIG");
}

TEST(SizeHandleGuiTest, CrossSquareShowsTheBackgroundUnderItsLinesButTheCentre) {
    const auto canvas = WhiteCanvas(13, 13);
    ShowingHandle('P', MakeRecord('P', 3, 0, wxSize(6, 6)))->RefreshHandle(canvas->DC(), {0, 0});
    const std::string line = "......N....../", square = "....NN.NN..../";
    EXPECT_EQ(Look(*canvas) + "/", line + line + line + line + square + square + "NNNN..N..NNNN/" +
                                       square + square + line + line + line + line);
}

TEST(SizeHandleGuiTest, RecordsWithoutRoomForAFrameOrRefusedDrawNoFrame) {
    // Nine squares in a record of nine rectangles: the frame would lie past the array.
    std::vector<wxPoint> squares;
    for (int i = 0; i < 9; ++i)
        squares.push_back(wxPoint(6 * i, 0));
    const auto full = WhiteCanvas(54, 1);
    SquaresHandle(squares, wxRect(), 9)->RefreshHandle(full->DC(), wxPoint(0, 0));
    EXPECT_EQ(Look(*full), "NNNNN.NNNNN.NNNNN.NNNNN.NNNNN.NNNNN.NNNNN.NNNNN.NNNNN.");
    const auto handle = SquaresHandle({{0, 0}}, wxRect(0, 0, 6, 1), 1);
    EXPECT_FALSE(handle->UpdateHandle(handle->CreateSizeData(0, T32BoolArray(3)),
                                      int(TSizeData::theCurSerial) - 0x10000));
    const auto refused = WhiteCanvas(6, 1);
    handle->RefreshHandle(refused->DC(), wxPoint(0, 0));
    EXPECT_EQ(Look(*refused), "......");
}

// A frame dragged past its opposite edge is described but not drawn: only its square shows.
TEST(SizeHandleGuiTest, AFrameWithoutAreaIsDescribedButNotDrawn) {
    std::string looks, texts;
    for (const wxRect& frame : {wxRect(1, 1, 6, 0), wxRect(1, 4, 6, -2), wxRect(6, 1, -3, 5)}) {
        const auto canvas = WhiteCanvas(7, 5);
        const auto handle = SquaresHandle({{0, 0}}, frame, 1);
        handle->RefreshHandle(canvas->DC(), wxPoint(0, 0));
        looks += Look(*canvas) + "\n";
        texts += handle->GetPixelInfo() + "\n";
    }
    const std::string square = "NNNNN../NNNNN../NNNNN../NNNNN../NNNNN..\n";
    EXPECT_EQ(looks, square + square + square);
    EXPECT_EQ(texts, "Size: w=   4px, h=  -2px\nSize: w=   4px, h=  -4px\n"
                     "Size: w=  -5px, h=   3px\n");
}

TEST(SizeHandleGuiTest, HitTestShowsTheKindsCursor) {
    // The top-left square (277, 192) of a record with the left and right sides: narrowed.
    const wxCursor* cursor = nullptr;
    EXPECT_EQ(ShowingHandle('4', MakeRecord('4', 5))->FindHandleAt({278, 193}, cursor), 0);
    EXPECT_EQ(cursor, GetHoriSizeCursor());
}

} // namespace
