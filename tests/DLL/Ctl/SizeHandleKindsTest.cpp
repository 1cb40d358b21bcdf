#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"
#include "support/AssertCapture.h"
#include "support/SizeHandleFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Records: P point; 2 2D; 1 2D with one size; 4 four borders; T four borders as 2D;
// X position and size; U four borders, never filled; D a 2D record where a 4D one belongs.
// The 2D records sit at (100, 50), the 4D ones at (330, 220), 10 right of and 20 above the
// centre of a 640 x 480 image; a point record's reference point is (5, 8).
std::unique_ptr<TSizeData> MakeRecord(char pKind, uint32_t pFlags, int pParamIndex,
                                      const wxSize& pSize) {
    const T32BoolArray flags(pFlags);
    std::unique_ptr<TSizeData> data;
    if (pKind == 'P')
        data.reset(new TZVPointSizeHandle::TData(pParamIndex, flags));
    else if (pKind == '1' || pKind == '2' || pKind == 'D')
        data.reset(new TZV2DSizeHandle::TData(pParamIndex, flags));
    else
        data.reset(new TZV4DSizeHandle::TData(pParamIndex, flags));
    data->aFullWidth = 640;
    data->aFullHeight = 480;
    const bool is4D = dynamic_cast<TZV4DSizeHandle::TData*>(data.get()) != nullptr;
    data->aCenterX = pKind == 'P' ? 5 : is4D ? 330 : 100;
    data->aCenterY = pKind == 'P' ? 8 : is4D ? 220 : 50;
    if (is4D) {
        static_cast<TZV4DSizeHandle::TData*>(data.get())->aOffsetX = 10;
        static_cast<TZV4DSizeHandle::TData*>(data.get())->aOffsetY = -20;
    }
    if (pKind == 'P')
        TZVPointSizeHandle::FillSizeHandle(data.get(), pSize);
    else if (pKind == '1' || pKind == '2' || pKind == 'D')
        TZV2DSizeHandle::FillSizeHandle(data.get(), pSize, pKind == '1');
    else if (pKind == 'X')
        TZVPosAndSizeHandle::FillSizeHandle(data.get(), pSize, false, true);
    else if (pKind != 'U')
        TZV4DSizeHandle::FillSizeHandle(data.get(), pSize, pKind == 'T', false);
    return data;
}

std::string Joined(const std::vector<wxString>& pTexts) {
    std::string text;
    for (const wxString& item : pTexts)
        text += " ! " + item.ToStdString();
    return text;
}

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
    char flags[16];
    std::snprintf(flags, sizeof flags, "flags 0x%x |", data->aFlags.GetBits());
    std::string text = flags;
    for (int i = 0; i < data->aRectCount; ++i)
        text += " " + RectText(data->aRect[i]);
    const wxRect* frame = data->GetFrame();
    text += frame ? " | frame " + RectText(*frame) : " | no frame";
    std::unique_ptr<ISizeHandle> handle;
    if (pKind == 'P')
        handle.reset(new TZVPointSizeHandle());
    else if (pKind == '1' || pKind == '2')
        handle.reset(new TZV2DSizeHandle());
    else
        handle.reset(new TZV4DSizeHandle());
    handle->UpdateHandle(data.release(), int(TSizeData::theCurSerial));
    text += " | " + handle->GetPixelInfo().ToStdString();
    return text + Joined(capture.Conditions());
}

struct TFillCase {
    const char* aName;
    char aKind;
    uint32_t aFlags;
    wxSize aSize;
    std::string aExpected;
};

TEST(SizeHandleKindsTest, FillsPlaceTheHandlesAndTheTextsDescribeThem) {
    const std::string frame4D = " | frame 279,194,102x52 | ";
    const std::string text4D = "Size: w=100px, h= 50px, Offset: x= 10px, y=-20px, Border: "
                               "l=280/ 40px, r= 60/260px, t=195/ 45px, b=  5/235px";
    const TFillCase cases[] = {
        {"point",
         'P',
         3,
         {10, 20},
         "flags 0x3 | 4,14,13x13 | no frame | Offset: x= 10px,  y= 20px"},
        {"2D width and height",
         '2',
         3,
         {40, 20},
         "flags 0x3 | 77,37 98,37 118,37 77,48 118,48 77,58 98,58 118,58 | frame 79,39,42x22 | "
         "Size: w=  40px, h=  20px"},
        {"2D odd width",
         '2',
         1,
         {7, 20},
         "flags 0x1 | 94,37 101,37 94,48 101,48 94,58 101,58 | frame 96,39,8x22 | "
         "Size: w=   6px, h=  20px"},
        {"2D one size from width",
         '1',
         3,
         {40, 20},
         "flags 0x0 | 77,37 118,37 77,58 118,58 | frame 79,39,42x22 | Size: w=  40px, h=  20px"},
        {"2D one size without width: unfilled, no frame read past the array",
         '1',
         2,
         {40, 20},
         "flags 0x2 | 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 0,0,0x0 | "
         "no frame | "},
        {"four borders, left and right",
         '4',
         5,
         {100, 50},
         "flags 0x15 | 277,192 378,192 277,218 328,218 378,218 277,243 378,243" + frame4D + text4D},
        {"four borders without sides: reported, no handles",
         '4',
         0,
         {100, 50},
         "flags 0x10 | | no frame |  ! HandleCase < sizeof(theRectHandleCountFor)"},
        {"position and size, size alone: the 2D corners",
         'X',
         1,
         {100, 50},
         "flags 0x0 | 277,192 378,192 277,243 378,243" + frame4D + text4D},
        {"position and size, y flag 2 becomes x flag 4: the centre",
         'X',
         2,
         {100, 50},
         "flags 0x34 | 328,218" + frame4D + text4D},
        {"position and size, flags 6 stay",
         'X',
         6,
         {100, 50},
         "flags 0x36 | 328,218" + frame4D + text4D},
        {"position and size, size and both positions: nine",
         'X',
         11,
         {100, 50},
         "flags 0x3d | 277,192 328,192 378,192 277,218 328,218 378,218 277,243 328,243 378,243" +
             frame4D + text4D},
        {"a 2D record on a four-border handle",
         'D',
         3,
         {40, 20},
         "flags 0x3 | 77,37 98,37 118,37 77,48 118,48 77,58 98,58 118,58 | frame 79,39,42x22 |  ! "
         "dynamic_cast<TZV4DSizeHandle::TData*>(aSizeData) returned NULL"},
    };
    for (const TFillCase& fill : cases)
        EXPECT_EQ(FillText(fill.aKind, fill.aFlags, fill.aSize), fill.aExpected) << fill.aName;
}

struct TComputeCase {
    const char* aName;
    char aRecord; // as MakeRecord, filled for 40 x 20 (2D) or 100 x 50 (4D), point (10, 20)
    uint32_t aFlags;
    int aParamIndex;
    char aCompute; // P point, 2 2D, 4 four borders, X position and size
    bool aKeepInside;
    TDragStep aStep;
    const char* aExpected; // scaler calls | entries, then the assertion reports
};

std::string ComputeText(const TComputeCase& pCase) {
    TAssertCapture capture;
    const wxSize size = pCase.aRecord == 'P' ? wxSize(10, 20)
                        : pCase.aRecord == '1' || pCase.aRecord == '2' || pCase.aRecord == 'D'
                            ? wxSize(40, 20)
                            : wxSize(100, 50);
    const std::unique_ptr<TSizeData> data =
        pCase.aRecord == '0' ? nullptr
                             : MakeRecord(pCase.aRecord, pCase.aFlags, pCase.aParamIndex, size);
    const bool keep = pCase.aKeepInside;
    const char kind = pCase.aCompute;
    std::string text = RunDrag(
        [kind, keep](const IZVVideoStream::TUpdateData& pData, const TRecordingScaler& pScaler) {
            if (kind == 'P')
                return TZVPointSizeHandle::ComputeUpdate(pData, pScaler);
            if (kind == '2')
                return TZV2DSizeHandle::ComputeUpdate(pData, pScaler);
            if (kind == '4')
                return TZV4DSizeHandle::ComputeUpdate(pData, pScaler, keep);
            return TZVPosAndSizeHandle::ComputeUpdate(pData, pScaler, keep);
        },
        data.get(), pCase.aStep);
    return text + Joined(capture.Conditions());
}

TEST(SizeHandleKindsTest, DragsBecomeTheValuesOfTheEditedParameters) {
    const wxPoint none(0, 0);
    const TComputeCase cases[] = {
        // Point (10, 20) from the reference point (5, 8): x 8, y 10 after a drag of (3, -2).
        {"point, nothing moved", 'P', 3, 4, 'P', false, {0, {3, -2}, {3, -2}, false}, " | -"},
        {"point, forced",
         'P',
         3,
         4,
         'P',
         false,
         {0, {3, -2}, {3, -2}, true},
         "S(8,640) S(10,480) | 4=8 5=10"},
        {"point y alone, whatever the handle",
         'P',
         2,
         4,
         'P',
         false,
         {-1, {3, -2}, none, false},
         "S(10,480) | 5=10"},
        {"2D one size, only y moved", '2', 0, 0, '2', false, {3, {0, 6}, none, false}, " | -"},
        {"2D one size: the mean of both half sizes",
         '2',
         0,
         0,
         '2',
         false,
         {0, {-4, -2}, none, false},
         "S(25,640) S(13,480) | 0=19"},
        {"2D top middle: height alone",
         '2',
         3,
         0,
         '2',
         false,
         {1, {5, -3}, none, false},
         "S(14,480) | 1=14"},
        {"2D right middle: width alone",
         '2',
         3,
         0,
         '2',
         false,
         {4, {5, -3}, none, false},
         "S(25,640) | 0=25"},
        {"2D corner: both",
         '2',
         3,
         0,
         '2',
         false,
         {7, {5, -3}, none, false},
         "S(25,640) S(7,480) | 0=25 1=7"},
        {"2D height only: no width at a corner",
         '2',
         2,
         0,
         '2',
         false,
         {0, {5, -3}, none, false},
         "S(14,480) | 1=14"},
        {"2D handle -1", '2', 3, 0, '2', false, {-1, {5, -3}, none, false}, " | -"},
        {"2D handle past the case's list",
         '2',
         3,
         0,
         '2',
         false,
         {8, {5, -3}, none, false},
         " | -"},
        {"no record", '0', 0, 0, '2', false, {0, {5, -3}, none, true}, " | -"},
        {"no record, four borders", '0', 0, 0, '4', false, {0, {5, -3}, none, true}, " | -"},
        // Four borders: the frame's edges from the image centre are left -41, top -46, right
        // 60, bottom 5.
        {"right middle: the right border",
         '4',
         15,
         0,
         '4',
         false,
         {5, {7, 3}, none, false},
         "S(67,640,F) | 2=67"},
        {"right middle, x unchanged", '4', 15, 0, '4', false, {5, {7, 3}, {7, 0}, false}, " | -"},
        {"right middle, x unchanged but forced",
         '4',
         15,
         0,
         '4',
         false,
         {5, {7, 3}, {7, 0}, true},
         "S(67,640,F) | 2=67"},
        {"centre, all sides: moved with it",
         '4',
         15,
         0,
         '4',
         false,
         {4, {5, 6}, none, false},
         "S(-36,640,N) S(-40,480,N) S(66,640,F) S(12,480,F) | 0=-36 1=-40 2=66 3=12"},
        {"centre, kept inside: stops at the edge, same size",
         '4',
         15,
         0,
         '4',
         true,
         {4, {400, 0}, none, false},
         "S(218,640,N) S(320,640,F) | 0=218 2=320"},
        {"centre, right side alone: mirrored about the new centre",
         '4',
         4,
         0,
         '4',
         false,
         {1, {6, 0}, none, false},
         "S(73,640,F) | 2=73"},
        {"left past the right",
         '4',
         15,
         0,
         '4',
         false,
         {3, {300, 0}, none, false},
         "S(259,640,N) | 0=259"},
        {"left past the right, kept inside: stops at it",
         '4',
         15,
         0,
         '4',
         true,
         {3, {300, 0}, none, false},
         "S(60,640,N) | 0=60"},
        {"four borders, handle -1", '4', 15, 0, '4', false, {-1, {5, 6}, none, false}, " | -"},
        {"four borders, handle past the list",
         '4',
         15,
         0,
         '4',
         false,
         {9, {5, 6}, none, false},
         " | -"},
        {"four-border layout without sides",
         'U',
         0x10,
         0,
         '4',
         false,
         {0, {5, 6}, none, false},
         " | - ! (unsigned)HandleCase < sizeof(theRectHandleCountFor)"},
        {"a 2D record",
         'D',
         3,
         0,
         '4',
         false,
         {0, {5, 6}, none, false},
         " | - ! dynamic_cast<TZV4DSizeHandle::TData*>(pData.SizeData) returned NULL"},
        {"four borders as 2D: the right edge of the half width",
         'T',
         3,
         0,
         '4',
         false,
         {4, {5, -3}, none, false},
         "S(-55,640,F) | 0=-55"},
        {"four borders as 2D, kept inside",
         'T',
         3,
         0,
         '4',
         true,
         {4, {400, -3}, none, false},
         "S(-320,640,F) | 0=-320"},
        {"size alone: the 2D path, one value",
         'X',
         1,
         0,
         'X',
         false,
         {3, {4, 2}, none, false},
         "S(-54,640,F) S(-27,480,F) | 0=-40.5"},
        // Size and both positions: all nine handles.
        {"corner: the mean of both half sizes",
         'X',
         11,
         0,
         'X',
         false,
         {8, {10, 4}, none, false},
         "Z(60,640) Z(29,480) | 0=44.5"},
        {"corner, kept inside: limited along each axis",
         'X',
         11,
         0,
         'X',
         true,
         {8, {400, 300}, none, false},
         "Z(315,640) Z(450,640) Z(230,480) Z(325,480) L(387.5,315) L(315,230) | 0=230"},
        {"top middle: the vertical half size alone",
         'X',
         11,
         0,
         'X',
         false,
         {1, {0, -4}, none, false},
         "Z(30,480) | 0=30"},
        {"corner dragged inward past the centre: size 0",
         'X',
         11,
         0,
         'X',
         false,
         {0, {60, 30}, none, false},
         "Z(0,640) Z(0,480) | 0=0"},
        {"centre: the position, x exchanged into place",
         'X',
         11,
         0,
         'X',
         false,
         {4, {5, 6}, none, false},
         "S(15,640,F) S(-14,480,F) | 1=15 3=-14"},
        {"size handle past the nine", 'X', 11, 0, 'X', false, {9, {5, 6}, none, false}, " | -"},
        // Both positions without size: the centre alone; the group starts at parameter 4.
        {"move, kept inside: the centre within (image - frame + 1) / 2",
         'X',
         10,
         4,
         'X',
         true,
         {0, {500, -500}, none, false},
         "S(269,640,F) S(-214,480,F) | 5=269 7=-214"},
        {"move, a handle it does not show",
         'X',
         10,
         4,
         'X',
         false,
         {1, {5, 6}, none, false},
         " | -"},
    };
    for (const TComputeCase& test : cases)
        EXPECT_EQ(ComputeText(test), test.aExpected) << test.aName;
}

} // namespace
