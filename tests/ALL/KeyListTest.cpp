#include "ALL/KeyList.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

std::map<long, int> Counts(const TKeyList& pList) {
    std::map<long, int> counts;
    for (const TStreamKey& key : pList)
        counts[key.aTime] = key.aCount;
    return counts;
}

// The times met walking forward from pFrom, through the interface only.
std::vector<long> WalkFrom(const ITimeList& pList, ITimeList::TPosition pFrom) {
    std::vector<long> times;
    for (ITimeList::TPosition pos = pFrom; pos != pList.GetEnd(); pList.GetNext(pos))
        times.push_back(pList.GetTime(pos));
    return times;
}

} // namespace

TEST(KeyList, AddCountInsertsCountsAndRemovesTimes) {
    struct TStep {
        long aTime;
        int aChange;
        bool aChanged;
        std::map<long, int> aCounts;
        std::vector<wxString> aAsserts;
    } steps[] = {
        {100, 1, true, {{100, 1}}, {}},
        {100, 2, false, {{100, 3}}, {}},
        {50, 4, true, {{50, 4}, {100, 3}}, {}},
        {100, 0, false, {{50, 4}, {100, 3}}, {}},
        {100, -3, true, {{50, 4}}, {}},
        {100, -1, false, {{50, 4}}, {"Key != end()"}},
        {100, 0, false, {{50, 4}}, {"Key != end()"}},
    };
    TKeyList list;
    for (const TStep& s : steps) {
        TAssertCapture capture;
        // The key's own count is not used.
        EXPECT_EQ(list.AddCount(TStreamKey(s.aTime, 77), s.aChange), s.aChanged) << s.aChange;
        EXPECT_EQ(Counts(list), s.aCounts) << s.aTime << " " << s.aChange;
        EXPECT_EQ(capture.Conditions(), s.aAsserts);
    }
}

// 16-bit counts wrapped to 0 after 65,536 sources.
TEST(KeyList, CountsNeitherWrapNorOverflow) {
    TKeyList list;
    for (int i = 0; i < 70000; ++i)
        list.AddCount(TStreamKey(8), 1);
    EXPECT_EQ(Counts(list), (std::map<long, int>{{8, 70000}}));
    EXPECT_FALSE(list.AddCount(TStreamKey(8), -69999));
    EXPECT_TRUE(list.AddCount(TStreamKey(8), -1));
    list.AddCount(TStreamKey(9), 2147483647);
    list.AddCount(TStreamKey(9), 5);
    EXPECT_EQ(Counts(list), (std::map<long, int>{{9, 2147483647}}));
}

TEST(KeyList, TimeListWalksEachTimeOnceAndRangeRunsFromFirstToLastKey) {
    TKeyList keys;
    for (long time : {30, 20, 10, 20}) // 20 comes from two neighbours
        keys.AddCount(TStreamKey(time), 1);
    const ITimeList& list = keys;
    EXPECT_EQ(WalkFrom(list, list.GetFirst()), (std::vector<long>{10, 20, 30}));
    EXPECT_EQ(WalkFrom(list, list.GetFirstFrom(15)), (std::vector<long>{20, 30}));
    EXPECT_EQ(WalkFrom(list, list.GetFirstFrom(20)), (std::vector<long>{20, 30}));
    EXPECT_EQ(list.GetFirstFrom(31), list.GetEnd());

    std::vector<long> backwards;
    for (ITimeList::TPosition pos = list.GetEnd(); pos != list.GetFirst();)
        backwards.push_back(list.GetTime(list.GetPrev(pos)));
    EXPECT_EQ(backwards, (std::vector<long>{30, 20, 10}));

    TRange range(7, 99);
    keys.GetRange(range);
    EXPECT_EQ(range.aBegin, 10);
    EXPECT_EQ(range.aEnd, 30);

    const TKeyList empty;
    EXPECT_EQ(static_cast<const ITimeList&>(empty).GetFirst(), empty.GetEnd());
    empty.GetRange(range);
    EXPECT_EQ(range.aEnd, 10) << "empty, at the given begin";
}
