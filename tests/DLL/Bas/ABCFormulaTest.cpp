#include "DLL/Bas/ABCFormula.h"

#include "ALL/TypeDef.h"
#include "support/AssertCapture.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <sstream>

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

TABCFormula Eased(TABCFormula pSegment, bool pAccel, bool pDecel) {
    pSegment.aAccel = pAccel;
    pSegment.aDecel = pDecel;
    return pSegment;
}

// A number with 17 digits, a text quoted, or "undef".
std::string Value(const TVariant& pValue) {
    if (pValue.IsText())
        return "'" + pValue.GetText().ToStdString() + "'";
    if (pValue.IsUndefined())
        return "undef";
    std::ostringstream out;
    out.precision(17);
    out << pValue.GetDouble();
    return out.str();
}

// The whole segment on one line: "[begin,end) value KIND+in+out a b c".
std::string State(const TABCFormula& p) {
    std::ostringstream out;
    out.precision(17);
    out << '[' << p.aBegin << ',' << p.aEnd << ") " << Value(p.aValue) << ' '
        << wxString(GetContinuityImage(p.aCont)) << (p.aAccel ? "+in" : "")
        << (p.aDecel ? "+out" : "") << ' ' << p.a << ' ' << p.b << ' ' << p.c;
    return out.str();
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

bool Read(TABCFormula& pSegment, const wxString& pXml, const TTypeDef& pType) {
    const std::unique_ptr<wxXmlNode> element(ParseXml(pXml));
    return element && pSegment.ValueFromXml(element.get(), pType);
}

} // namespace

// Continuities outside the table used to read past it.
TEST(ABCFormula, ContinuityImagesStayInsideTheTable) {
    wxString images;
    for (int cont : {0, 1, 2, 3, 4, 5, 255, -1})
        images << GetContinuityImage(EContinuity(cont)) << ' ';
    EXPECT_EQ(images, "FLAT NONE ANGLE SMOOTH COUNT COUNT COUNT COUNT ");
    // FLAT keeps the start value whatever the coefficients say.
    EXPECT_EQ(Segment(0, 4.0, 10, contFLAT, 1, 1, 1).ComputePointAt(5.0), TVariant(4.0));
}

// Over [8, 16) with start value 2, start slope 1 and a rise of 16 (mean slope 2) into a next
// segment of slope 1, every number is exact: {a, b, c, end value, end slope}.
TEST(ABCFormula, RebuildReachesTheEndWithTheSlopesOfEachShape) {
    typedef std::vector<double> V;
    auto rebuilt = [](EContinuity pCont, bool pAccel, bool pDecel, EContinuity pNext, bool pFree) {
        TABCFormula segment = Eased(Segment(8, 2.0, 16, pCont, 7.0, 7.0, 1.0), pAccel, pDecel);
        const TABCFormula next = Segment(16, 18.0, 20, pNext, 0, 0, 1.0);
        segment.rebuildFormula(16.0, &next, pFree);
        return V{segment.a, segment.b, segment.c, segment.ComputeAt(16.0), segment.slopeAt(16)};
    };
    EXPECT_EQ(rebuilt(contNONE, 0, 0, contNONE, 0), (V{0, 0, 2, 18, 2}));              // a line
    EXPECT_EQ(rebuilt(contNONE, 1, 0, contNONE, 0), (V{0, 0.25, 0, 18, 4}));           // ease in
    EXPECT_EQ(rebuilt(contANGLE, 0, 1, contNONE, 0), (V{0, -0.25, 4, 18, 0}));         // ease out
    EXPECT_EQ(rebuilt(contNONE, 1, 1, contNONE, 0), (V{-0.0625, 0.75, 0, 18, 0}));     // both
    EXPECT_EQ(rebuilt(contNONE, 0, 0, contSMOOTH, 0), (V{0, -0.125, 3, 18, 1}));       // to smooth
    EXPECT_EQ(rebuilt(contNONE, 1, 0, contSMOOTH, 0), (V{-3 / 64., 0.625, 0, 18, 1})); // in, smooth
    EXPECT_EQ(rebuilt(contSMOOTH, 0, 0, contANGLE, 0), (V{0, 0.125, 1, 18, 3}));
    EXPECT_EQ(rebuilt(contSMOOTH, 0, 0, contSMOOTH, 0), (V{-0.03125, 0.375, 1, 18, 1}));
    EXPECT_EQ(rebuilt(contSMOOTH, 0, 0, contANGLE, 1), (V{0, 0, 2, 18, 2})); // start slope freed
    EXPECT_EQ(rebuilt(contSMOOTH, 0, 1, contANGLE, 0), (V{-3 / 64., 0.5, 1, 18, 0}));
}

// Each edit from one starting segment: the state after it, then "|" the value at its end and
// the slopes at both ends. Segments over [8, 16) start at 2; a line of slope 2 ends at 18. The
// left neighbour [0, 8) ends at 8 with slope 2.
TEST(ABCFormula, EditsKeepOrMoveTheirEndsWithTheSlopesOfTheirShapes) {
    typedef TABCFormula T;
    const T line = Segment(8, 2.0, 16, contNONE, 0, 0, 2);
    const T easedOut = Eased(Segment(8, 2.0, 16, contNONE, 0, -0.25, 4), false, true);
    const T easedBoth = Eased(Segment(8, 2.0, 16, contNONE, -0.0625, 0.75, 0), true, true);
    const T smooth = Segment(8, 2.0, 16, contSMOOTH, 0, 0.125, 1); // ends at 18
    const T flat = Segment(8, 5.0, 16, contFLAT);
    const T smoothStart = Segment(8, 2.0, 16, contSMOOTH, 0, 0, 0.5);
    const T left = Segment(0, 0.0, 8, contNONE, 0, 0.125, 0);
    const T angleNext = Segment(16, 10.0, 20, contANGLE, 0, 0, 0.5);
    const T smoothNext = Segment(16, 18.0, 20, contSMOOTH, 0, 0, 0.5);
    const T steepNext = Segment(16, 18.0, 20, contSMOOTH, 0, 0, 1);
    const T longNext = Segment(16, 18.0, 24, contANGLE, 0, 0, 0.5); // ends at 22
    const T decelNext = Eased(longNext, false, true);
    const T smoothAfterNext = Segment(24, 22.0, 30, contSMOOTH, 0, 0, 0.25);
    const std::tuple<T, std::function<void(T&)>, const char*> cases[] = {
        {easedOut, [](T& p) { p.TruncateRight(12); }, "[8,12) 2 NONE 0 -0.25 4 | 14 4 2"},
        {line, [&](T& p) { p.ComputeCurveTo(angleNext); }, "[8,16) 2 NONE 0 0 1 | 10 1 1"},
        {line, [&](T& p) { p.ComputeCurveTo(smoothNext); },
         "[8,16) 2 NONE 0 -0.1875 3.5 | 18 3.5 0.5"},
        // A SMOOTH start slope is kept by SetValueAtLeft, freed by ReachAtLeft.
        {smooth, [](T& p) { p.SetValueAtLeft(6.0, nullptr); },
         "[8,16) 6 SMOOTH 0 0.0625 1 | 18 1 2"},
        {smooth, [&](T& p) { p.SetValueAtLeft(6.0, &smoothNext); },
         "[8,16) 6 SMOOTH -0.0234375 0.25 1 | 18 1 0.5"},
        {smooth, [](T& p) { p.ReachAtLeft(6.0, nullptr); }, "[8,16) 6 SMOOTH 0 0 1.5 | 18 1.5 1.5"},
        {smooth, [&](T& p) { p.ReachAtLeft(6.0, &smoothNext); },
         "[8,16) 6 SMOOTH 0 -0.125 2.5 | 18 2.5 0.5"},
        {line, [](T& p) { p.ShiftLeftAndRecompute(4, nullptr); }, "[12,16) 2 NONE 0 0 4 | 18 4 4"},
        {easedOut, [](T& p) { p.ShiftLeftAndRecompute(4, nullptr); },
         "[12,16) 2 NONE+out 0 -1 8 | 18 8 0"},
        {line, [&](T& p) { p.ShiftRightAndRecompute(-4, &smoothNext); },
         "[8,12) 2 NONE 0 -0.875 7.5 | 18 7.5 0.5"},
        // Join takes the next end and its ease out; a FLAT segment only the end.
        {line, [&](T& p) { p.Join(decelNext, nullptr); },
         "[8,24) 2 NONE+out 0 -0.078125 2.5 | 22 2.5 0"},
        {line, [&](T& p) { p.Join(longNext, &smoothAfterNext); },
         "[8,24) 2 NONE 0 -0.0625 2.25 | 22 2.25 0.25"},
        {flat, [&](T& p) { p.Join(decelNext, nullptr); }, "[8,24) 5 FLAT 0 0 0 | 5 0 0"},
        // ComputeFirst keeps its own end before a NONE right.
        {smoothStart, [&](T& p) { p.ComputeFirst(left, angleNext); },
         "[8,16) 2 SMOOTH 0 -0.125 2 | 10 2 0"},
        {smoothStart, [&](T& p) { p.ComputeFirst(left, Segment(16, 99.0, 20, contNONE)); },
         "[8,16) 2 SMOOTH 0 -0.1875 2 | 6 2 -1"},
        {line, [&](T& p) { p.ComputeFirst(left, angleNext); }, "[8,16) 2 NONE 0 0 1 | 10 1 1"},
        // ComputeCurve starts where the left ends unless it is a NONE start.
        {Segment(8, 2.0, 16, contANGLE, 0, 0, 1), [&](T& p) { p.ComputeCurve(left, nullptr); },
         "[8,16) 8 ANGLE 0 0 0.25 | 10 0.25 0.25"},
        {Segment(8, 2.0, 16, contSMOOTH), [&](T& p) { p.ComputeCurve(left, &angleNext); },
         "[8,16) 8 SMOOTH 0 -0.21875 2 | 10 2 -1.5"},
        {Segment(8, 2.0, 16, contSMOOTH), [&](T& p) { p.ComputeCurve(left, &steepNext); },
         "[8,16) 8 SMOOTH 0.0078125 -0.15625 2 | 18 2 1"},
        {line, [&](T& p) { p.ComputeCurve(left, &angleNext); }, "[8,16) 2 NONE 0 0 1 | 10 1 1"},
        {easedBoth, [](T& p) { p.SetFlat(false, true); }, "[8,16) 2 FLAT 0 0 0 | 2 0 0"},
        {easedBoth, [](T& p) { p.SetFlat(true, false); }, "[8,16) 18 NONE 0 0 0 | 18 0 0"},
    };
    for (const auto& [start, edit, result] : cases) {
        TABCFormula segment = start;
        edit(segment);
        std::ostringstream shape;
        shape.precision(17);
        shape << State(segment) << " | " << Value(segment.ComputePointAt(double(segment.aEnd)))
              << ' ' << segment.slopeAt(segment.aBegin) << ' ' << segment.slopeAt(segment.aEnd);
        EXPECT_EQ(shape.str(), result);
    }
}

TEST(ABCFormula, BrokenInvariantsAreReportedAndTheWorkGoesOn) {
    TABCFormula segment = Eased(Segment(0, 0.0, 8, contSMOOTH, 0, 0, 1), true, false);
    EXPECT_ASSERTS(segment.RebuildCurve(), "!aAccel||((aCont!=contSMOOTH)&&(aCont!=contFLAT))");
    segment = Eased(Segment(0, 0.0, 8, contFLAT, 1, 1, 1), false, true);
    EXPECT_ASSERTS(segment.RebuildCurve(),
                   "!aDecel||((aCont!=contFLAT)&&((pNextFormula==__null)||((pNextFormula->aCont!="
                   "contSMOOTH)&&(pNextFormula->aCont!=contFLAT))))",
                   "!(aAccel|aDecel)");
    segment = Segment(0, 0.0, 8, contNONE);
    segment.aFlags = TABCFormula::flagRIGHT_MULT;
    EXPECT_ASSERTS(segment.rebuildFormula(8.0, nullptr, false),
                   "(aFlags& (flagLEFT_MULT|flagRIGHT_MULT)) == 0");
    EXPECT_ASSERTS(segment.TruncateLeft(2), "(aFlags&(flagLEFT_MULT|flagRIGHT_MULT))==0");
    segment = Segment(0, TVariant(), 8, contNONE);
    EXPECT_ASSERTS(segment.SetValueAtOrig(3.0), "!aValue.IsUndefined()");
    segment = Segment(0, TVariant(wxString("t")), 8, contNONE);
    EXPECT_ASSERTS(segment.ComputeFirstTo(Segment(8, 8.0, 16, contANGLE)), "aValue.IsNumeric()");
}

TEST(ABCFormula, TruncateLeftKeepsTheCurve) {
    TABCFormula segment = Eased(Segment(0, 3.0, 16, contSMOOTH, 0.25, -1.5, 2.0), true, false);
    const TABCFormula before = segment;
    segment.TruncateLeft(4);
    EXPECT_EQ(State(segment), "[4,16) 3 NONE 0.25 1.5 2");
    for (double t = 4.0; t <= 16.0; t += 0.5)
        EXPECT_EQ(segment.ComputeAt(t), before.ComputeAt(t)) << t;
    TABCFormula undefined = Segment(0, TVariant(), 16, contNONE, 0, 0, 1);
    undefined.TruncateLeft(6);
    EXPECT_EQ(State(undefined), "[6,16) undef NONE 0 0 1");
}

TEST(ABCFormula, ScaleTimeRoundsTiesToEvenKeepsTheRiseAndSaturates) {
    auto scaled = [](TABCFormula pSegment, double pFactor) {
        pSegment.ScaleTime(pFactor, nullptr);
        return State(pSegment);
    };
    EXPECT_EQ(scaled(Segment(1, 0.0, 3, contNONE), 0.5), "[0,2) 0 NONE 0 0 0");
    // A smooth start keeps its slope per old time unit; an empty result its coefficients.
    EXPECT_EQ(scaled(Segment(0, 0.0, 8, contSMOOTH, 0, 0.25, 2), 2.0),
              "[0,16) 0 SMOOTH 0 0.0625 1");
    EXPECT_EQ(scaled(Segment(1, 0.0, 3, contNONE, 0, 0, 1), 1e12),
              "[2147483647,2147483647) 0 NONE 0 0 1");
}

TEST(ABCFormula, ChangeLeftAndRightFollowTheirBranches) {
    const TABCFormula smoothNext = Segment(8, 0.0, 16, contSMOOTH);
    const TABCFormula flatSource = Segment(2, 7.0, 6, contFLAT);
    const TABCFormula source =
        Eased(Segment(0, 4.0, 16, contANGLE, 0, 0, 0.5), true, true); // to 12
    bool changed = false;
    // A FLAT segment takes the end only; the key there changes kind for a next that continues.
    TABCFormula segment = Segment(0, 2.0, 8, contFLAT);
    segment.ChangeRight(source, &smoothNext, false, &changed);
    EXPECT_EQ(State(segment) + (changed ? " changed" : ""), "[0,16) 2 FLAT 0 0 0 changed");
    segment = Segment(0, 2.0, 8, contNONE);
    segment.ChangeRight(source, nullptr, false, &changed);
    EXPECT_EQ(State(segment) + (changed ? " changed" : ""), "[0,16) 2 NONE+out 0 -0.0390625 1.25");
    segment = Segment(0, 2.0, 8, contNONE);
    segment.ChangeRight(flatSource, nullptr, true, nullptr);
    EXPECT_EQ(State(segment), "[0,6) 7 FLAT 0 0 0");
    // Towards an undefined end value the curve keeps its shape, not NaN coefficients.
    segment = Segment(0, 2.0, 8, contNONE, 0, 0, 1);
    segment.ChangeRight(Segment(8, TVariant(), 16, contFLAT), nullptr, false, nullptr);
    EXPECT_EQ(State(segment), "[0,16) 2 NONE 0 0 1");

    segment = Segment(0, 2.0, 8, contNONE, 0, 0, 1);
    segment.ChangeLeft(flatSource, &smoothNext, false, &changed);
    EXPECT_EQ(State(segment) + (changed ? " changed" : ""), "[0,8) 7 FLAT 0 0 0 changed");
    segment = Segment(4, 2.0, 8, contFLAT);
    segment.ChangeLeft(source, &smoothNext, true, &changed);
    EXPECT_EQ(State(segment) + (changed ? " changed" : ""), "[0,8) 2 FLAT 0 0 0");
    segment = Segment(0, 2.0, 16, contNONE, 0, 0, 1); // ends at 18, kept
    segment.ChangeLeft(source, nullptr, false, nullptr);
    EXPECT_EQ(State(segment), "[0,16) 4 ANGLE+in 0 0.0546875 0");
}

TEST(ABCFormula, CanJoinOnlyTouchingSmoothOrEqualFlatSegments) {
    auto joins = [](EContinuity pCont, double pValue, long pNextBegin, EContinuity pNextCont,
                    double pNextValue) {
        return Segment(0, pValue, 10, pCont)
            .CanJoin(Segment(pNextBegin, pNextValue, 20, pNextCont));
    };
    EXPECT_TRUE(joins(contFLAT, 1, 10, contSMOOTH, 5));
    EXPECT_FALSE(joins(contNONE, 1, 11, contSMOOTH, 5));
    EXPECT_TRUE(joins(contFLAT, 1, 10, contFLAT, 1));
    EXPECT_FALSE(joins(contFLAT, 1, 10, contFLAT, 2));
    EXPECT_FALSE(joins(contNONE, 1, 10, contFLAT, 1));
}

// The state after extrapolating, then the limits leftwards and rightwards. A bound or start
// value that is not a number imposes no limit (it used to give a NaN time taken as
// -2147483648: a zero-length segment going right).
TEST(ABCFormula, ExtrapolateRunsAtTheTypeSlopeUpToItsRange) {
    auto extrapolated = [](const TVariant& pValue, TTypeDef pType, bool pRight) {
        TABCFormula segment = Segment(0, pValue, 50, contNONE, 1, 1, 1);
        EXPECT_EQ(segment.Extrapolate(pType, 1000, pRight), pType.aSlope != 0.0);
        return State(segment) + " " + std::to_string(segment.ExtrapolLimit(pType, false)) + ".." +
               std::to_string(segment.ExtrapolLimit(pType, true));
    };
    const std::string open = " -2147483648..2147483647";
    const TVariant none;
    EXPECT_EQ(extrapolated(5.0, Ranged(0, 0, 10), true), "[0,50) 5 NONE 1 1 1 -5..5"); // no slope
    EXPECT_EQ(extrapolated(0.0, Ranged(1, 0, 10), true), "[0,10) 0 NONE 0 0 1 0..10");
    // Leftwards the line ends at the old start value and starts at the minimum.
    EXPECT_EQ(extrapolated(20.0, Ranged(1, 0, 100), false), "[30,50) 0 NONE 0 0 1 30..130");
    EXPECT_EQ(extrapolated(0.0, Ranged(3, -10, 10), true), "[0,4) 0 NONE 0 0 3 -4..4"); // 3.33
    EXPECT_EQ(extrapolated(0.0, Ranged(1, none, none), true), "[0,50) 0 NONE 0 0 1" + open);
    EXPECT_EQ(extrapolated(0.0, Ranged(1, none, none), false), "[0,50) -50 NONE 0 0 1" + open);
    EXPECT_EQ(extrapolated(none, Ranged(1, 10, 10), true), "[0,50) undef NONE 0 0 1" + open);
    TTypeDef unchecked = Ranged(1, 0, 10);
    unchecked.aRangeCheck = false;
    EXPECT_EQ(extrapolated(0.0, unchecked, true), "[0,50) 0 NONE 0 0 1" + open);
}

TEST(ABCFormula, NewSegmentBetweenNeighboursInItsFourCases) {
    const TTypeDef sloped = Ranged(2.0, -1000.0, 1000.0);
    const TABCFormula left = Segment(0, 0.0, 10, contNONE, 0, 0, 1.0); // 10 at its end
    const TABCFormula right = Segment(20, 45.0, 30, contNONE);
    const TRange range(10, 20);
    // The type's default, else a touching neighbour's value, at the type's slope per 500.
    EXPECT_EQ(State(TABCFormula(nullptr, nullptr, range, sloped, 500)), "[10,20) 0 NONE 0 0 4");
    EXPECT_EQ(State(TABCFormula(&left, nullptr, range, sloped, 500)), "[10,20) 10 NONE 0 0 4");
    EXPECT_EQ(State(TABCFormula(nullptr, &right, range, sloped, 500)), "[10,20) 5 NONE 0 0 4");
    EXPECT_EQ(State(TABCFormula(&left, &right, range, REAL_0_100_D0_PARAM_TYPE(), 500)),
              "[10,20) 10 NONE 0 0 3.5"); // without slope, a line joining both
    // Beside an undefined value: no line towards it (NaN), and FLAT after it, as its key
    // reads back.
    const TABCFormula undefined = Segment(0, TVariant(), 10, contFLAT);
    const TABCFormula undefinedRight = Segment(20, TVariant(), 30, contFLAT);
    EXPECT_EQ(State(TABCFormula(&left, &undefinedRight, range, REAL_0_100_D0_PARAM_TYPE(), 500)),
              "[10,20) 10 NONE 0 0 0");
    EXPECT_EQ(State(TABCFormula(&undefined, &right, range, sloped, 500)),
              "[10,20) undef FLAT 0 0 0");
    const TABCFormula text(nullptr, nullptr, range, TEXT_PARAM_TYPE(), 1000);
    EXPECT_EQ(text.aCont, contFLAT);
    EXPECT_EQ(text.aValue, TEXT_PARAM_TYPE().aDefault);
    EXPECT_ASSERTS(TABCFormula(&left, &right, TRange(5, 25), sloped, 1000),
                   "pLeft->aEnd <= pRange.aBegin", "pRight->aBegin >= pRange.aEnd");
}

TEST(ABCFormulaXml, KeysAreWrittenExactlyAndReadBack) {
    // The written key, after checking that it reads back into a segment written alike.
    auto written = [](const TABCFormula& pSegment) {
        const TTypeDef& type =
            pSegment.aValue.IsText() ? TEXT_PARAM_TYPE() : REAL_0_100_D0_PARAM_TYPE();
        auto image = [&type](const TABCFormula& p) {
            return XmlText(*std::unique_ptr<wxXmlNode>(p.GetXmlImage(type)));
        };
        TABCFormula read(99, 3.0, 99);
        EXPECT_TRUE(Read(read, image(pSegment), type)) << image(pSegment);
        EXPECT_EQ(image(read), image(pSegment));
        return image(pSegment);
    };
    EXPECT_EQ(written(Eased(Segment(-5, 100.0, 20, contSMOOTH, 0.5, 0.0, -1.0), false, true)),
              R"(<key time="-5" to="20" kind="35" a="F~" c="V~_">GAq</key>)");
    EXPECT_EQ(written(Eased(Segment(0, 0.0, 10, contNONE, 0.0, 2.0, 0.0), true, false)),
              R"(<key time="0" to="10" kind="17" b="G"/>)");
    EXPECT_EQ(written(Segment(0, TVariant(), 1, contFLAT)),
              R"(<key time="0" to="1" undef="" kind="0"/>)");
    EXPECT_EQ(written(Segment(0, TVariant(wxString("hi")), 10, contFLAT)),
              R"(<key time="0" to="10">hi</key>)");
    EXPECT_EQ(written(Segment(7, 2.0, 7, contNONE, 1, 1, 1)), R"(<key time="7"/>)");
    // "time" alone: an empty FLAT segment keeping the value held before.
    TABCFormula carried = Eased(Segment(0, 3.0, 10, contSMOOTH, 1, 1, 1), true, false);
    ASSERT_TRUE(Read(carried, R"(<key time="40"/>)", REAL_0_100_D0_PARAM_TYPE()));
    EXPECT_EQ(State(carried), "[40,40) 3 FLAT 0 0 0");
}

// Continuities above SMOOTH and bad number images used to be read as something else; now
// they fail the read and leave the segment as it was. An absent or empty image is 0.
TEST(ABCFormulaXml, DamagedKeysFailAndChangeNothing) {
    const TTypeDef& type = REAL_0_100_D0_PARAM_TYPE();
    for (const char* xml :
         {R"(time="0" to="9" kind="4">G)", R"(time="0" to="9" kind="-1">G)",
          R"(time="0" to="9" kind="1" a="bad!">G)", R"(time="0" to="9" kind="1" b=" G">G)",
          R"(time="0" to="9" kind="1" c="_">G)", R"(time="0" to="9">G)",
          R"(time="0" to="9" kind="1">!)", R"(to="9" kind="1">G)",
          R"(time="2147483648" to="9" kind="1">G)", R"(time="0" to="9x" kind="1">G)"}) {
        TABCFormula segment = Segment(1, 5.0, 2, contNONE, 1, 2, 3);
        EXPECT_FALSE(Read(segment, wxString("<key ") + xml + "</key>", type)) << xml;
        EXPECT_EQ(State(segment), "[1,2) 5 NONE 1 2 3") << xml;
    }
    TABCFormula segment = Segment(1, 5.0, 2, contNONE, 1, 2, 3);
    EXPECT_TRUE(Read(segment, R"(<key time="0" to="9" kind="49" a="">G</key>)", type));
    EXPECT_EQ(State(segment), "[0,9) 2 NONE+in+out 0 0 0");
    EXPECT_TRUE(Read(segment, R"(<key time="0" to="9" undef="" kind="99" a="!"/>)", type));
}
