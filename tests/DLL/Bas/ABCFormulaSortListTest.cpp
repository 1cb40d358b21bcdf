#include "DLL/Bas/ABCFormulaSortList.h"

#include "ALL/TypeDef.h"
#include "ALL/XmlTree.h"
#include "DLL/Bas/EvaluateContext.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>

namespace {

TABCFormula Segment(long pBegin, const TVariant& pValue, long pEnd, EContinuity pCont,
                    double pC = 0.0) {
    TABCFormula segment(pBegin, pValue, pEnd);
    segment.aCont = pCont;
    segment.c = pC;
    return segment;
}

TABCFormulaSortList List(std::initializer_list<TABCFormula> pSegments) {
    TABCFormulaSortList list;
    for (const TABCFormula& segment : pSegments)
        list.Insert(segment);
    return list;
}

// The key times met walking through the ITimeList face forwards from pFrom, then backwards
// from the end: "0 10 | 10 0".
std::string Walk(const ITimeList& pList, ITimeList::TPosition pFrom) {
    std::ostringstream out;
    for (ITimeList::TPosition pos = pFrom; pos != pList.GetEnd(); pList.GetNext(pos))
        out << pList.GetTime(pos) << ' ';
    out << '|';
    for (ITimeList::TPosition pos = pList.GetEnd(); pos != pList.GetFirst();)
        out << ' ' << pList.GetTime(pList.GetPrev(pos));
    return out.str();
}

// HasKey, then for the left and right side of pTime the continuity, "+" for the easing flag
// (set beforehand, so "+" also shows it untouched) and the value.
std::string Key(const TABCFormulaSortList& pList, long pTime) {
    std::ostringstream out;
    out << pList.HasKey(pTime);
    for (bool left : {true, false}) {
        EContinuity cont = contSMOOTH;
        bool flag = true;
        const TVariant value = pList.GetValueNSlope(pTime, left, cont, flag);
        out << ' ' << int(cont) << (flag ? "+ " : " ")
            << (value.IsUndefined() ? "undef" : FormatDouble(value.GetDouble()).ToStdString());
    }
    return out.str();
}

wxString Written(const IClonableFormula& pList, const TTypeDef& pType) {
    wxXmlNode parent(wxXML_ELEMENT_NODE, wxT("value"));
    pList.MakeXmlImage(&parent, pType);
    return XmlText(parent);
}

struct TNoContext : IEvaluateContext {
    IFormula** GetParamSlot(int, int, bool) const override { return nullptr; }
};

bool SameBits(const TABCFormula& p1, const TABCFormula& p2) {
    return p1.aBegin == p2.aBegin && p1.aEnd == p2.aEnd && p1.aValue == p2.aValue &&
           DoubleToBits(p1.a) == DoubleToBits(p2.a) && DoubleToBits(p1.b) == DoubleToBits(p2.b) &&
           DoubleToBits(p1.c) == DoubleToBits(p2.c) && p1.aCont == p2.aCont &&
           p1.aAccel == p2.aAccel && p1.aDecel == p2.aDecel;
}

} // namespace

// Times inside, between and around segments are the random look-up test's; here the times
// that are no number or lie past every time, and a list that is flat at a time.
TEST(ABCFormulaSortList, ValuesComeFromTheSegmentHoldingTheTime) {
    const TABCFormulaSortList list =
        List({Segment(0, 0.0, 10, contNONE, 1.0), Segment(10, 20.0, 20, contFLAT)});
    for (double time : {std::nan(""), 1e300, -1e300})
        EXPECT_EQ(list.ComputePointAt(time), TVariant()) << time;
    EXPECT_EQ(list.ComputePointAt(19.999), TVariant(20.0));
    EXPECT_FALSE(list.IsFlatFormula(5));
    EXPECT_TRUE(list.IsFlatFormula(15));
}

TEST(ABCFormulaSortList, KeysTheirKindsAndEasing) {
    TABCFormula left = Segment(0, 0.0, 10, contNONE, 1.0);
    left.aDecel = true;
    TABCFormula right = Segment(10, 50.0, 20, contANGLE);
    right.aAccel = true;
    const TABCFormulaSortList list = List({left, right, Segment(22, 5.0, 30, contFLAT)});
    const std::pair<long, const char*> cases[] = {
        {-5, "0 4+ undef 4+ undef"}, {0, "2 4+ undef 1 0"},   {5, "0 4+ 5 4 5"},
        {10, "3 2+ 10 2+ 50"},       {20, "1 1 50 4+ undef"}, {22, "2 4+ undef 0 5"},
        {30, "1 0 5 4+ undef"}};
    for (const auto& t : cases)
        EXPECT_EQ(Key(list, t.first), t.second) << t.first;
    const TABCFormula *l, *r, *joined;
    list.GetCurvesAt(5, l, r, &joined);
    EXPECT_EQ(joined, &*std::next(list.begin()));
    list.GetCurvesAt(10, l, r, &joined);
    EXPECT_EQ(joined, nullptr); // [10, 20) ends in a gap
}

// The cache once marked "empty" with the time -2147483648 itself, so the first look-up at
// that time on a fresh list was answered from the empty cache.
TEST(ABCFormulaSortList, KeyCacheHoldsEveryTimeAndEveryChangeDropsIt) {
    TABCFormulaSortList list = List({Segment(-2147483648L, 1.0, 0, contNONE)});
    EXPECT_EQ(list.HasKey(-2147483648L), 2);
    EXPECT_EQ(list.HasKey(0), 1);
    const auto inserted = list.Insert(Segment(0, 5.0, 8, contNONE)).first;
    EXPECT_EQ(list.HasKey(0), 3);
    EXPECT_EQ(list.HasKey(8), 1);
    list.Modify(inserted).aEnd = 9;
    EXPECT_EQ(list.HasKey(8), 0);
    // A change through a reference held across a query shows after Touch.
    TABCFormula& held = list.Modify(inserted);
    EXPECT_EQ(list.HasKey(9), 1);
    held.aEnd = 6;
    EXPECT_EQ(list.HasKey(9), 1);
    list.Touch();
    EXPECT_EQ(list.HasKey(9), 0);
    const TABCFormulaSortList copy(list);
    list.Clear();
    EXPECT_EQ(copy.HasKey(0), 3);
    EXPECT_EQ(list.HasKey(0), 0);
}

// The segment a brute-force walk finds for pTime: the last one starting at or before it,
// when it holds it.
template <class TTime>
const TABCFormula* Covering(const TABCFormulaSortList& pList, TTime pTime) {
    const TABCFormula* last = nullptr;
    for (const TABCFormula& segment : pList) {
        if (segment.aBegin <= pTime)
            last = &segment;
    }
    return last && pTime < last->aEnd ? last : nullptr;
}

// Look-ups at consecutive, random and fractional times between random edits, some of them
// made in place through a reference held across look-ups without Touch: every answer is
// the brute-force one for the list as it is.
TEST(ABCFormulaSortList, LookUpsFollowEveryEdit) {
    std::mt19937_64 random(7);
    TABCFormulaSortList list;
    for (long begin = 0; begin < 4000; begin += 20)
        list.Insert(list.end(),
                    Segment(begin, double(begin), begin + 10 + long(random() % 11), contNONE, 1.0));
    auto check = [&list](long pTime, int pEdit) {
        const TABCFormula* expected = Covering(list, pTime);
        ASSERT_EQ(list.GetCurveAt(pTime), expected) << pTime << " after edit " << pEdit;
        const double fraction = double(pTime) + 0.75;
        const TABCFormula* holder = Covering(list, fraction);
        ASSERT_EQ(list.ComputePointAt(fraction),
                  holder ? holder->ComputePointAt(fraction) : TVariant())
            << fraction << " after edit " << pEdit;
    };
    TABCFormula& first = list.Modify(list.begin());
    check(0, -1);
    first.aBegin = -5;
    check(-3, -1);
    for (int edit = 0; edit < 400; ++edit) {
        auto pos = std::next(list.begin(), long(random() % list.size()));
        switch (random() % 4) {
        case 0: // split in two
            if (pos->aEnd - pos->aBegin > 2) {
                TABCFormula right = *pos;
                right.aBegin = pos->aBegin + 1;
                list.Modify(pos).aEnd = right.aBegin;
                check(right.aBegin, edit);
                list.Insert(std::next(pos), right);
            }
            break;
        case 1:
            if (list.size() > 10)
                list.Erase(pos);
            break;
        default: { // moved in place, held across look-ups
            const long gapBefore = pos == list.begin() ? 2 : pos->aBegin - std::prev(pos)->aEnd;
            TABCFormula& held = list.Modify(pos);
            check(pos->aBegin, edit);
            const int change = int(random() % 3);
            if (change == 0)
                held.aEnd = std::max(held.aBegin + 1, held.aEnd - 3);
            else if (change == 1 && held.aEnd - held.aBegin > 3)
                held.aBegin += 2;
            else if (change == 2)
                held.aBegin -= std::min(gapBefore, 2L);
            break;
        }
        }
        const long start = long(random() % 4100) - 50;
        for (long t = start; t < start + 40; ++t)
            check(t, edit);
        check(long(random() % 4100) - 50, edit);
    }
}

// Whatever is not reused is deleted (the leak check would see otherwise).
TEST(ABCFormulaSortList, CloneReusesASegmentAndGivesBackAnythingElse) {
    const TABCFormulaSortList list = List({Segment(0, 1.0, 10, contNONE, 0.5)});
    const TNoContext context;
    TABCFormula* reuse = new TABCFormula(99, 2.0, 100);
    EXPECT_EQ(list.CloneFormulaAt(4, reuse, context, true), reuse);
    EXPECT_TRUE(SameBits(*reuse, *list.begin()));
    std::unique_ptr<IFormula> fresh(
        list.CloneFormulaAt(4, new TABCFormulaSortList, context, false));
    const TABCFormula* copy = dynamic_cast<TABCFormula*>(fresh.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(SameBits(*copy, *list.begin()));
    EXPECT_EQ(list.CloneFormulaAt(10, new TABCFormulaSortList, context, false), nullptr);
    EXPECT_EQ(list.CloneFormulaAt(10, reuse, context, false), nullptr); // in a gap
}

TEST(ABCFormulaSortList, WalksEachKeyOnce) {
    const TABCFormulaSortList touching =
        List({Segment(0, 0.0, 10, contNONE), Segment(10, 0.0, 20, contNONE)});
    EXPECT_EQ(Walk(touching, touching.GetFirst()), "0 10 20 | 20 10 0");
    EXPECT_EQ(Walk(touching, touching.GetFirstFrom(10)), "10 20 | 20 10 0");
    EXPECT_EQ(touching.GetFirstFrom(10), touching.GetFirst() | 1); // end key of [0, 10)
    EXPECT_EQ(touching.GetFirstFrom(25), touching.GetEnd());
    const TABCFormulaSortList apart =
        List({Segment(0, 0.0, 10, contNONE), Segment(12, 0.0, 20, contNONE)});
    EXPECT_EQ(Walk(apart, apart.GetFirstFrom(-3)), "0 10 12 20 | 20 12 10 0");
    EXPECT_EQ(Walk(apart, apart.GetFirstFrom(11)), "12 20 | 20 12 10 0");
    const TABCFormulaSortList empty;
    EXPECT_EQ(Walk(empty, empty.GetFirstFrom(0)), "|");
}

TEST(ABCFormulaListXml, ListsReadKeysInOrderAndWriteThemBack) {
    const TTypeDef& type = REAL_0_100_D0_PARAM_TYPE();
    const std::unique_ptr<wxXmlNode> parent(ParseXml(
        R"(<value><key time="20" to="30" kind="1">G</key><key time="0" to="10" kind="0">GAq</key>)"
        R"(<key time="10"/><key time="20"/></value>)"));
    // A plain list keeps document order after what the parent holds.
    TABCFormulaList plain;
    ASSERT_TRUE(plain.ValueFromXml(parent.get(), type));
    EXPECT_EQ(plain.back().aValue, TVariant(100.0)); // "time" alone carries the value before
    wxXmlNode holder(wxXML_ELEMENT_NODE, wxT("value"));
    NSXml::AppendChild(&holder, new wxXmlNode(wxXML_ELEMENT_NODE, wxT("first")));
    plain.MakeXmlImage(&holder, type);
    EXPECT_EQ(XmlText(holder), R"(<value><first/><key time="20" to="30" kind="1">G</key>)"
                               R"(<key time="0" to="10" kind="0">GAq</key><key time="10"/>)"
                               R"(<key time="20"/></value>)");
    // A sorted list skips the second key at 20.
    TABCFormulaSortList sorted;
    ASSERT_TRUE(sorted.ValueFromXml(parent.get(), type));
    EXPECT_EQ(Written(sorted, type),
              R"(<value><key time="0" to="10" kind="0">GAq</key><key time="10"/>)"
              R"(<key time="20" to="30" kind="1">G</key></value>)");
    // A sorted list without keys or at a bad one reads false; what was read before stays.
    EXPECT_FALSE(sorted.ValueFromXml(std::unique_ptr<wxXmlNode>(ParseXml("<value/>")).get(), type));
    const std::unique_ptr<wxXmlNode> broken(
        ParseXml(R"(<value><key time="50"/><key time="60" to="70"/></value>)"));
    EXPECT_FALSE(sorted.ValueFromXml(broken.get(), type));
    EXPECT_EQ(sorted.size(), 4u);
}
