#include "DLL/Bas/ABCFormulaSortList.h"

#include "ALL/TypeDef.h"
#include "ALL/XmlTree.h"
#include "DLL/Bas/EvaluateContext.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

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
    list.insert(pSegments.begin(), pSegments.end());
    return list;
}

// The key times met walking the list through its ITimeList face.
std::vector<long> Forwards(const ITimeList& pList, ITimeList::TPosition pFrom) {
    std::vector<long> times;
    for (ITimeList::TPosition pos = pFrom; pos != pList.GetEnd(); pList.GetNext(pos))
        times.push_back(pList.GetTime(pos));
    return times;
}

std::vector<long> Backwards(const ITimeList& pList) {
    std::vector<long> times;
    for (ITimeList::TPosition pos = pList.GetEnd(); pos != pList.GetFirst();)
        times.push_back(pList.GetTime(pList.GetPrev(pos)));
    return times;
}

wxString Written(const IClonableFormula& pList, const TTypeDef& pType) {
    wxXmlNode parent(wxXML_ELEMENT_NODE, wxT("value"));
    pList.MakeXmlImage(&parent, pType);
    return XmlText(parent);
}

struct TNoContext : IEvaluateContext {
    IFormula** GetParamSlot(int, int, bool) const override { return nullptr; }
};

// Counts its deletions, to see a reused object given back.
struct TOtherFormula : IFormula {
    explicit TOtherFormula(int& pDeleted) : aDeleted(pDeleted) {}
    ~TOtherFormula() override { ++aDeleted; }
    TVariant ComputePointAt(double) const override { return TVariant(); }
    bool IsFlatFormula(long) const override { return true; }
    int& aDeleted;
};

bool SameBits(const TABCFormula& p1, const TABCFormula& p2) {
    return p1.aBegin == p2.aBegin && p1.aEnd == p2.aEnd && p1.aValue == p2.aValue &&
           DoubleToBits(p1.a) == DoubleToBits(p2.a) && DoubleToBits(p1.b) == DoubleToBits(p2.b) &&
           DoubleToBits(p1.c) == DoubleToBits(p2.c) && p1.aCont == p2.aCont &&
           p1.aAccel == p2.aAccel && p1.aDecel == p2.aDecel;
}

} // namespace

TEST(ABCFormulaSortList, ValuesComeFromTheSegmentHoldingTheTime) {
    const TABCFormulaSortList list =
        List({Segment(0, 0.0, 10, contNONE, 1.0), Segment(10, 20.0, 20, contFLAT),
              Segment(25, 30.0, 30, contNONE, 2.0)});
    const struct {
        double aTime;
        TVariant aValue;
    } cases[] = {{-0.5, TVariant()},
                 {0.0, 0.0},
                 {9.5, 9.5},
                 {9.999, 9.999},
                 {10.0, 20.0},
                 {19.999, 20.0},
                 {20.0, TVariant()},
                 {24.5, TVariant()},
                 {25.25, 30.5},
                 {30.0, TVariant()},
                 {std::nan(""), TVariant()},
                 {-1e300, TVariant()},
                 {1e300, TVariant()}};
    for (const auto& t : cases)
        EXPECT_EQ(list.ComputePointAt(t.aTime), t.aValue) << t.aTime;
    EXPECT_EQ(list.GetCurveAt(9), &*list.begin());
    EXPECT_EQ(list.GetCurveAt(22), nullptr);
    EXPECT_FALSE(list.IsFlatFormula(5));
    EXPECT_TRUE(list.IsFlatFormula(15));
    EXPECT_TRUE(TABCFormulaSortList().ComputePointAt(0.0).IsUndefined());
}

TEST(ABCFormulaSortList, KeysAndTheirKinds) {
    TABCFormula left = Segment(0, 0.0, 10, contNONE, 1.0);
    left.aDecel = true;
    TABCFormula right = Segment(10, 50.0, 20, contANGLE);
    right.aAccel = true;
    const TABCFormulaSortList touching = List({left, right, Segment(22, 5.0, 30, contFLAT)});
    const struct {
        long aTime;
        int aHasKey;
        int aLeftCont, aRightCont; // through GetValueNSlope
    } cases[] = {{-5, 0, 4, 4}, {0, 2, 4, 1},  {5, 0, 4, 4},  {10, 3, 2, 2},
                 {20, 1, 1, 4}, {21, 0, 4, 4}, {22, 2, 4, 0}, {30, 1, 0, 4}};
    for (const auto& t : cases) {
        EXPECT_EQ(touching.HasKey(t.aTime), t.aHasKey) << t.aTime;
        EContinuity cont = contSMOOTH;
        bool flag = false;
        touching.GetValueNSlope(t.aTime, true, cont, flag);
        EXPECT_EQ(cont, t.aLeftCont) << t.aTime;
        touching.GetValueNSlope(t.aTime, false, cont, flag);
        EXPECT_EQ(cont, t.aRightCont) << t.aTime;
    }
    EContinuity cont;
    bool flag = false;
    EXPECT_EQ(touching.GetValueNSlope(10, true, cont, flag), TVariant(10.0));
    EXPECT_TRUE(flag); // the left one's ease out
    EXPECT_EQ(touching.GetValueNSlope(10, false, cont, flag), TVariant(50.0));
    EXPECT_TRUE(flag); // the right one's ease in
    EXPECT_EQ(touching.GetValueNSlope(5, false, cont, flag), TVariant(5.0));
    flag = true;
    EXPECT_TRUE(touching.GetValueNSlope(21, false, cont, flag).IsUndefined());
    EXPECT_TRUE(flag); // not written without a segment

    const TABCFormula *l, *r, *joined;
    touching.GetCurvesAt(5, l, r, &joined);
    EXPECT_EQ(l, r);
    EXPECT_EQ(joined, &*std::next(touching.begin()));
    touching.GetCurvesAt(10, l, r, &joined);
    EXPECT_EQ(l, &*touching.begin());
    EXPECT_EQ(joined, nullptr); // [10, 20) ends in a gap
}

// The cache once marked "empty" with the time -2147483648 itself, so the first look-up at
// that time on a fresh list was answered from the empty cache.
TEST(ABCFormulaSortList, KeyCacheHoldsEveryTimeAndIsDroppedByTouch) {
    TABCFormulaSortList list = List({Segment(-2147483648L, 1.0, 0, contNONE)});
    EXPECT_EQ(list.HasKey(-2147483648L), 2);
    EXPECT_EQ(list.HasKey(0), 1);
    list.insert(Segment(0, 5.0, 8, contNONE));
    EXPECT_EQ(list.HasKey(0), 1); // still cached
    list.Touch();
    EXPECT_EQ(list.HasKey(0), 3);
    const TABCFormulaSortList copy(list);
    list.clear();
    list.Touch();
    EXPECT_EQ(copy.HasKey(0), 3);
    EXPECT_EQ(list.HasKey(0), 0);
}

TEST(ABCFormulaSortList, CloneReusesASegmentAndGivesBackAnythingElse) {
    const TABCFormulaSortList list = List({Segment(0, 1.0, 10, contNONE, 0.5)});
    const TNoContext context;
    std::unique_ptr<IFormula> fresh(list.CloneFormulaAt(4, nullptr, context, false));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->ComputePointAt(4.0), TVariant(3.0));
    TABCFormula* reuse = new TABCFormula(99, 2.0, 100);
    EXPECT_EQ(list.CloneFormulaAt(4, reuse, context, true), reuse);
    EXPECT_TRUE(SameBits(*reuse, *list.begin()));
    int deleted = 0;
    std::unique_ptr<IFormula> replaced(
        list.CloneFormulaAt(4, new TOtherFormula(deleted), context, false));
    EXPECT_EQ(deleted, 1);
    EXPECT_NE(dynamic_cast<TABCFormula*>(replaced.get()), nullptr);
    EXPECT_EQ(list.CloneFormulaAt(10, new TOtherFormula(deleted), context, false), nullptr);
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(list.CloneFormulaAt(10, reuse, context, false), nullptr); // reuse deleted
}

TEST(ABCFormulaSortList, WalksEachKeyOnce) {
    const TABCFormulaSortList touching =
        List({Segment(0, 0.0, 10, contNONE), Segment(10, 0.0, 20, contNONE)});
    EXPECT_EQ(Forwards(touching, touching.GetFirst()), (std::vector<long>{0, 10, 20}));
    EXPECT_EQ(Backwards(touching), (std::vector<long>{20, 10, 0}));
    EXPECT_EQ(Forwards(touching, touching.GetFirstFrom(10)), (std::vector<long>{10, 20}));
    EXPECT_EQ(touching.GetFirstFrom(10), touching.GetFirst() | 1); // end key of [0, 10)
    EXPECT_EQ(Forwards(touching, touching.GetFirstFrom(15)), (std::vector<long>{20}));
    EXPECT_EQ(touching.GetFirstFrom(25), touching.GetEnd());
    EXPECT_EQ(Forwards(touching, touching.GetFirstFrom(-3)), (std::vector<long>{0, 10, 20}));

    const TABCFormulaSortList apart =
        List({Segment(0, 0.0, 10, contNONE), Segment(12, 0.0, 20, contNONE)});
    EXPECT_EQ(Forwards(apart, apart.GetFirst()), (std::vector<long>{0, 10, 12, 20}));
    EXPECT_EQ(Backwards(apart), (std::vector<long>{20, 12, 10, 0}));
    EXPECT_EQ(Forwards(apart, apart.GetFirstFrom(11)), (std::vector<long>{12, 20}));
    const TABCFormulaSortList empty;
    EXPECT_EQ(empty.GetFirst(), empty.GetEnd());
    EXPECT_EQ(empty.GetFirstFrom(0), empty.GetEnd());
}

TEST(ABCFormulaListXml, ListsReadKeysInOrderAndWriteThemBack) {
    const TTypeDef& type = REAL_0_100_D0_PARAM_TYPE();
    const std::unique_ptr<wxXmlNode> parent(ParseXml(
        wxT("<value><key time=\"20\" to=\"30\" kind=\"1\">G</key><key time=\"0\" to=\"10\" "
            "kind=\"0\">GAq</key><key time=\"10\"/><key time=\"20\"/></value>")));
    TABCFormulaList plain;
    ASSERT_TRUE(plain.ValueFromXml(parent.get(), type));
    ASSERT_EQ(plain.size(), 4u);
    EXPECT_EQ(plain.back().aValue, TVariant(100.0)); // "time" alone carries the value before
    EXPECT_EQ(Written(TABCFormulaSortList(), type), wxT("<value/>"));

    TABCFormulaSortList sorted;
    ASSERT_TRUE(sorted.ValueFromXml(parent.get(), type));
    EXPECT_EQ(sorted.size(), 3u); // the second key at 20 is not inserted
    EXPECT_EQ(Written(sorted, type),
              wxT("<value><key time=\"0\" to=\"10\" kind=\"0\">GAq</key><key time=\"10\"/>"
                  "<key time=\"20\" to=\"30\" kind=\"1\">G</key></value>"));

    // Keys go after what the parent holds, in list order.
    wxXmlNode holder(wxXML_ELEMENT_NODE, wxT("value"));
    NSXml::AppendChild(&holder, new wxXmlNode(wxXML_ELEMENT_NODE, wxT("first")));
    plain.MakeXmlImage(&holder, type);
    EXPECT_TRUE(XmlText(holder).StartsWith(
        wxT("<value><first/><key time=\"20\" to=\"30\" kind=\"1\">G</key><key time=\"0\"")));

    const std::unique_ptr<wxXmlNode> none(ParseXml(wxT("<value/>")));
    EXPECT_TRUE(plain.ValueFromXml(none.get(), type));
    EXPECT_FALSE(sorted.ValueFromXml(none.get(), type));
    const std::unique_ptr<wxXmlNode> broken(
        ParseXml(wxT("<value><key time=\"50\"/><key time=\"60\" to=\"70\"/></value>")));
    EXPECT_FALSE(sorted.ValueFromXml(broken.get(), type));
    EXPECT_EQ(sorted.size(), 4u); // what was read before stays
}

TEST(ABCFormulaListXml, ManyRandomSegmentsSurviveWriteAndRead) {
    std::mt19937_64 random(20240607);
    const TTypeDef& type = REAL_0_100_D0_PARAM_TYPE();
    // Any number but -0.0 (stored as 0.0) and the tag patterns (never a number).
    auto number = [&random] {
        uint64_t bits;
        do
            bits = random();
        while (IsTagBits(bits) || bits == DoubleToBits(-0.0) || bits == ~0ull);
        return BitsToDouble(bits);
    };
    TABCFormulaSortList list;
    long time = -2147483648L;
    for (int i = 0; i < 2000; ++i) {
        const long begin = time + long(random() % 3) * long(random() % 1000);
        time = begin + 1 + long(random() % 100000);
        TABCFormula segment(begin, number(), time);
        segment.aCont = EContinuity(random() % 4);
        segment.aAccel = random() % 2;
        segment.aDecel = random() % 2;
        segment.a = random() % 3 ? number() : 0.0;
        segment.b = random() % 3 ? number() : 0.0;
        segment.c = random() % 3 ? number() : 0.0;
        list.insert(list.end(), segment);
    }
    const wxString xml = Written(list, type);
    const std::unique_ptr<wxXmlNode> parent(ParseXml(xml));
    TABCFormulaSortList read;
    ASSERT_TRUE(read.ValueFromXml(parent.get(), type));
    ASSERT_EQ(read.size(), list.size());
    EXPECT_TRUE(std::equal(read.begin(), read.end(), list.begin(), SameBits));
    EXPECT_EQ(Written(read, type), xml);
}
