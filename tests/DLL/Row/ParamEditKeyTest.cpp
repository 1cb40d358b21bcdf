#include "DLL/Row/ParamRow.h"

#include "DLL/Row/ZVFormula.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/ParamUndoDriver.h"
#include "support/SegmentCheck.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// [pBegin, pEnd) from pValue, rising pSlope a time unit plus pBend x².
TABCFormula Seg(long pBegin, long pEnd, EContinuity pCont, double pValue, double pSlope = 0.01,
                double pBend = 0) {
    TABCFormula segment(pBegin, TVariant(pValue), pEnd);
    segment.aCont = pCont;
    segment.c = pCont == contFLAT ? 0 : pSlope;
    segment.b = pBend;
    return segment;
}

TABCFormula Eased(TABCFormula pSegment, bool pAccel, bool pDecel) {
    pSegment.aAccel = pAccel;
    pSegment.aDecel = pDecel;
    return pSegment;
}

// The rows the tables start from: 0>1, 2>3 and 5>6 over [0, 100), [100, 200), [200, 300).
const TABCFormula A = Seg(0, 100, contNONE, 0);
const TABCFormula AF = Seg(0, 100, contFLAT, 0);
TABCFormula B(EContinuity pCont) {
    return Seg(100, 200, pCont, 2);
}
TABCFormula C(EContinuity pCont) {
    return Seg(200, 300, pCont, 5);
}
// 0.0001·x² over [0, 100): 0.16 at 40, 1 at 100.
const TABCFormula Q = Seg(0, 100, contNONE, 0, 0, 0.0001);
// A segment without a value, as a stored "undef" key reads.
TABCFormula Undefined(long pBegin, long pEnd) {
    return TABCFormula(pBegin, TVariant(), pEnd);
}

// An enabled row p0 of the given segments in a stream with the sequence [0, 300).
class TEditRow {
public:
    explicit TEditRow(const std::vector<TABCFormula>& pSegments)
        : aUndo(aRecorder.aCalls), aScope(aRecorder) {
        TZVFormula::SetFrameRate(25);
        aStream.aSequenceList.push_back(TRange(0, 300));
        aRow = aStream.AddParam(true);
        aRecorder.aNames[aRow] = "p0";
        for (const TABCFormula& segment : pSegments)
            aRow->insertFormula(segment, nullptr, false);
    }

    wxString Xml() const {
        const std::unique_ptr<wxXmlNode> image(aRow->GetXmlImage());
        return XmlText(*image);
    }
    std::string EditRange() const {
        const TRange& range = aRow->aEditRange;
        return range.IsEmpty() ? ""
                               : std::to_string(range.aBegin) + "-" + std::to_string(range.aEnd);
    }
    // Sound segments counted right, then undone and redone to the XML before and after.
    void ExpectSoundUndoRedo(const wxString& pBefore, const std::string& pName) {
        const wxString after = Xml();
        EXPECT_EQ(SegmentFault(*aRow), "") << pName;
        EXPECT_EQ(KeyText(aStream.aKeyList), RecountKeys(*aRow)) << pName;
        UndoParamEdit(*aRow);
        EXPECT_EQ(Xml(), pBefore) << pName;
        EXPECT_EQ(KeyText(aStream.aKeyList), RecountKeys(*aRow)) << pName;
        UndoParamEdit(*aRow);
        EXPECT_EQ(Xml(), after) << pName;
        EXPECT_EQ(KeyText(aStream.aKeyList), RecountKeys(*aRow)) << pName;
    }

    TFakeProject aProject;
    TListenerRecorder aRecorder;
    TFakeStreamRow aStream;
    TLoggingUndo aUndo;
    TListenerScope aScope;
    TFakeParamRow* aRow;
};

struct TKeyCase {
    const char* aName;
    std::vector<TABCFormula> aSegments;
    long aTime;
    bool aLeftSide;
    bool aEase;
    EContinuity aCont;
    // The segments after the edit and the reported edit range.
    std::string aShape;
    std::string aRange;
};

void RunKeyCases(const std::vector<TKeyCase>& pCases) {
    for (const TKeyCase& c : pCases) {
        TEditRow fixture(c.aSegments);
        const wxString before = fixture.Xml();
        {
            TAssertCapture easing;
            fixture.aRow->EditKey(c.aTime, c.aLeftSide, c.aEase, c.aCont, fixture.aUndo);
            EXPECT_EQ(easing.Conditions(), std::vector<wxString>()) << c.aName;
        }
        EXPECT_EQ(ShapeText(*fixture.aRow), c.aShape) << c.aName;
        EXPECT_EQ(fixture.EditRange(), c.aRange) << c.aName;
        // Reported even when nothing changed.
        const TRange& range = fixture.aRow->aEditRange;
        const std::string head = "ParamKeyEdit(p0," +
                                 std::to_string(range.aBegin * 1000 + range.aEnd) +
                                 ") AddParamRow ";
        EXPECT_EQ(fixture.aRecorder.aCalls.substr(0, head.size()), head) << c.aName;
        if (c.aSegments.empty())
            continue;
        fixture.ExpectSoundUndoRedo(before, c.aName);
    }
}

TEST(ParamEditKey, ChangingAKeyOnTheRightSide) {
    // A case to its own lines.
    // clang-format off
    RunKeyCases({
        {"right is null", {A, B(contNONE), C(contNONE)}, 300, false, false, contNONE,
         "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6", ""},
        {"FLAT onto FLAT", {A, B(contFLAT), C(contNONE)}, 100, false, false, contFLAT,
         "0-100 N 0>1|100-200 F 2>2|200-300 N 5>6", ""},
        {"FLAT, the next key continues", {A, B(contNONE), C(contANGLE)}, 100, false, false,
         contFLAT, "0-100 N 0>1|100-200 F 2>2|200-300 N 5>6", "100-300"},
        {"first key, FLAT", {AF, B(contNONE), C(contNONE)}, 0, false, true, contANGLE,
         "0-100 N 0>0 a|100-200 N 2>3|200-300 N 5>6", "0-100"},
        {"first key, eased", {A, B(contNONE), C(contNONE)}, 0, false, true, contANGLE,
         "0-100 N 0>1 a|100-200 N 2>3|200-300 N 5>6", "0-100"},
        {"first key, easing as it was", {A, B(contNONE), C(contNONE)}, 0, false, false, contSMOOTH,
         "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6", ""},
        {"same continuity, eased", {A, B(contANGLE), C(contNONE)}, 100, false, true, contANGLE,
         "0-100 N 0>1|100-200 A 1>3 a|200-300 N 5>6", "100-200"},
        {"NONE to ANGLE", {A, B(contNONE), C(contNONE)}, 100, false, false, contANGLE,
         "0-100 N 0>1|100-200 A 1>3|200-300 N 5>6", "100-200"},
        {"ANGLE to NONE keeps the curve", {A, B(contANGLE), C(contNONE)}, 100, false, false,
         contNONE, "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6", "100-200"},
        {"after FLAT, onto FLAT", {AF, B(contFLAT), C(contNONE)}, 100, false, false, contANGLE,
         "0-100 F 0>0|100-200 N 0>2|200-300 N 5>6", "100-200"},
        {"after FLAT, SMOOTH", {AF, B(contNONE), C(contNONE)}, 100, false, false, contSMOOTH,
         "0-100 F 0>0|100-200 N 0>3 a|200-300 N 5>6", "100-200"},
        {"after FLAT, NONE eased", {AF, B(contNONE), C(contNONE)}, 100, false, true, contNONE,
         "0-100 F 0>0|100-200 N 2>3 a|200-300 N 5>6", "100-200"},
        {"first key without a value stays FLAT", {Undefined(0, 100), B(contNONE)}, 0, false, true,
         contANGLE, "0-100 F undef|100-200 N 2>3", "0-100"},
    });
    // clang-format on
}

TEST(ParamEditKey, ChangingAKeyOnTheLeftSide) {
    // A case to its own lines.
    // clang-format off
    RunKeyCases({
        {"left is null", {A, B(contNONE), C(contNONE)}, 0, true, true, contNONE,
         "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6", ""},
        {"FLAT onto FLAT", {AF, B(contNONE), C(contNONE)}, 100, true, false, contFLAT,
         "0-100 F 0>0|100-200 N 2>3|200-300 N 5>6", ""},
        {"FLAT, the right side continues", {A, B(contANGLE), C(contNONE)}, 100, true, false,
         contFLAT, "0-100 F 1>1|100-200 N 2>3|200-300 N 5>6", "0-200"},
        {"last key, FLAT", {A, B(contNONE), Seg(200, 300, contFLAT, 5)}, 300, true, true, contNONE,
         "0-100 N 0>1|100-200 N 2>3|200-300 N 5>5 d", "200-300"},
        {"last key, eased", {A, B(contNONE), C(contNONE)}, 300, true, true, contNONE,
         "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6 d", "200-300"},
        {"last key, easing as it was", {A, B(contNONE), C(contNONE)}, 300, true, false, contANGLE,
         "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6", ""},
        {"FLAT on both sides", {AF, B(contFLAT), C(contNONE)}, 100, true, false, contANGLE,
         "0-100 N 0>2|100-200 F 2>2|200-300 N 5>6", "0-100"},
        {"before FLAT, SMOOTH", {A, B(contFLAT), C(contNONE)}, 100, true, false, contSMOOTH,
         "0-100 N 0>2 d|100-200 F 2>2|200-300 N 5>6", "0-100"},
        {"before FLAT, NONE eased", {A, B(contFLAT), C(contNONE)}, 100, true, true, contNONE,
         "0-100 N 0>1 d|100-200 F 2>2|200-300 N 5>6", "0-100"},
        {"before FLAT, NONE as it was", {A, B(contFLAT), C(contNONE)}, 100, true, false, contNONE,
         "0-100 N 0>1|100-200 F 2>2|200-300 N 5>6", ""},
        {"NONE to ANGLE", {A, B(contNONE), C(contNONE)}, 100, true, false, contANGLE,
         "0-100 N 0>2|100-200 A 2>3|200-300 N 5>6", "0-200"},
        {"ANGLE to NONE, easing as it was", {A, B(contANGLE), C(contNONE)}, 100, true, false,
         contNONE, "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6", "100-200"},
        {"to SMOOTH, the ease in dropped", {A, Eased(B(contNONE), true, false), C(contNONE)}, 100,
         true, false, contSMOOTH, "0-100 N 0>2|100-200 S 2>3|200-300 N 5>6", "0-200"},
        {"after FLAT, eased", {AF, B(contNONE), C(contNONE)}, 100, true, true, contNONE,
         "0-100 N 0>0 d|100-200 N 2>3|200-300 N 5>6", "0-100"},
    });
    // clang-format on
}

TEST(ParamEditKey, AddingAKeyInAGap) {
    // A case to its own lines.
    // clang-format off
    RunKeyCases({
        {"FLAT between two", {A, C(contNONE)}, 150, false, false, contFLAT,
         "0-100 N 0>1|100-150 F 1>1|150-200 F 5>5|200-300 N 5>6", "100-200"},
        {"NONE between two, eased", {A, C(contNONE)}, 150, true, true, contNONE,
         "0-100 N 0>1|100-150 N 1>1 a d|150-200 N 5>5 a d|200-300 N 5>6", "100-200"},
        {"ANGLE between two", {A, C(contNONE)}, 150, false, false, contANGLE,
         "0-100 N 0>1|100-150 A 1>1|150-200 N 5>5|200-300 A 5>6", "100-300"},
        {"SMOOTH between two", {A, C(contNONE)}, 150, false, false, contSMOOTH,
         "0-100 N 0>1|100-150 S 1>1|150-200 N 5>5|200-300 S 5>6", "100-300"},
        {"ANGLE between two, left side", {A, C(contNONE)}, 150, true, false, contANGLE,
         "0-100 N 0>1|100-150 A 1>5|150-200 N 5>5|200-300 A 5>6", "100-300"},
        {"SMOOTH between two, left side", {A, C(contNONE)}, 150, true, false, contSMOOTH,
         "0-100 N 0>1|100-150 S 1>5|150-200 N 5>5|200-300 S 5>6", "100-300"},
        {"after FLAT", {AF, C(contNONE)}, 150, false, false, contANGLE,
         "0-100 F 0>0|100-150 N 0>0|150-200 N 5>5|200-300 A 5>6", "100-300"},
        {"before the first segment", {C(contNONE)}, 150, true, false, contANGLE,
         "150-200 N 5>5|200-300 A 5>6", "150-300"},
        {"after the last segment", {A}, 150, false, false, contSMOOTH,
         "0-100 N 0>1|100-150 S 1>1", "100-150"},
        {"an undefined next start, left side", {A, Undefined(200, 300)}, 150, true, false, contANGLE,
         "0-100 N 0>1|100-150 A 1>1|150-200 N 1>1|200-300 F undef", "100-200"},
        {"no segment", {}, 150, false, false, contANGLE, "", ""},
    });
    // clang-format on
}

TEST(ParamEditKey, SplittingASegment) {
    // A case to its own lines.
    // clang-format off
    RunKeyCases({
        {"SMOOTH", {Q}, 40, false, false, contSMOOTH, "0-40 N 0>0.16|40-100 S 0.16>1", "0-100"},
        {"ANGLE", {Q}, 40, false, false, contANGLE, "0-40 N 0>0.16|40-100 A 0.16>1", "0-100"},
        {"NONE, eased", {Q}, 40, true, true, contNONE, "0-40 N 0>0.16 d|40-100 N 0.16>1 a",
         "0-100"},
        {"FLAT, right side", {Q}, 40, false, false, contFLAT, "0-40 N 0>0.16|40-100 F 0.16>0.16",
         "0-100"},
        {"FLAT, left side", {Q}, 40, true, false, contFLAT, "0-40 F 0.16>0.16|40-100 N 0.16>1",
         "0-100"},
        {"FLAT, the next key continues", {Q, Seg(100, 200, contANGLE, 1)}, 40, false, false,
         contFLAT, "0-40 N 0>0.16|40-100 F 0.16>0.16|100-200 N 1>2", "0-200"},
        {"ANGLE, reaching the next key", {Q, Seg(100, 200, contNONE, 3)}, 40, false, false,
         contANGLE, "0-40 N 0>0.16|40-100 A 0.16>3|100-200 N 3>4", "0-100"},
        {"inside FLAT", {Seg(0, 100, contFLAT, 2)}, 40, false, false, contANGLE,
         "0-40 F 2>2|40-100 N 2>2", "0-100"},
    });
    // clang-format on
}

TEST(ParamEditKey, SplitKeepsTheCurveAndCountsTheKeyTwice) {
    TEditRow fixture({Q});
    std::vector<double> values;
    for (double time : {0.0, 20.5, 39.9, 40.0, 70.25, 99.9})
        values.push_back(fixture.aRow->GetValueAt(time).GetDouble());
    fixture.aRow->EditKey(40, false, false, contSMOOTH, fixture.aUndo);
    EXPECT_EQ(KeyText(fixture.aStream.aKeyList), "0:1 40:2 100:1 ");
    const TABCFormula& mark = fixture.aRow->aUndoList.front();
    EXPECT_TRUE(mark.aBegin == 40 && mark.aEnd == 40 && mark.aValue.IsUndefined());
    size_t i = 0;
    for (double time : {0.0, 20.5, 39.9, 40.0, 70.25, 99.9})
        EXPECT_NEAR(fixture.aRow->GetValueAt(time).GetDouble(), values[i++], 1e-12) << time;
    EXPECT_EQ(fixture.aRecorder.aCalls, "ParamKeyEdit(p0,100) AddParamRow ");
}

TEST(ParamEditKey, ExpressionRowTakesTheDefaultKeysAndItsImageIsTheExpression) {
    TEditRow fixture({});
    TZVParamRow& row = *fixture.aRow;
    const std::unique_ptr<wxXmlNode> value(ParseXml(L"<value>time</value>"));
    TZVFormula* formula = new TZVFormula(&row);
    ASSERT_TRUE(formula->ValueFromXml(value.get(), row.aTypeDef));
    row.SetFormula(formula);
    TakeUndoImage(row);
    const wxString before = fixture.Xml();
    row.EditKey(120, false, false, contANGLE, fixture.aUndo);
    EXPECT_EQ(row.aFormula, nullptr);
    EXPECT_EQ(ShapeText(row), "0-120 N 0>0|120-300 A 0>0");
    EXPECT_EQ(KeyText(fixture.aStream.aKeyList), "0:1 120:2 300:1 ");
    const wxString after = fixture.Xml();
    const std::unique_ptr<wxXmlNode> image = TakeUndoImage(row);
    EXPECT_EQ(XmlText(*image), L"<param>time</param>");
    ApplyUndoImage(row, *image);
    EXPECT_EQ(fixture.Xml(), before);
    EXPECT_EQ(KeyText(fixture.aStream.aKeyList), "");
    UndoParamEdit(row);
    EXPECT_EQ(fixture.Xml(), after);
}

// Every edit reports the span it changed, not what the edit before it left (this one splits
// inside the key the previous edit deleted).
TEST(ParamEditKey, EditRangeIsTheEditsOwn) {
    TEditRow fixture({A, B(contNONE), C(contNONE)});
    fixture.aRow->DeleteKey(100, fixture.aUndo);
    TakeUndoImage(*fixture.aRow);
    fixture.aRecorder.aCalls.clear();
    fixture.aRow->EditKey(300, false, false, contNONE, fixture.aUndo);
    fixture.aRow->EditKey(250, true, false, contANGLE, fixture.aUndo);
    EXPECT_EQ(fixture.aRecorder.aCalls, "ParamKeyEdit(p0,200200) AddParamRow "
                                        "ParamKeyEdit(p0,200300) AddParamRow ");
}

TEST(ParamEditKey, KeyValueChangesTheChosenSideOrBothOfAContinuedKey) {
    const struct {
        const char* aName;
        std::vector<TABCFormula> aSegments;
        long aTime;
        bool aLeftSide;
        std::string aShape;
        std::string aLog;
    } cases[] = {
        // A case to its own lines.
        // clang-format off
        {"NONE, right side", {A, B(contNONE)}, 100, false, "0-100 N 0>1|100-200 N 4>3",
         "ParamKeyEdit(p0,100200) AddParamRow "},
        {"NONE, left side", {A, B(contNONE)}, 100, true, "0-100 N 0>4|100-200 N 2>3",
         "ParamKeyEdit(p0,100) AddParamRow "},
        {"ANGLE, left side", {A, B(contANGLE)}, 100, true, "0-100 N 0>4|100-200 A 4>3",
         "ParamKeyEdit(p0,200) AddParamRow "},
        {"SMOOTH, right side", {A, B(contSMOOTH)}, 100, false, "0-100 N 0>4|100-200 S 4>3",
         "ParamKeyEdit(p0,200) AddParamRow "},
        {"FLAT, right side", {A, B(contFLAT)}, 100, false, "0-100 N 0>1|100-200 F 4>4",
         "ParamKeyEdit(p0,100200) AddParamRow "},
        {"after FLAT, left side", {AF, B(contNONE)}, 100, true, "0-100 F 4>4|100-200 N 2>3",
         "ParamKeyEdit(p0,100) AddParamRow "},
        {"a segment without a value", {A, Undefined(100, 200)}, 100, false,
         "0-100 N 0>1|100-200 F 4>4", "ParamKeyEdit(p0,100200) AddParamRow "},
        {"no left side", {A, B(contNONE)}, 0, true, "0-100 N 0>1|100-200 N 2>3", ""},
        {"no right side", {A, B(contNONE)}, 200, false, "0-100 N 0>1|100-200 N 2>3", ""},
        {"not a key", {A, B(contNONE)}, 50, false, "0-100 N 0>1|100-200 N 2>3", ""},
        {"no segment", {}, 50, false, "", ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        TEditRow fixture(c.aSegments);
        const wxString before = fixture.Xml();
        fixture.aRow->EditKeyValue(c.aTime, c.aLeftSide, TVariant(4.0), &fixture.aUndo);
        EXPECT_EQ(ShapeText(*fixture.aRow), c.aShape) << c.aName;
        EXPECT_EQ(fixture.aRecorder.aCalls, c.aLog) << c.aName;
        if (!c.aLog.empty())
            fixture.ExpectSoundUndoRedo(before, c.aName);
    }
}

TEST(ParamEditKey, KeyValueWithoutUndoCompilerDropsTheRecord) {
    TEditRow fixture({A, B(contANGLE)});
    fixture.aRow->EditKeyValue(100, false, TVariant(4.0), nullptr);
    EXPECT_TRUE(fixture.aRow->aUndoList.empty());
    EXPECT_EQ(ShapeText(*fixture.aRow), "0-100 N 0>4|100-200 A 4>3");
    EXPECT_EQ(fixture.aRecorder.aCalls, "ParamKeyEdit(p0,200) ");
}

// NaN, a text or an undefined value would give NaN coefficients; a number on a text row would
// be read back as a text by the undo image.
TEST(ParamEditKey, KeyValueTheTypeCannotHoldIsRefused) {
    TEditRow fixture({A, B(contSMOOTH)});
    const wxString before = fixture.Xml();
    for (const TVariant& value :
         {TVariant(std::nan("")), TVariant(wxString(L"4")), TVariant(), TVariant(HUGE_VAL)})
        EXPECT_ASSERTS(fixture.aRow->EditKeyValue(100, false, value, &fixture.aUndo),
                       L"IsKeyValue(pValue)");
    EXPECT_EQ(fixture.Xml(), before);
    EXPECT_EQ(fixture.aRecorder.aCalls, "");

    TFakeStreamRow stream;
    TFakeParamRow* text = stream.AddParam(true);
    text->aTypeDef = TTypeDef(paramTypeTEXT);
    text->insertFormula(TABCFormula(0, TVariant(wxString(L"a")), 100), nullptr, false);
    text->insertFormula(TABCFormula(100, TVariant(wxString(L"b")), 200), nullptr, false);
    EXPECT_ASSERTS(text->EditKeyValue(100, false, TVariant(1.0), nullptr), L"IsKeyValue(pValue)");
    text->EditKeyValue(100, true, TVariant(wxString(L"c")), nullptr);
    EXPECT_EQ(text->GetValueAt(50), TVariant(wxString(L"c")));
    EXPECT_EQ(text->GetValueAt(150), TVariant(wxString(L"b")));
}

} // namespace
