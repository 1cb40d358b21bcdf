#include "DLL/Ctl/4DSizeHandle.h"

#include "support/AssertCapture.h"
#include "support/SizeHandleFakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

namespace {

std::string Reports(const TAssertCapture& pCapture) {
    std::string text;
    for (const wxString& condition : pCapture.Conditions())
        text += " ! " + condition.ToStdString();
    return text;
}

// "x,y" of a square, "x,y,wxh" of any other rectangle.
std::string RectText(const wxRect& pRect) {
    std::string text = std::to_string(pRect.x) + "," + std::to_string(pRect.y);
    if (pRect.width != 5 || pRect.height != 5)
        text += "," + std::to_string(pRect.width) + "x" + std::to_string(pRect.height);
    return text;
}

// "flags 0x.. | handles | frame | text", then the assertion reports.
std::string FillText(char pKind, uint32_t pFlags, const wxSize& pSize) {
    TAssertCapture capture;
    std::unique_ptr<TSizeData> data = MakeRecord(pKind, pFlags, 0, pSize);
    std::string text = "flags 0x" + wxString::Format("%x", data->aFlags.GetBits()).ToStdString();
    text += " |";
    for (int i = 0; i < data->aRectCount; ++i)
        text += " " + RectText(data->aRect[i]);
    const wxRect* frame = data->GetFrame();
    text += frame ? " | frame " + RectText(*frame) + " | " : " | no frame | ";
    text += ShowingHandle(pKind, std::move(data))->GetPixelInfo().ToStdString();
    return text + Reports(capture);
}

// One line per record: an odd width gives a frame 8 wide, shown as 6; one size without the
// width flag leaves the record unfilled, with no frame past the array; position and size alone
// shows the 2D corners with every flag cleared, a y flag 2 becomes the x flag 4, without size
// the centre alone, with size and a position all nine. Sizes dragged past the opposite edge
// give frames without area, described with their sizes all the same, as is the empty frame of
// a four-border record without sides.
TEST(SizeHandleKindsTest, FillsPlaceTheHandlesAndTheTextsDescribeThem) {
    const std::tuple<char, uint32_t, wxSize> cases[] = {
        {'P', 3, {10, 20}},  {'2', 3, {40, 20}},   {'2', 1, {7, 20}},   {'1', 3, {40, 20}},
        {'1', 2, {40, 20}},  {'4', 5, {100, 50}},  {'4', 0, {100, 50}}, {'X', 1, {100, 50}},
        {'X', 2, {100, 50}}, {'X', 11, {100, 50}}, {'D', 3, {40, 20}},  {'2', 0, {14, -4}},
        {'2', 0, {-3, 0}},   {'4', 15, {-20, 8}}};
    std::string fills;
    for (const auto& [kind, flags, size] : cases)
        fills += FillText(kind, flags, size) + ";\n";
    // The four-border frame and text, and the 2D grid, stand for themselves below.
    const std::pair<std::string, std::string> shared[] = {
        {"frame 279,194,102x52 | Size: w=100px, h= 50px, Offset: x= 10px, y=-20px, Border: "
         "l=280/ 40px, r= 60/260px, t=195/ 45px, b=  5/235px",
         "4D"},
        {"77,37 98,37 118,37 77,48 118,48 77,58 98,58 118,58 | frame 79,39,42x22", "2D"}};
    for (const auto& [text, name] : shared)
        for (size_t at; (at = fills.find(text)) != std::string::npos;)
            fills.replace(at, text.size(), name);
    EXPECT_EQ(fills, R"(flags 0x3 | 4,14,13x13 | no frame | Offset: x= 10px,  y= 20px;
flags 0x3 | 2D | Size: w=  40px, h=  20px;
flags 0x1 | 94,37 101,37 94,48 101,48 94,58 101,58 | frame 96,39,8x22 | Size: w=   6px, h=  20px;
flags 0x0 | 77,37 118,37 77,58 118,58 | frame 79,39,42x22 | Size: w=  40px, h=  20px;
flags 0x2 | 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 | no frame | ;
flags 0x15 | 277,192 378,192 277,218 328,218 378,218 277,243 378,243 | 4D;
flags 0x10 | | frame 0,0,0x0 | Size: w= -2px, h= -2px, Offset: x= 10px, y=-20px, Border: l=331/-11px, r=  9/311px, t=221/ 19px, b=-21/261px ! HandleCase < sizeof(theRectHandleCountFor);
flags 0x0 | 277,192 378,192 277,243 378,243 | 4D;
flags 0x34 | 328,218 | 4D;
flags 0x3d | 277,192 328,192 378,192 277,218 328,218 378,218 277,243 328,243 378,243 | 4D;
flags 0x3 | 2D |  ! dynamic_cast<TZV4DSizeHandle::TData*>(aSizeData) returned NULL;
flags 0x0 | 90,49 105,49 90,46 105,46 | frame 92,51,16x-2 | Size: w=  14px, h=  -4px;
flags 0x0 | 98,47 97,47 98,48 97,48 | frame 100,49,0x2 | Size: w=  -2px, h=   0px;
flags 0x1f | 337,213 328,213 318,213 337,218 328,218 318,218 337,222 328,222 318,222 | frame 339,215,-18x10 | Size: w=-20px, h=  8px, Offset: x= 10px, y=-20px, Border: l=340/-20px, r=  0/320px, t=216/ 24px, b=-16/256px;
)");
}

struct TComputeCase {
    char aRecord; // as MakeRecord; 0 for none
    uint32_t aFlags;
    char aCompute; // P point, 2 2D, 4 four borders (K: kept inside), X position and size (Y)
    TDragStep aStep;
};

TParamUpdate* Compute(char pKind, const IZVVideoStream::TUpdateData& pData,
                      const TRecordingScaler& pScaler) {
    if (pKind == 'P')
        return TZVPointSizeHandle::ComputeUpdate(pData, pScaler);
    if (pKind == '2')
        return TZV2DSizeHandle::ComputeUpdate(pData, pScaler);
    if (pKind == '4' || pKind == 'K')
        return TZV4DSizeHandle::ComputeUpdate(pData, pScaler, pKind == 'K');
    return TZVPosAndSizeHandle::ComputeUpdate(pData, pScaler, pKind == 'Y');
}

std::string ComputeText(const TComputeCase& pCase, int pParamIndex) {
    TAssertCapture capture;
    const auto data =
        pCase.aRecord ? MakeRecord(pCase.aRecord, pCase.aFlags, pParamIndex) : nullptr;
    const char kind = pCase.aCompute;
    const std::string text =
        RunDrag([kind](const IZVVideoStream::TUpdateData& pData,
                       const TRecordingScaler& pScaler) { return Compute(kind, pData, pScaler); },
                data.get(), pCase.aStep);
    return text + Reports(capture);
}

// One line per drag: the record (kind / flags as MakeRecord's, "_" for none), the compute (P
// point, 2 2D, 4 four borders, K kept inside, X position and size, Y kept inside), the handle,
// the delta, the last position and whether the step is forced; then the scaler calls and the
// entries, then the assertion reports.
// - Point (10, 20) from the reference point (5, 8): x 8, y 10 after a drag of (3, -2).
// - 2D: one size (case 0) moves with x only, as the mean of both half sizes; the middle handles
//   set one axis; unknown handles and no record give nothing.
// - Four borders, the frame's edges from the image centre at left -41, right 60: the centre
//   moves the borders with it, kept inside without a change of size, or mirrors a border whose
//   opposite stays; a left border dragged past the right is kept from crossing it. As 2D: the
//   half width as a right edge, kept within half the image.
// - Position and size: size alone takes the 2D path and gives one value; with both positions a
//   corner sets the size from both axes, limited along each when kept inside, a side middle
//   from its axis, inward past the centre 0; without size the centre alone, its offset within
//   (image - frame + 1) / 2.
TEST(SizeHandleKindsTest, DragsBecomeTheValuesOfTheEditedParameters) {
    const std::string script = R"(P/3 P 0 3,-2 3,-2 1 -> S(8,640) S(10,480) | 0=8 1=10
P/2 P -1 3,-2 0,0 0 -> S(10,480) | 1=10
2/0 2 3 0,6 0,0 0 ->  | -
2/0 2 0 -4,-2 0,0 0 -> S(25,640) S(13,480) | 0=19
2/3 2 1 5,-3 0,0 0 -> S(14,480) | 1=14
2/3 2 7 5,-3 0,0 0 -> S(25,640) S(7,480) | 0=25 1=7
2/3 2 8 5,-3 0,0 0 ->  | -
_/0 4 0 5,-3 0,0 1 ->  | -
4/15 4 5 7,3 0,0 0 -> S(67,640,F) | 2=67
4/15 4 5 7,3 7,0 0 ->  | -
4/15 4 4 5,6 0,0 0 -> S(-36,640,N) S(-40,480,N) S(66,640,F) S(12,480,F) | 0=-36 1=-40 2=66 3=12
4/15 K 4 400,0 0,0 0 -> S(218,640,N) S(320,640,F) | 0=218 2=320
4/4 4 1 6,0 0,0 0 -> S(73,640,F) | 2=73
4/15 4 3 300,0 0,0 0 -> S(259,640,N) | 0=259
4/15 K 3 300,0 0,0 0 -> S(60,640,N) | 0=60
4/15 4 -1 5,6 0,0 0 ->  | -
U/16 4 0 5,6 0,0 0 ->  | - ! (unsigned)HandleCase < sizeof(theRectHandleCountFor)
D/3 4 0 5,6 0,0 0 ->  | - ! dynamic_cast<TZV4DSizeHandle::TData*>(pData.SizeData) returned NULL
T/3 K 4 400,-3 0,0 0 -> S(-320,640,F) | 0=-320
X/1 X 3 4,2 0,0 0 -> S(-54,640,F) S(-27,480,F) | 0=-40.5
X/11 X 8 10,4 0,0 0 -> Z(60,640) Z(29,480) | 0=44.5
X/11 Y 8 400,300 0,0 0 -> Z(315,640) Z(450,640) Z(230,480) Z(325,480) L(387.5,315) L(315,230) | 0=230
X/11 X 0 60,30 0,0 0 -> Z(0,640) Z(0,480) | 0=0
X/11 X 4 5,6 0,0 0 -> S(15,640,F) S(-14,480,F) | 1=15 3=-14
X/10 Y 0 500,-500 0,0 0 -> S(269,640,F) S(-214,480,F) | 1=269 3=-214
)";
    std::istringstream lines(script);
    std::string log;
    for (std::string line; std::getline(lines, line);) {
        TComputeCase drag{};
        int force = 0;
        std::sscanf(line.c_str(), "%c/%u %c %d %d,%d %d,%d %d", &drag.aRecord, &drag.aFlags,
                    &drag.aCompute, &drag.aStep.aHandle, &drag.aStep.aDelta.x, &drag.aStep.aDelta.y,
                    &drag.aStep.aLast.x, &drag.aStep.aLast.y, &force);
        drag.aStep.aForce = force != 0;
        drag.aRecord = drag.aRecord == '_' ? 0 : drag.aRecord;
        log += line.substr(0, line.find(" -> ") + 4) + ComputeText(drag, 0) + "\n";
    }
    EXPECT_EQ(log, script);
}

// Parameters are named from the group's first; the position exchange stays within the group.
TEST(SizeHandleKindsTest, GroupsStartingPastZeroKeepTheirOwnParameters) {
    const TComputeCase moved{'X', 10, 'Y', {0, {500, -500}, {0, 0}, false}};
    EXPECT_EQ(ComputeText(moved, 4), "S(269,640,F) S(-214,480,F) | 5=269 7=-214");
    const TComputeCase point{'P', 3, 'P', {0, {3, -2}, {0, 0}, false}};
    EXPECT_EQ(ComputeText(point, 4), "S(8,640) S(10,480) | 4=8 5=10");
}

} // namespace
