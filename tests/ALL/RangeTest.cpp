#include "ALL/Range.h"

#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

bool operator==(const TRange& p1, const TRange& p2) {
    return p1.aBegin == p2.aBegin && p1.aEnd == p2.aEnd;
}

void PrintTo(const TRange& pRange, std::ostream* pOut) {
    *pOut << "(" << pRange.aBegin << ", " << pRange.aEnd << ")";
}

namespace {

typedef std::vector<TRange> TRanges;

std::string Text(const TRange& pRange) {
    return "(" + std::to_string(pRange.aBegin) + "," + std::to_string(pRange.aEnd) + ")";
}

TRanges Ranges(const TRangeList& pList) {
    return {pList.begin(), pList.end()};
}

TRangeList List(const TRanges& pRanges) {
    TRangeList list;
    list.insert(list.end(), pRanges.begin(), pRanges.end());
    return list;
}

// The element as written; it is deleted.
wxString WriteXml(wxXmlNode* pElement) {
    return XmlText(*std::unique_ptr<wxXmlNode>(pElement));
}

std::unique_ptr<wxXmlNode> ReadXml(const wxString& pText) {
    std::unique_ptr<wxXmlNode> element(ParseXml(pText));
    EXPECT_TRUE(element) << pText;
    return element;
}

} // namespace

TEST(Range, ExtendWidensByNonEmptyPairsAndOverlapsNeedASharedTime) {
    TRange range(5, 5);
    range.Extend(TRange(10, 20)); // an empty range takes the other's bounds
    EXPECT_EQ(range, TRange(10, 20));
    range.Extend(TRange(30, 30)); // an empty other changes nothing
    range.Extend(25, 25);         // nor do equal times
    EXPECT_EQ(range, TRange(10, 20));
    range.Extend(40, 30); // times in either order
    EXPECT_EQ(range, TRange(10, 40));
    EXPECT_EQ(&range.ExtendUnchecked(50, 50), &range); // the unchecked form takes any pair
    EXPECT_EQ(range, TRange(10, 50));

    EXPECT_FALSE(TRange(0, 10).Overlaps(TRange(10, 20)));
    EXPECT_FALSE(TRange(10, 20).Overlaps(TRange(0, 10)));
    EXPECT_TRUE(TRange(0, 10).Overlaps(TRange(9, 20)));
    EXPECT_FALSE(TRange(0, 0).Overlaps(TRange(-10, 10)));
}

// Each range added to (0, 10) (20, 30), from the first range or the end: the list, then the
// range that covers the added one.
TEST(RangeList, AddMergesWhatItOverlapsOrTouches) {
    const std::tuple<long, long, bool> cases[] = {{10, 20, false}, {12, 15, false}, {5, 25, false},
                                                  {40, 50, true},  {-5, -1, false}, {22, 28, false},
                                                  {30, 35, false}, {-5, 40, false}};
    std::string added;
    for (const auto& [begin, end, fromEnd] : cases) {
        TRangeList list = List({{0, 10}, {20, 30}});
        const auto pos = list.Add(begin, end, fromEnd ? list.end() : list.begin());
        for (const TRange& range : list)
            added += Text(range);
        added += pos == list.end() ? " end, " : " at " + Text(*pos) + ", ";
    }
    EXPECT_EQ(added, "(0,30) at (0,30), (0,10)(12,15)(20,30) at (12,15), (0,30) at (0,30), "
                     "(0,10)(20,30)(40,50) at (40,50), (-5,-1)(0,10)(20,30) at (-5,-1), "
                     "(0,10)(20,30) at (20,30), (0,10)(20,35) at (20,35), (-5,40) at (-5,40), ");
    TRangeList list = List({{0, 10}, {20, 30}, {40, 50}, {60, 70}});
    TRangeList::iterator hint;
    list.Find(25, hint);
    EXPECT_EQ(*list.Add(28, 42, hint), TRange(20, 50));
    EXPECT_EQ(Ranges(list), (TRanges{{0, 10}, {20, 50}, {60, 70}}));
}

// For each time: Find (its three forms agree), then FindBegin, LowerBound and UpperBound, as
// indices ("e" for the end).
TEST(RangeList, LookUpsGoByBegin) {
    TRangeList list = List({{0, 10}, {20, 30}});
    const auto index = [&list](TRangeList::iterator pPos) {
        return pPos == list.end() ? std::string("e")
                                  : std::to_string(std::distance(list.begin(), pPos));
    };
    std::string found;
    for (long time : {10, 25, -1, 20, 30}) {
        TRangeList::iterator byReference = list.begin(), byPointer = list.begin();
        found += std::to_string(list.Find(time, byReference));
        found += index(byReference) + " ";
        EXPECT_EQ(list.Find(time, &byPointer), list.Find(time)) << time;
        EXPECT_EQ(byPointer, byReference) << time;
        found += index(list.FindBegin(time)) + index(list.LowerBound(time)) +
                 index(list.UpperBound(time)) + ", ";
    }
    EXPECT_EQ(found, "00 e11, 11 eee, 0e e00, 11 11e, 01 eee, ");
    EXPECT_EQ(list.GetSpan(), TRange(0, 30));
    EXPECT_EQ(TRangeList().GetSpan(), TRange(0, 0));
}

TEST(RangeList, EraseBackStepsBackAndGivesEndForTheFirst) {
    TRangeList list = List({{0, 10}, {20, 30}, {40, 50}});
    EXPECT_EQ(list.EraseBack(list.begin()), list.end());
    EXPECT_EQ(*list.EraseBack(std::next(list.begin())), TRange(20, 30));
    EXPECT_EQ(Ranges(list), (TRanges{{20, 30}}));
}

TEST(RangeXml, SegHasEndOnlyForANonEmptyRangeAndRefusesABadBegin) {
    EXPECT_EQ(WriteXml(TRange(10, 20).GetXmlImage()) + WriteXml(TRange(7, 7).GetXmlImage()) +
                  WriteXml(TRange(7, 3).GetXmlImage()),
              L"<seg begin=\"10\" end=\"20\"/><seg begin=\"7\"/><seg begin=\"7\"/>");
    struct TCase {
        const wchar_t* aXml;
        bool aResult;
        TRange aRange; // read into (1, 2)
    } cases[] = {
        {L"<seg begin=\"7\"/>", true, {7, 7}},
        {L"<seg begin=\"-2147483648\" end=\"2147483647\"/>", true, {-2147483647 - 1, 2147483647}},
        {L"<seg begin=\"3\" end=\"x\"/>", true, {3, 3}},
        {L"<seg begin=\"3\" end=\"2147483648\"/>", true, {3, 3}},
        {L"<seg end=\"5\"/>", false, {1, 2}},
        {L"<seg begin=\"x3\" end=\"5\"/>", false, {1, 2}},
        {L"<seg begin=\"2147483648\" end=\"5\"/>", false, {1, 2}},
    };
    for (const TCase& c : cases) {
        TRange range(1, 2);
        EXPECT_EQ(range.ValueFromXml(ReadXml(c.aXml).get()), c.aResult) << c.aXml;
        EXPECT_EQ(range, c.aRange) << c.aXml;
    }
}

TEST(RangeListXml, WritesAfterExistingChildrenAndReadsBackAsWritten) {
    wxXmlNode* parent = new wxXmlNode(wxXML_ELEMENT_NODE, L"l");
    parent->AddChild(new wxXmlNode(wxXML_ELEMENT_NODE, L"first"));
    List({{0, 10}, {20, 20}}).MakeXmlImage(parent);
    EXPECT_EQ(WriteXml(parent), L"<l><first/><seg begin=\"0\" end=\"10\"/><seg begin=\"20\"/></l>");

    // Appended as read: no clearing, sorting or merging.
    TRangeList list = List({{100, 200}});
    EXPECT_TRUE(list.ValueFromXml(
        ReadXml(L"<l><seg begin=\"30\" end=\"40\"/><seg begin=\"0\" end=\"35\"/></l>").get()));
    EXPECT_EQ(Ranges(list), (TRanges{{100, 200}, {30, 40}, {0, 35}}));
}

TEST(RangeListXml, ReadStopsAtTheFirstChildWithoutAValidBegin) {
    struct TCase {
        const wchar_t* aXml;
        TRanges aRead;
    } cases[] = {
        {L"<l><seg begin=\"1\" end=\"2\"/>text<seg begin=\"5\" end=\"6\"/></l>", {{1, 2}}},
        {L"<l><seg begin=\"1\" end=\"2\"/><!-- note --><seg begin=\"5\"/></l>", {{1, 2}}},
        {L"<l><seg begin=\"1\" end=\"2\"/><seg begin=\"2147483648\"/><seg begin=\"9\"/></l>",
         {{1, 2}}},
    };
    for (const TCase& c : cases) {
        TRangeList list;
        EXPECT_FALSE(list.ValueFromXml(ReadXml(c.aXml).get())) << c.aXml;
        EXPECT_EQ(Ranges(list), c.aRead) << c.aXml;
    }
}
