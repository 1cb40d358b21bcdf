#include "DLL/Bas/ABCFormula.h"

#include "ALL/TypeDef.h"
#include "support/AssertCapture.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

TABCFormula Segment(long pBegin, const TVariant& pValue, long pEnd, EContinuity pCont,
                    double pA = 0.0, double pB = 0.0, double pC = 0.0) {
    TABCFormula segment(pBegin, pValue, pEnd);
    segment.aCont = pCont;
    segment.a = pA;
    segment.b = pB;
    segment.c = pC;
    return segment;
}

// A numeric type with its range check on [pMin, pMax] and an extrapolation slope.
TTypeDef Ranged(double pSlope, const TVariant& pMin, const TVariant& pMax) {
    TTypeDef type(paramTypeREAL);
    type.aRangeCheck = true;
    type.aMin = pMin;
    type.aMax = pMax;
    type.aSlope = pSlope;
    return type;
}

wxString Written(const TABCFormula& pSegment, const TTypeDef& pType) {
    return XmlText(*std::unique_ptr<wxXmlNode>(pSegment.GetXmlImage(pType)));
}

bool Read(TABCFormula& pSegment, const wxString& pXml, const TTypeDef& pType) {
    const std::unique_ptr<wxXmlNode> element(ParseXml(pXml));
    return element && pSegment.ValueFromXml(element.get(), pType);
}

} // namespace

TEST(Continuity, ImagesStayInsideTheTable) {
    const struct {
        int aCont;
        const char* aImage;
    } cases[] = {{0, "FLAT"},  {1, "NONE"},  {2, "ANGLE"},   {3, "SMOOTH"},
                 {4, "COUNT"}, {5, "COUNT"}, {255, "COUNT"}, {-1, "COUNT"}};
    for (const auto& c : cases)
        EXPECT_EQ(wxString(GetContinuityImage(EContinuity(c.aCont))), wxString(c.aImage));
}

TEST(ABCFormula, NewSegmentsAreNoneForNumbersAndFlatOtherwise) {
    EXPECT_EQ(TABCFormula(0, TVariant(2.0), 10).aCont, contNONE);
    EXPECT_EQ(TABCFormula(0, TVariant(wxString(wxT("x"))), 10).aCont, contFLAT);
    EXPECT_TRUE(TABCFormula(0, TVariant(), 10).ComputePointAt(5.0).IsUndefined());
    // FLAT keeps the start value whatever the coefficients say.
    EXPECT_EQ(Segment(0, 4.0, 10, contFLAT, 1.0, 1.0, 1.0).ComputePointAt(5.0), TVariant(4.0));
}

// Over [8, 16) with start value 2 and a rise of 16 (mean slope 2) every number is exact.
TEST(ABCFormula, RebuildReachesTheEndWithTheSlopesOfEachShape) {
    const struct {
        const char* aName;
        EContinuity aCont;
        bool aAccel, aDecel;
        double aStartSlope; // c before the rebuild
        EContinuity aNextCont;
        double aNextSlope;
        bool aFreeStart;
        double aA, aB, aC, aEndSlope;
    } cases[] = {
        {"line", contNONE, false, false, 9, contNONE, 5, false, 0, 0, 2, 2},
        {"ease in", contNONE, true, false, 9, contNONE, 5, false, 0, 0.25, 0, 4},
        {"ease out", contANGLE, false, true, 9, contNONE, 5, false, 0, -0.25, 4, 0},
        {"both", contNONE, true, true, 9, contNONE, 5, false, -0.0625, 0.75, 0, 0},
        {"into smooth", contNONE, false, false, 9, contSMOOTH, 1, false, 0, -0.125, 3, 1},
        {"ease in, smooth", contNONE, true, false, 9, contSMOOTH, 1, false, -3 / 64., 0.625, 0, 1},
        {"keeps smooth start", contSMOOTH, false, false, 1, contANGLE, 5, false, 0, 0.125, 1, 3},
        {"smooth both ends", contSMOOTH, false, false, 1, contSMOOTH, 3, false, 0, 0.125, 1, 3},
        {"free smooth start", contSMOOTH, false, false, 1, contANGLE, 5, true, 0, 0, 2, 2},
        {"smooth start, out", contSMOOTH, false, true, 1, contANGLE, 5, false, -3 / 64., 0.5, 1, 0},
    };
    for (const auto& t : cases) {
        TABCFormula segment = Segment(8, 2.0, 16, t.aCont, 7.0, 7.0, t.aStartSlope);
        segment.aAccel = t.aAccel;
        segment.aDecel = t.aDecel;
        const TABCFormula next = Segment(16, 18.0, 20, t.aNextCont, 0, 0, t.aNextSlope);
        segment.rebuildFormula(16.0, &next, t.aFreeStart);
        EXPECT_EQ(segment.a, t.aA) << t.aName;
        EXPECT_EQ(segment.b, t.aB) << t.aName;
        EXPECT_EQ(segment.c, t.aC) << t.aName;
        EXPECT_EQ(segment.ComputeAt(16.0), 18.0) << t.aName;
        EXPECT_EQ(segment.slopeAt(8), t.aC) << t.aName;
        EXPECT_EQ(segment.slopeAt(16), t.aEndSlope) << t.aName;
    }
}

TEST(ABCFormula, RebuildReportsBrokenInvariantsAndGoesOn) {
    TABCFormula smoothWithEase = Segment(0, 0.0, 8, contSMOOTH, 0, 0, 1);
    smoothWithEase.aAccel = true;
    EXPECT_ASSERTS(smoothWithEase.RebuildCurve(),
                   "!aAccel||((aCont!=contSMOOTH)&&(aCont!=contFLAT))");
    TABCFormula easeIntoSmooth = Segment(0, 0.0, 8, contNONE);
    easeIntoSmooth.aDecel = true;
    const TABCFormula smooth = Segment(8, 1.0, 9, contSMOOTH);
    EXPECT_ASSERTS(easeIntoSmooth.ComputeCurveTo(smooth),
                   "!aDecel||((aCont!=contFLAT)&&((pNextFormula==__null)||((pNextFormula->aCont!="
                   "contSMOOTH)&&(pNextFormula->aCont!=contFLAT))))");
    TABCFormula flagged = Segment(0, 0.0, 8, contNONE);
    flagged.aFlags = TABCFormula::flagRIGHT_MULT;
    EXPECT_ASSERTS(flagged.rebuildFormula(8.0, nullptr, false),
                   "(aFlags& (flagLEFT_MULT|flagRIGHT_MULT)) == 0");
    EXPECT_EQ(flagged.c, 1.0);
    EXPECT_ASSERTS(flagged.TruncateLeft(2), "(aFlags&(flagLEFT_MULT|flagRIGHT_MULT))==0");
    TABCFormula flatWithEase = Segment(0, 0.0, 8, contFLAT, 1, 1, 1);
    flatWithEase.aDecel = true;
    EXPECT_ASSERTS(flatWithEase.RebuildCurve(),
                   "!aDecel||((aCont!=contFLAT)&&((pNextFormula==__null)||((pNextFormula->aCont!="
                   "contSMOOTH)&&(pNextFormula->aCont!=contFLAT))))",
                   "!(aAccel|aDecel)");
    EXPECT_TRUE(flatWithEase.IsFlatFormula(0));
    TABCFormula undefinedStart = Segment(0, TVariant(), 8, contNONE);
    EXPECT_ASSERTS(undefinedStart.SetValueAtOrig(3.0), "!aValue.IsUndefined()");
    EXPECT_EQ(undefinedStart.aValue, TVariant(3.0));
}

TEST(ABCFormula, TruncateLeftKeepsTheCurve) {
    TABCFormula segment = Segment(0, 3.0, 16, contSMOOTH, 0.25, -1.5, 2.0);
    segment.aAccel = true;
    const TABCFormula before = segment;
    segment.TruncateLeft(4);
    EXPECT_EQ(segment.aBegin, 4);
    EXPECT_EQ(segment.aCont, contNONE);
    EXPECT_FALSE(segment.aAccel);
    for (double t = 4.0; t <= 16.0; t += 0.5)
        EXPECT_EQ(segment.ComputeAt(t), before.ComputeAt(t)) << t;
    TABCFormula flat = Segment(0, 3.0, 16, contFLAT);
    flat.TruncateLeft(6);
    EXPECT_EQ(flat.aBegin, 6);
    EXPECT_EQ(flat.aValue, TVariant(3.0));
    TABCFormula undefined = Segment(0, TVariant(), 16, contNONE, 0, 0, 1);
    undefined.TruncateLeft(6);
    EXPECT_TRUE(undefined.aValue.IsUndefined());
}

TEST(ABCFormula, ScaleTimeRoundsTiesToEvenAndKeepsTheRise) {
    TABCFormula grown = Segment(3, 1.0, 5, contNONE, 0, 0, 2.0);
    grown.ScaleTime(2.0, nullptr);
    EXPECT_EQ(grown.aBegin, 6);
    EXPECT_EQ(grown.aEnd, 10);
    EXPECT_EQ(grown.ComputeAt(10.0), 5.0);
    TABCFormula shrunk = Segment(1, 0.0, 3, contNONE);
    shrunk.ScaleTime(0.5, nullptr);
    EXPECT_EQ(shrunk.aBegin, 0);
    EXPECT_EQ(shrunk.aEnd, 2);
    // A smooth start keeps its slope in the new time unit.
    TABCFormula smooth = Segment(0, 0.0, 8, contSMOOTH, 0, 0.25, 2.0);
    smooth.ScaleTime(2.0, nullptr);
    EXPECT_EQ(smooth.c, 1.0);
    EXPECT_EQ(smooth.ComputeAt(16.0), 32.0);
    // Times saturate; an empty result keeps its coefficients.
    TABCFormula huge = Segment(1, 0.0, 3, contNONE, 0, 0, 1.0);
    huge.ScaleTime(1e12, nullptr);
    EXPECT_EQ(huge.aBegin, 2147483647);
    EXPECT_EQ(huge.aEnd, 2147483647);
    EXPECT_EQ(huge.c, 1.0);
}

TEST(ABCFormula, ShiftedTimesSaturate) {
    TABCFormula far = Segment(0, 1.0, 2147483000, contFLAT);
    far.ShiftRightAndRecompute(1000, nullptr);
    EXPECT_EQ(far.aEnd, 2147483647);
}

TEST(ABCFormula, CurvesContinueTheirNeighbours) {
    // The value and, for SMOOTH, the slope of the left neighbour at the start.
    const TABCFormula leftNeighbour = Segment(0, 0.0, 8, contNONE, 0, 0.25, 0); // 16 at 8
    TABCFormula continued = Segment(8, 99.0, 16, contSMOOTH, 0, 0, 99);
    continued.ComputeCurve(leftNeighbour, nullptr);
    EXPECT_EQ(continued.aValue, TVariant(16.0));
    EXPECT_EQ(continued.c, 4.0);
    TABCFormula joined = Segment(0, 0.0, 8, contNONE, 0, 0, 1);
    joined.Join(Segment(8, 8.0, 16, contNONE, 0, 0, 2), nullptr);
    EXPECT_EQ(joined.aEnd, 16);
    EXPECT_EQ(joined.ComputeAt(16.0), 24.0);
    TABCFormula textStart = Segment(0, TVariant(wxString(wxT("t"))), 8, contNONE);
    EXPECT_ASSERTS(textStart.ComputeFirstTo(Segment(8, 8.0, 16, contANGLE)), "aValue.IsNumeric()");
}

TEST(ABCFormula, ChangeLeftAndRightFollowTheirBranches) {
    const TABCFormula smoothNext = Segment(8, 0.0, 16, contSMOOTH);
    const TABCFormula flatSource = Segment(2, 7.0, 6, contFLAT);
    TABCFormula source = Segment(2, 4.0, 16, contANGLE, 0, 0, 0.5); // ends at 11
    source.aAccel = true;
    source.aDecel = true;
    bool changed = true;

    TABCFormula right = Segment(0, 2.0, 8, contFLAT); // FLAT, not copyFlat: only the end
    right.ChangeRight(source, &smoothNext, false, &changed);
    EXPECT_EQ(right.aEnd, 16);
    EXPECT_TRUE(changed);
    EXPECT_EQ(right.aValue, TVariant(2.0));
    right = Segment(0, 2.0, 8, contNONE);
    right.ChangeRight(source, nullptr, false, &changed);
    EXPECT_FALSE(changed);
    EXPECT_TRUE(right.aDecel);
    EXPECT_EQ(right.ComputeAt(16.0), 11.0);
    right.ChangeRight(flatSource, nullptr, true, &changed);
    EXPECT_EQ(right.aCont, contFLAT);
    EXPECT_EQ(right.aValue, TVariant(7.0));

    TABCFormula left = Segment(0, 2.0, 8, contFLAT);
    left.ChangeLeft(source, &smoothNext, true, &changed);
    EXPECT_EQ(left.aBegin, 2);
    EXPECT_FALSE(changed);
    left = Segment(0, 2.0, 8, contNONE, 0, 0, 1);
    left.ChangeLeft(flatSource, &smoothNext, false, &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(left.aCont, contFLAT);
    EXPECT_EQ(left.aBegin, 0);
    EXPECT_EQ(left.aValue, TVariant(7.0));
    left = Segment(0, 2.0, 16, contNONE, 0, 0, 1); // ends at 18
    left.ChangeLeft(Segment(4, 6.0, 9, contFLAT), nullptr, true, &changed);
    EXPECT_EQ(left.aBegin, 4);
    EXPECT_EQ(left.aCont, contNONE); // a FLAT source start becomes NONE
    EXPECT_EQ(left.ComputeAt(16.0), 18.0);
    left.ChangeLeft(source, nullptr, false, nullptr);
    EXPECT_EQ(left.aCont, contANGLE);
    EXPECT_TRUE(left.aAccel);
    EXPECT_DOUBLE_EQ(left.ComputeAt(16.0), 18.0);
}

TEST(ABCFormula, CanJoinOnlyTouchingSmoothOrEqualFlatSegments) {
    const TVariant text(wxString(wxT("a")));
    const struct {
        TABCFormula aThis, aNext;
        bool aJoin;
    } cases[] = {
        {Segment(0, 1.0, 10, contFLAT), Segment(10, 5.0, 20, contSMOOTH), true},
        {Segment(0, 1.0, 10, contNONE), Segment(11, 5.0, 20, contSMOOTH), false},
        {Segment(0, 1.0, 10, contFLAT), Segment(10, 1.0, 20, contFLAT), true},
        {Segment(0, 1.0, 10, contFLAT), Segment(10, 2.0, 20, contFLAT), false},
        {Segment(0, 0.0, 10, contFLAT), Segment(10, -0.0, 20, contFLAT), false},
        {Segment(0, text, 10, contFLAT), Segment(10, text, 20, contFLAT), true},
        {Segment(0, 1.0, 10, contNONE), Segment(10, 1.0, 20, contFLAT), false},
        {Segment(0, TVariant(), 10, contFLAT), Segment(10, TVariant(), 20, contFLAT), true},
    };
    for (const auto& t : cases)
        EXPECT_EQ(t.aThis.CanJoin(t.aNext), t.aJoin) << t.aNext.aBegin << " " << t.aNext.aCont;
}

TEST(ABCFormula, ExtrapolateRunsAtTheTypeSlopeUpToItsRange) {
    const TTypeDef noSlope = Ranged(0.0, 0.0, 10.0);
    TABCFormula unchanged = Segment(0, 5.0, 50, contNONE, 1, 1, 1);
    EXPECT_FALSE(unchanged.Extrapolate(noSlope, 1000, true));
    EXPECT_EQ(unchanged.a, 1.0);
    // A slope of 0 never reaches a bound.
    EXPECT_EQ(Segment(0, 5.0, 50, contNONE).ExtrapolLimit(noSlope, true), 2147483647);
    EXPECT_EQ(Segment(0, 5.0, 50, contNONE).ExtrapolLimit(noSlope, false), -2147483648L);

    TABCFormula right = Segment(0, 0.0, 50, contNONE);
    EXPECT_TRUE(right.Extrapolate(Ranged(1.0, 0.0, 10.0), 1000, true));
    EXPECT_EQ(right.c, 1.0);
    EXPECT_EQ(right.aEnd, 10);
    // Leftwards the line ends at the old start value and starts where it meets the minimum.
    TABCFormula left = Segment(0, 20.0, 50, contNONE);
    EXPECT_TRUE(left.Extrapolate(Ranged(1.0, 0.0, 100.0), 1000, false));
    EXPECT_EQ(left.aBegin, 30);
    EXPECT_EQ(left.aValue, TVariant(0.0));
    EXPECT_EQ(left.ComputeAt(50.0), 20.0);

    const TABCFormula steep = Segment(0, 0.0, 50, contNONE, 0, 0, 3.0);
    EXPECT_EQ(steep.ExtrapolLimit(Ranged(1.0, -10.0, 10.0), true), 4);   // 3.33 up
    EXPECT_EQ(steep.ExtrapolLimit(Ranged(1.0, -10.0, 10.0), false), -4); // -3.33 down
    EXPECT_EQ(Segment(0, 0.0, 50, contNONE, 0, 0, 1e-9).ExtrapolLimit(Ranged(1, 0, 10), true),
              2147483647);
    TTypeDef unchecked = Ranged(1.0, 0.0, 10.0);
    unchecked.aRangeCheck = false;
    EXPECT_EQ(steep.ExtrapolLimit(unchecked, true), 2147483647);
}

// A bound or start value that is not a number imposes no limit (it used to give a NaN time
// taken as -2147483648: a zero-length segment going right).
TEST(ABCFormula, ExtrapolateWithoutNumbersSetsNoLimit) {
    const TVariant text(wxString(wxT("x")));
    const struct {
        TVariant aBound, aValue;
    } cases[] = {{TVariant(), 0.0}, {text, 0.0}, {10.0, TVariant()}};
    for (const auto& t : cases) {
        const TTypeDef type = Ranged(1.0, t.aBound, t.aBound);
        TABCFormula right = Segment(0, t.aValue, 50, contNONE);
        EXPECT_TRUE(right.Extrapolate(type, 1000, true));
        EXPECT_EQ(right.aEnd, 50);
        TABCFormula left = Segment(0, t.aValue, 50, contNONE);
        EXPECT_TRUE(left.Extrapolate(type, 1000, false));
        EXPECT_EQ(left.aBegin, 0);
        EXPECT_EQ(left.ExtrapolLimit(type, true), 2147483647);
        EXPECT_EQ(left.ExtrapolLimit(type, false), -2147483648L);
    }
    const TABCFormula nanSlope = Segment(0, 0.0, 50, contNONE, 0, 0, std::nan(""));
    EXPECT_EQ(nanSlope.ExtrapolLimit(Ranged(1.0, 0.0, 10.0), true), 2147483647);
}

TEST(ABCFormula, NewSegmentBetweenNeighboursInItsFourCases) {
    const TTypeDef sloped = Ranged(2.0, -1000.0, 1000.0);
    const TABCFormula left = Segment(0, 0.0, 10, contNONE, 0, 0, 1.0); // 10 at its end
    const TABCFormula right = Segment(20, 30.0, 30, contNONE);

    const TABCFormula alone(nullptr, nullptr, TRange(10, 20), sloped, 1000);
    EXPECT_EQ(alone.aValue, TVariant(0.0)); // the type's default
    EXPECT_EQ(alone.c, 2.0);
    const TABCFormula afterLeft(&left, nullptr, TRange(10, 20), sloped, 1000);
    EXPECT_EQ(afterLeft.aValue, TVariant(10.0));
    EXPECT_EQ(afterLeft.ComputeAt(20.0), 30.0);
    const TABCFormula beforeRight(nullptr, &right, TRange(10, 20), sloped, 1000);
    EXPECT_EQ(beforeRight.ComputeAt(20.0), 30.0); // ends at the right start value
    EXPECT_EQ(beforeRight.aValue, TVariant(10.0));
    const TABCFormula between(&left, &right, TRange(10, 20), REAL_0_100_D0_PARAM_TYPE(), 1000);
    EXPECT_EQ(between.aCont, contNONE);
    EXPECT_EQ(between.ComputeAt(20.0), 30.0); // a line joining both
    const TABCFormula text(nullptr, nullptr, TRange(10, 20), TEXT_PARAM_TYPE(), 1000);
    EXPECT_EQ(text.aCont, contFLAT);
    EXPECT_EQ(text.aValue, TEXT_PARAM_TYPE().aDefault);
    EXPECT_ASSERTS(TABCFormula(&left, &right, TRange(5, 25), sloped, 1000),
                   "pLeft->aEnd <= pRange.aBegin", "pRight->aBegin >= pRange.aEnd");
}

TEST(ABCFormulaXml, KeysAreWrittenExactlyAndReadBack) {
    const TTypeDef& real = REAL_0_100_D0_PARAM_TYPE();
    TABCFormula eased = Segment(-5, 100.0, 20, contSMOOTH, 0.5, 0.0, -1.0);
    eased.aAccel = true;
    eased.aDecel = true;
    const struct {
        TABCFormula aSegment;
        const TTypeDef& aType;
        const char* aXml;
    } cases[] = {
        {eased, real, "<key time=\"-5\" to=\"20\" kind=\"51\" a=\"F~\" c=\"V~_\">GAq</key>"},
        {Segment(0, 0.0, 10, contNONE), real, "<key time=\"0\" to=\"10\" kind=\"1\"/>"},
        {Segment(0, TVariant(), 10, contFLAT), real,
         "<key time=\"0\" to=\"10\" undef=\"\" kind=\"0\"/>"},
        {Segment(0, TVariant(wxString(wxT("hi"))), 10, contFLAT), TEXT_PARAM_TYPE(),
         "<key time=\"0\" to=\"10\">hi</key>"},
        {Segment(7, 2.0, 7, contNONE, 1, 1, 1), real, "<key time=\"7\"/>"},
    };
    for (const auto& t : cases) {
        const wxString xml = Written(t.aSegment, t.aType);
        EXPECT_EQ(xml, wxString(t.aXml));
        TABCFormula read(99, 3.0, 99);
        ASSERT_TRUE(Read(read, xml, t.aType)) << xml;
        EXPECT_EQ(Written(read, t.aType), xml);
        EXPECT_EQ(read.aAccel, t.aSegment.aAccel && t.aSegment.aEnd != t.aSegment.aBegin);
    }
    // "time" alone: an empty FLAT segment keeping the value held before.
    TABCFormula carried = Segment(0, 3.0, 10, contSMOOTH, 1, 1, 1);
    ASSERT_TRUE(Read(carried, wxT("<key time=\"40\"/>"), real));
    EXPECT_EQ(carried.aBegin, 40);
    EXPECT_EQ(carried.aEnd, 40);
    EXPECT_EQ(carried.aCont, contFLAT);
    EXPECT_EQ(carried.aValue, TVariant(3.0));
    EXPECT_TRUE(carried.IsFlatFormula(40));
}

// Continuities above SMOOTH, bad number images and a bad "to" used to be read as something
// else; now they fail the read and leave the segment as it was.
TEST(ABCFormulaXml, DamagedKeysFailAndChangeNothing) {
    const struct {
        const char* aXml;
        bool aRead;
    } cases[] = {
        {"<key time=\"0\" to=\"9\" kind=\"3\" a=\"\">G</key>", true},
        {"<key time=\"0\" to=\"9\" kind=\"49\">G</key>", true},
        {"<key time=\"0\" to=\"9\" kind=\"4\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"15\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"255\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"-1\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"1\" a=\"bad!\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"1\" b=\" G\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"1\" c=\"_\">G</key>", false},
        {"<key time=\"0\" to=\"9\">G</key>", false},
        {"<key time=\"0\" to=\"9\" kind=\"1\">!</key>", false},
        {"<key to=\"9\" kind=\"1\">G</key>", false},
        {"<key time=\"2147483648\" to=\"9\" kind=\"1\">G</key>", false},
        {"<key time=\"0\" to=\"9x\" kind=\"1\">G</key>", false},
        {"<key time=\"0\" to=\"9\" undef=\"\" kind=\"99\" a=\"!\"/>", true},
    };
    for (const auto& t : cases) {
        const TTypeDef& type = REAL_0_100_D0_PARAM_TYPE();
        TABCFormula segment = Segment(1, 5.0, 2, contNONE, 1, 2, 3);
        const wxString before = Written(segment, type);
        EXPECT_EQ(Read(segment, t.aXml, type), t.aRead) << t.aXml;
        if (!t.aRead) {
            EXPECT_EQ(Written(segment, type), before) << t.aXml;
        }
    }
}
