#include "DLL/Ctl/SizeHandle.h"

#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"
#include "DLL/Ctl/ScrollHelper.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace NSSizeHandleGrid;

std::string IdText(const TIdList& pIds) {
    std::string text;
    for (int i = 0; i < pIds.aCount; ++i)
        text += char('0' + pIds[i]);
    return text;
}

TEST(SizeHandleGridTest, CasesShowTheIdsTheirSidesMeet) {
    std::string text;
    for (int handleCase = 0; handleCase < CASE_COUNT_4D; ++handleCase) {
        const TIdList ids = Ids4D(handleCase);
        EXPECT_EQ(ids.aCount, theRectHandleCountFor[handleCase]) << handleCase;
        text += IdText(ids) + " ";
    }
    for (int handleCase = 0; handleCase < 4; ++handleCase)
        text += IdText(Ids2D(handleCase)) + " ";
    EXPECT_EQ(text, "0346 0124 012346 2458 0234568 012458 01234568 4678 034678 0124678 "
                    "01234678 245678 02345678 01245678 012345678 "
                    "0268 023568 012678 01235678 ");
}

// A 2D record holding the given handle rectangles.
std::unique_ptr<TSizeData> Holding(std::vector<wxRect> pRects, int pCount) {
    std::unique_ptr<TSizeData> data(new TZV2DSizeHandle::TData(0, T32BoolArray(0)));
    for (size_t i = 0; i < pRects.size(); ++i)
        data->aRect[i] = pRects[i];
    data->aRectCount = pCount;
    return data;
}

struct THitCase {
    const char* aName;
    std::vector<wxRect> aRects;
    int aCount;
    wxPoint aPoint;
    int aExpected;
};

TEST(SizeHandleTest, HitTestTakesTheNearestCentreThenTheSmallerThenTheFirst) {
    const wxRect none;
    const THitCase cases[] = {
        {"equal scores (8), equal sizes: the first", {{0, 0, 4, 4}, {2, 0, 4, 4}}, 2, {3, 1}, 0},
        {"equal scores (0): the smaller", {{0, 0, 6, 6}, {2, 2, 2, 2}}, 2, {3, 3}, 1},
        {"equal scores, smaller first", {{2, 2, 2, 2}, {0, 0, 6, 6}}, 2, {3, 3}, 0},
        {"first centre nearer", {{0, 0, 10, 10}, {5, 5, 10, 10}}, 2, {6, 6}, 0},
        {"second centre nearer", {{0, 0, 10, 10}, {5, 5, 10, 10}}, 2, {8, 8}, 1},
        {"no rectangle holds it", {{0, 0, 4, 4}}, 1, {20, 20}, -1},
        {"right edge excluded", {{0, 0, 4, 4}}, 1, {4, 0}, -1},
        {"rectangles beyond the count are ignored", {{0, 0, 4, 4}}, 0, {1, 1}, -1},
        {"a negative count holds none", {{0, 0, 4, 4}}, -3, {1, 1}, -1},
        {"a count past the array stops at its end",
         {none, none, none, none, none, none, none, none, {0, 0, 4, 4}},
         50,
         {1, 1},
         8},
    };
    for (const THitCase& hit : cases)
        EXPECT_EQ(TZVSizeHandleBase::FindRectAt(*Holding(hit.aRects, hit.aCount), hit.aPoint),
                  hit.aExpected)
            << hit.aName;
}

int Serial() {
    return int(TSizeData::theCurSerial);
}

// pHandle showing pData.
template <typename THandle>
std::unique_ptr<THandle> Showing(TSizeData* pData) {
    std::unique_ptr<THandle> handle(new THandle());
    EXPECT_TRUE(handle->UpdateHandle(pData, Serial()));
    return handle;
}

TEST(SizeHandleTest, MissLeavesTheCursorAlone) {
    const wxCursor* const sentinel = reinterpret_cast<const wxCursor*>(&sentinel);
    const wxCursor* cursor = sentinel;
    const auto handle = Showing<TZV2DSizeHandle>(Holding({{0, 0, 4, 4}}, 1).release());
    EXPECT_EQ(handle->FindHandleAt(wxPoint(9, 9), cursor), -1);
    TZV2DSizeHandle empty;
    EXPECT_EQ(empty.FindHandleAt(wxPoint(1, 1), cursor), -1);
    EXPECT_EQ(cursor, sentinel);
}

struct TCursorCase {
    const char* aName;
    char aKind; // P point, 2 2D, 4 4D, S 4D with position and size, T 4D as 2D
    uint32_t aFlags;
    const char* aExpected; // per handle: H V A / \ for the cursors, - for none
};

// The kind's handle showing a record made with pFlags and filled for a 40 x 20 rectangle;
// pData: the record, which the handle owns.
std::unique_ptr<TZVSizeHandleBase> FilledHandle(char pKind, uint32_t pFlags, TSizeData*& pData) {
    std::unique_ptr<TZVSizeHandleBase> handle;
    if (pKind == 'P')
        handle.reset(new TZVPointSizeHandle());
    else if (pKind == '2')
        handle.reset(new TZV2DSizeHandle());
    else
        handle.reset(new TZV4DSizeHandle());
    TSizeData* data = handle->CreateSizeData(0, T32BoolArray(pFlags));
    const wxSize size(40, 20);
    if (pKind == 'P')
        TZVPointSizeHandle::FillSizeHandle(data, size);
    else if (pKind == '2')
        TZV2DSizeHandle::FillSizeHandle(data, size, false);
    else
        TZV4DSizeHandle::FillSizeHandle(data, size, pKind == 'T', pKind == 'S');
    EXPECT_TRUE(handle->UpdateHandle(data, Serial()));
    pData = data;
    return handle;
}

TEST(SizeHandleTest, CursorsFollowTheKindsRules) {
    const TCursorCase cases[] = {
        {"point x", 'P', 1, "H"},
        {"point y", 'P', 2, "V"},
        {"point both", 'P', 3, "A"},
        {"point neither", 'P', 0, "-"},
        {"2D width", '2', 1, "HHHHHH"},
        {"2D height", '2', 2, "VVVVVV"},
        {"2D one size", '2', 0, "\\//\\"},
        {"2D both", '2', 3, "\\V/HH/V\\"},
        {"4D left and right: corners and centre narrowed", '4', 5, "HHHHHHH"},
        {"4D top only", '4', 2, "VVVV"},
        {"4D left and top: far corners narrowed", '4', 3, "\\VVHAH"},
        {"4D all sides", '4', 15, "\\V/HAH/V\\"},
        {"4D as 2D", 'T', 3, "\\V/HH/V\\"},
        {"size and both positions", 'S', 13, "\\V/HAH/V\\"},
        {"size and x: the centre moves along x", 'S', 5, "\\V/HHH/V\\"},
        {"both positions, no size: the centre", 'S', 12, "A"},
        {"x position alone", 'S', 4, "H"},
    };
    for (const TCursorCase& test : cases) {
        TSizeData* data = nullptr;
        const auto handle = FilledHandle(test.aKind, test.aFlags, data);
        std::string text;
        for (int i = 0; i < data->aRectCount; ++i)
            text += "-HVA/\\"[handle->GetHandleCursor(i) + 1];
        EXPECT_EQ(text, test.aExpected) << test.aName;
    }
}

std::string theLifeLog;

// A record that logs its deletion as "~name".
class TLoggedData : public TZV2DSizeHandle::TData {
public:
    TLoggedData(const char* pName, int pCenterX)
        : TZV2DSizeHandle::TData(0, T32BoolArray(0)), aName(pName) {
        aCenterX = pCenterX;
    }
    ~TLoggedData() override { theLifeLog += std::string("~") + aName + " "; }

    const char* aName;
};

// Which handle is current: "h1", "h2", "null" or "other".
std::string Current(const ISizeHandle* pFirst, const ISizeHandle* pSecond) {
    const ISizeHandle* current = ISizeHandle::theCurrent;
    return current == pFirst ? "h1" : current == pSecond ? "h2" : current ? "other" : "null";
}

TEST(SizeHandleTest, HandlesRecordsAndDragCopiesLiveAsTheHostExpects) {
    const TZV2DSizeHandleFactory factory;
    TScrollHelper xScroll, yScroll;
    theLifeLog.clear();
    TSizeData::theCurSerial = 0xFFFD1234;
    ISizeHandle* h1 = factory.CreateSizeHandle(xScroll, yScroll);
    ISizeHandle* h2 = nullptr;
    const auto log = [&](const std::string& pText) {
        theLifeLog += pText + "[" + Current(h1, h2) + "] ";
    };
    log("make h1");
    // Generation 0xFFFE: an int serial with the high bit set, low bits the host's.
    log(h1->UpdateHandle(new TLoggedData("a", 0), Serial() ^ 0x5555) ? "a taken" : "a refused");
    const int oldSerial = Serial();
    h2 = factory.CreateSizeHandle(xScroll, yScroll);
    h1 = nullptr; // deleted: its record went with it
    log("make h2");
    log(h2->UpdateHandle(new TLoggedData("b", 0), oldSerial) ? "b taken" : "b refused");
    EXPECT_ASSERTS(h2->StartDrag(), "aSizeData != __null");
    log(h2->GetDragData() ? "dragging" : "no drag");
    log(h2->UpdateHandle(new TLoggedData("c", 7), Serial()) ? "c taken" : "c refused");
    h2->StartDrag();
    log(h2->UpdateHandle(new TLoggedData("d", 9), Serial()) ? "d taken" : "d refused");
    TSizeData* drag = h2->GetDragData();
    EXPECT_ASSERTS(h2->StartDrag(), "aDragData==__null");
    log("copy of c: " + std::to_string(drag->aCenterX) +
        (drag == h2->GetDragData() ? "" : " lost"));
    h2->EndDrag();
    EXPECT_ASSERTS(h2->EndDrag(), "aDragData!=__null");
    log(h2->GetDragData() ? "dragging" : "no drag");
    log(h2->UpdateHandle(nullptr, Serial()) ? "null taken" : "null refused");
    delete new TZV4DSizeHandle();
    log("other handle deleted");
    TSizeData::theCurSerial += 0x10000; // generation 0 again, after 0xFFFF
    h1 = factory.CreateSizeHandle(xScroll, yScroll);
    log("make h1 again");
    log(h1->UpdateHandle(new TLoggedData("e", 0), oldSerial) ? "e taken" : "e refused");
    delete h1;
    log("delete h1");
    EXPECT_EQ(theLifeLog, "make h1[h1] a taken[h1] ~a make h2[h2] ~b b refused[h2] no drag[h2] "
                          "c taken[h2] ~c d taken[h2] copy of c: 7[h2] no drag[h2] ~d "
                          "null refused[h2] other handle deleted[h2] make h1 again[h1] ~e "
                          "e refused[h1] delete h1[null] ");
    EXPECT_EQ(TSizeData::theCurSerial, 0x00011234u);
}

TEST(SizeHandleTest, EachFactoryMakesItsKind) {
    const TZVPointSizeHandleFactory point;
    const TZV2DSizeHandleFactory size2D;
    const TZV4DSizeHandleFactory size4D;
    const TZVPosAndSizeHandleFactory posAndSize;
    const ISizeHandleFactory* const factories[] = {&point, &size2D, &size4D, &posAndSize};
    TScrollHelper xScroll, yScroll;
    std::string kinds;
    for (const ISizeHandleFactory* factory : factories) {
        ISizeHandle* handle = factory->CreateSizeHandle(xScroll, yScroll);
        const std::unique_ptr<TSizeData> data(handle->CreateSizeData(3, T32BoolArray(5)));
        kinds += dynamic_cast<TZV4DSizeHandle::TData*>(data.get())      ? "4D "
                 : dynamic_cast<TZV2DSizeHandle::TData*>(data.get())    ? "2D "
                 : dynamic_cast<TZVPointSizeHandle::TData*>(data.get()) ? "point "
                                                                        : "? ";
        kinds += std::to_string(data->aParamIndex) + "/" + std::to_string(data->aFlags.GetBits()) +
                 "/" + std::to_string(data->aRectCount) + " ";
    }
    delete ISizeHandle::theCurrent;
    EXPECT_EQ(kinds, "point 3/5/1 2D 3/5/9 4D 3/5/10 4D 3/5/10 ");
    EXPECT_EQ(ISizeHandle::theCurrent, nullptr);
}

} // namespace
