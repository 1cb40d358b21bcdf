#include "DLL/Ctl/SizeHandle.h"

#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"
#include "DLL/Ctl/ScrollHelper.h"
#include "support/AssertCapture.h"
#include "support/SizeHandleFakes.h"

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

// A 2D record holding the given handle rectangles (the ninth alone when pNinth).
std::unique_ptr<TSizeData> Holding(std::vector<wxRect> pRects, int pCount, bool pNinth = false) {
    std::unique_ptr<TSizeData> data(new TZV2DSizeHandle::TData(0, T32BoolArray(0)));
    for (size_t i = 0; i < pRects.size(); ++i)
        data->aRect[pNinth ? 8 : i] = pRects[i];
    data->aRectCount = pCount;
    return data;
}

TEST(SizeHandleTest, HitTestTakesTheNearestCentreThenTheSmallerThenTheFirst) {
    const struct {
        std::vector<wxRect> aRects;
        int aCount;
        wxPoint aPoint;
        int aExpected;
    } cases[] = {
        {{{0, 0, 4, 4}, {2, 0, 4, 4}}, 2, {3, 1}, 0},     // both score 8, same size: the first
        {{{0, 0, 6, 6}, {2, 2, 2, 2}}, 2, {3, 3}, 1},     // both score 0: the smaller
        {{{0, 0, 10, 10}, {5, 5, 10, 10}}, 2, {8, 8}, 1}, // the nearer centre
        {{{0, 0, 4, 4}}, 1, {4, 0}, -1},                  // the right edge is outside
        {{{0, 0, 4, 4}}, 0, {1, 1}, -1},                  // not counted
    };
    for (const auto& hit : cases)
        EXPECT_EQ(TZVSizeHandleBase::FindRectAt(*Holding(hit.aRects, hit.aCount), hit.aPoint),
                  hit.aExpected)
            << &hit - cases;
    // A count past the array: the walk stops at its end.
    EXPECT_EQ(TZVSizeHandleBase::FindRectAt(*Holding({{0, 0, 4, 4}}, 50, true), {1, 1}), 8);
}

int Serial() {
    return int(TSizeData::theCurSerial);
}

TEST(SizeHandleTest, MissLeavesTheCursorAlone) {
    const wxCursor* const sentinel = reinterpret_cast<const wxCursor*>(&sentinel);
    const wxCursor* cursor = sentinel;
    EXPECT_EQ(ShowingHandle('2', Holding({{0, 0, 4, 4}}, 1))->FindHandleAt({9, 9}, cursor), -1);
    EXPECT_EQ(TZV2DSizeHandle().FindHandleAt(wxPoint(1, 1), cursor), -1);
    EXPECT_EQ(cursor, sentinel);
}

// Per record (kind and flags as MakeRecord's), per handle: H V A / \\ for the cursors, - for
// none. Four borders narrow a corner or the centre when one axis cannot move; position and size
// take the host's flags before the exchange.
TEST(SizeHandleTest, CursorsFollowTheKindsRules) {
    const std::pair<char, uint32_t> cases[] = {{'P', 1}, {'P', 3},  {'P', 0}, {'2', 1},  {'2', 2},
                                               {'2', 0}, {'2', 3},  {'4', 5}, {'4', 3},  {'4', 15},
                                               {'T', 3}, {'X', 11}, {'X', 3}, {'X', 10}, {'X', 2}};
    std::string cursors;
    for (const auto& [kind, flags] : cases) {
        std::unique_ptr<TSizeData> data = MakeRecord(kind, flags);
        const int count = data->aRectCount;
        const auto handle = ShowingHandle(kind, std::move(data));
        for (int i = 0; i < count; ++i)
            cursors += "-HVA/\\"[handle->GetHandleCursor(i) + 1];
        cursors += ' ';
    }
    EXPECT_EQ(cursors, "H A - HHHHHH VVVVVV \\//\\ \\V/HH/V\\ HHHHHHH \\VVHAH \\V/HAH/V\\ "
                       "\\V/HH/V\\ \\V/HAH/V\\ \\V/HHH/V\\ A H ");
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
    TScrollHelper xScroll, yScroll;
    std::string records; // capacity (1 point, 9 2D, 10 4D), first parameter, flags, count
    const ISizeHandleFactory* const factories[] = {&point, &size2D, &size4D, &posAndSize};
    for (const ISizeHandleFactory* factory : factories) {
        const std::unique_ptr<TSizeData> data(
            factory->CreateSizeHandle(xScroll, yScroll)->CreateSizeData(3, T32BoolArray(5)));
        for (int value : {data->GetCapacity(), data->aParamIndex, int(data->aFlags.GetBits()),
                          data->aRectCount})
            records += std::to_string(value) + " ";
    }
    delete ISizeHandle::theCurrent;
    EXPECT_EQ(records, "1 3 5 1 9 3 5 9 10 3 5 10 10 3 5 10 ");
    EXPECT_EQ(ISizeHandle::theCurrent, nullptr);
}

} // namespace
