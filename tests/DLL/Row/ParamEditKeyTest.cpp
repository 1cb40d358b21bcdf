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
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Segments at [0, 100), [100, 200), [200, 300), one letter each: the continuity (F, N, A, S)
// of a line from 0, 2 or 5 rising 0.01 a time unit; "e" NONE eased in, "u" without a value,
// "Q" 0.0001·x² (0.16 at 40, 1 at 100), "-" none.
std::vector<TABCFormula> Segments(const std::string& pCode) {
    std::vector<TABCFormula> segments;
    const double starts[] = {0, 2, 5};
    for (size_t i = 0; i < pCode.size(); ++i) {
        const long begin = long(i) * 100;
        TABCFormula segment(begin, TVariant(starts[i]), begin + 100);
        const size_t cont = std::string("FNAS").find(pCode[i]);
        segment.aCont = cont == std::string::npos ? contNONE : EContinuity(cont);
        segment.c = segment.aCont == contFLAT || pCode[i] == 'Q' ? 0 : 0.01;
        segment.b = pCode[i] == 'Q' ? 0.0001 : 0;
        segment.aAccel = pCode[i] == 'e';
        if (pCode[i] == 'u')
            segment = TABCFormula(begin, TVariant(), begin + 100);
        if (pCode[i] != '-')
            segments.push_back(segment);
    }
    return segments;
}

// An enabled row p0 of the given segments in a stream with the sequence [0, 300).
class TEditRow {
public:
    explicit TEditRow(const std::string& pSegments) : aUndo(aRecorder.aCalls), aScope(aRecorder) {
        TZVFormula::SetFrameRate(25);
        aStream.aSequenceList.push_back(TRange(0, 300));
        aRow = aStream.AddParam(true);
        aRecorder.aNames[aRow] = "p0";
        for (const TABCFormula& segment : Segments(pSegments))
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
        for (const wxString* xml : {&pBefore, &after}) {
            EXPECT_EQ(KeyText(aStream.aKeyList), RecountKeys(*aRow)) << pName;
            UndoParamEdit(*aRow);
            EXPECT_EQ(Xml(), *xml) << pName;
        }
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
    // Segments, the edit ("time", "R" or "L" for the side, then the continuity's letter and
    // "+" for easing, or "=" for the value 4), then the segments and edit range after it.
    const char* aSegments;
    const char* aEdit;
    std::string aShape;
    std::string aRange;
};

void RunKeyCases(const std::vector<TKeyCase>& pCases) {
    for (const TKeyCase& c : pCases) {
        const std::string name = std::string(c.aSegments) + " " + c.aEdit;
        TEditRow fixture(c.aSegments);
        const wxString before = fixture.Xml();
        long time = 0;
        char side = 0, kind = 0, ease = 0;
        std::sscanf(c.aEdit, "%ld%c%c%c", &time, &side, &kind, &ease);
        if (kind == '=') {
            fixture.aRow->EditKeyValue(time, side == 'L', TVariant(4.0), &fixture.aUndo);
        } else {
            TAssertCapture easing;
            fixture.aRow->EditKey(time, side == 'L', ease == '+',
                                  EContinuity(std::string("FNAS").find(kind)), fixture.aUndo);
            EXPECT_EQ(easing.Conditions(), std::vector<wxString>()) << name;
        }
        EXPECT_EQ(ShapeText(*fixture.aRow), c.aShape) << name;
        EXPECT_EQ(fixture.EditRange(), c.aRange) << name;
        // A key edit reports even when nothing changed; a key value only at a key.
        const std::string& calls = fixture.aRecorder.aCalls;
        if (kind == '=' && c.aRange.empty()) {
            EXPECT_EQ(calls, "") << name;
            continue;
        }
        const TRange& range = fixture.aRow->aEditRange;
        const std::string head =
            "ParamKeyEdit(p0," + std::to_string(range.aBegin * 1000 + range.aEnd) + ") ";
        EXPECT_EQ(calls.substr(0, head.size() + 12), head + "AddParamRow ") << name;
        if (*c.aSegments)
            fixture.ExpectSoundUndoRedo(before, name);
    }
}

const char* const theLines = "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6";

TEST(ParamEditKey, ChangingAKeyOnTheRightSide) {
    // A case to a line.
    // clang-format off
    RunKeyCases({
        {"NNN", "300RN", theLines, ""},
        {"NFN", "100RF", "0-100 N 0>1|100-200 F 2>2|200-300 N 5>6", ""},
        {"NNA", "100RF", "0-100 N 0>1|100-200 F 2>2|200-300 N 5>6", "100-300"},
        {"FNN", "0RA+", "0-100 N 0>0 a|100-200 N 2>3|200-300 N 5>6", "0-100"},
        {"NNN", "0RA+", "0-100 N 0>1 a|100-200 N 2>3|200-300 N 5>6", "0-100"},
        {"NNN", "0RS", theLines, ""},
        {"NAN", "100RA+", "0-100 N 0>1|100-200 A 1>3 a|200-300 N 5>6", "100-200"},
        {"NNN", "100RA", "0-100 N 0>1|100-200 A 1>3|200-300 N 5>6", "100-200"},
        {"NAN", "100RN", theLines, "100-200"},
        {"FFN", "100RA", "0-100 F 0>0|100-200 N 0>2|200-300 N 5>6", "100-200"},
        {"FNN", "100RS", "0-100 F 0>0|100-200 N 0>3 a|200-300 N 5>6", "100-200"},
        {"FNN", "100RN+", "0-100 F 0>0|100-200 N 2>3 a|200-300 N 5>6", "100-200"},
        {"uN", "0RA+", "0-100 F undef|100-200 N 2>3", "0-100"},
    });
    // clang-format on
}

TEST(ParamEditKey, ChangingAKeyOnTheLeftSide) {
    // A case to a line.
    // clang-format off
    RunKeyCases({
        {"NNN", "0LN+", theLines, ""},
        {"FNN", "100LF", "0-100 F 0>0|100-200 N 2>3|200-300 N 5>6", ""},
        {"NAN", "100LF", "0-100 F 1>1|100-200 N 2>3|200-300 N 5>6", "0-200"},
        {"NNF", "300LN+", "0-100 N 0>1|100-200 N 2>3|200-300 N 5>5 d", "200-300"},
        {"NNN", "300LN+", "0-100 N 0>1|100-200 N 2>3|200-300 N 5>6 d", "200-300"},
        {"NNN", "300LA", theLines, ""},
        {"FFN", "100LA", "0-100 N 0>2|100-200 F 2>2|200-300 N 5>6", "0-100"},
        {"NFN", "100LS", "0-100 N 0>2 d|100-200 F 2>2|200-300 N 5>6", "0-100"},
        {"NFN", "100LN+", "0-100 N 0>1 d|100-200 F 2>2|200-300 N 5>6", "0-100"},
        {"NFN", "100LN", "0-100 N 0>1|100-200 F 2>2|200-300 N 5>6", ""},
        {"NNN", "100LA", "0-100 N 0>2|100-200 A 2>3|200-300 N 5>6", "0-200"},
        {"NAN", "100LN", theLines, "100-200"},
        {"NeN", "100LS", "0-100 N 0>2|100-200 S 2>3|200-300 N 5>6", "0-200"},
        {"FNN", "100LN+", "0-100 N 0>0 d|100-200 N 2>3|200-300 N 5>6", "0-100"},
    });
    // clang-format on
}

TEST(ParamEditKey, AddingAKeyInAGap) {
    // A case to a line.
    // clang-format off
    RunKeyCases({
        {"N-N", "150RF", "0-100 N 0>1|100-150 F 1>1|150-200 F 5>5|200-300 N 5>6", "100-200"},
        {"N-N", "150LN+", "0-100 N 0>1|100-150 N 1>1 a d|150-200 N 5>5 a d|200-300 N 5>6", "100-200"},
        {"N-N", "150RA", "0-100 N 0>1|100-150 A 1>1|150-200 N 5>5|200-300 A 5>6", "100-300"},
        {"N-N", "150RS", "0-100 N 0>1|100-150 S 1>1|150-200 N 5>5|200-300 S 5>6", "100-300"},
        {"N-N", "150LA", "0-100 N 0>1|100-150 A 1>5|150-200 N 5>5|200-300 A 5>6", "100-300"},
        {"N-N", "150LS", "0-100 N 0>1|100-150 S 1>5|150-200 N 5>5|200-300 S 5>6", "100-300"},
        {"F-N", "150RA", "0-100 F 0>0|100-150 N 0>0|150-200 N 5>5|200-300 A 5>6", "100-300"},
        {"--N", "150LA", "150-200 N 5>5|200-300 A 5>6", "150-300"},
        {"N", "150RS", "0-100 N 0>1|100-150 S 1>1", "100-150"},
        {"N-u", "150LA", "0-100 N 0>1|100-150 A 1>1|150-200 N 1>1|200-300 F undef", "100-200"},
        {"N-u", "150RA", "0-100 N 0>1|100-150 A 1>1|150-200 F undef|200-300 F undef", "100-200"},
        {"N-u", "150RS+", "0-100 N 0>1|100-150 S 1>1 a d|150-200 F undef|200-300 F undef",
         "100-200"},
        {"", "150RA", "", ""},
        {"N", "2147483648RA", "0-100 N 0>1", ""},
    });
    // clang-format on
}

TEST(ParamEditKey, SplittingASegment) {
    // A case to a line.
    // clang-format off
    RunKeyCases({
        {"Q", "40RS", "0-40 N 0>0.16|40-100 S 0.16>1", "0-100"},
        {"Q", "40RA", "0-40 N 0>0.16|40-100 A 0.16>1", "0-100"},
        {"Q", "40LN+", "0-40 N 0>0.16 d|40-100 N 0.16>1 a", "0-100"},
        {"Q", "40RF", "0-40 N 0>0.16|40-100 F 0.16>0.16", "0-100"},
        {"Q", "40LF", "0-40 F 0.16>0.16|40-100 N 0.16>1", "0-100"},
        {"QA", "40RF", "0-40 N 0>0.16|40-100 F 0.16>0.16|100-200 N 2>3", "0-200"},
        {"QN", "40RA", "0-40 N 0>0.16|40-100 A 0.16>2|100-200 N 2>3", "0-100"},
        {"F", "40RA", "0-40 F 0>0|40-100 N 0>0", "0-100"},
    });
    // clang-format on
}

TEST(ParamEditKey, KeyValueChangesTheChosenSideOrBothOfAContinuedKey) {
    // A case to a line.
    // clang-format off
    RunKeyCases({
        {"NN", "100R=", "0-100 N 0>1|100-200 N 4>3", "100-200"},
        {"NN", "100L=", "0-100 N 0>4|100-200 N 2>3", "0-100"},
        {"NA", "100L=", "0-100 N 0>4|100-200 A 4>3", "0-200"},
        {"NS", "100R=", "0-100 N 0>4|100-200 S 4>3", "0-200"},
        {"NF", "100R=", "0-100 N 0>1|100-200 F 4>4", "100-200"},
        {"FN", "100L=", "0-100 F 4>4|100-200 N 2>3", "0-100"},
        {"Nu", "100R=", "0-100 N 0>1|100-200 F 4>4", "100-200"},
        {"NN", "0L=", "0-100 N 0>1|100-200 N 2>3", ""},
        {"NN", "200R=", "0-100 N 0>1|100-200 N 2>3", ""},
        {"NN", "50R=", "0-100 N 0>1|100-200 N 2>3", ""},
        {"", "50R=", "", ""},
    });
    // clang-format on
}

TEST(ParamEditKey, SplitKeepsTheCurveAndCountsTheKeyTwice) {
    TEditRow fixture("Q");
    fixture.aRow->EditKey(40, false, false, contSMOOTH, fixture.aUndo);
    EXPECT_EQ(KeyText(fixture.aStream.aKeyList), "0:1 40:2 100:1 ");
    const TABCFormula& mark = fixture.aRow->aUndoList.front();
    EXPECT_TRUE(mark.aBegin == 40 && mark.aEnd == 40 && mark.aValue.IsUndefined());
    for (double time : {0.0, 20.5, 39.9, 40.0, 70.25, 99.9})
        EXPECT_NEAR(fixture.aRow->GetValueAt(time).GetDouble(), 0.0001 * time * time, 1e-12);
}

TEST(ParamEditKey, ExpressionRowTakesTheDefaultKeysAndItsImageIsTheExpression) {
    TEditRow fixture("");
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

// NaN, a text or an undefined value would give NaN coefficients; a number on a text row would
// be read back as a text by the undo image.
TEST(ParamEditKey, KeyValueTheTypeCannotHoldIsRefusedAndWithoutUndoTheRecordIsDropped) {
    TEditRow fixture("NS");
    const wxString before = fixture.Xml();
    for (const TVariant& value :
         {TVariant(std::nan("")), TVariant(wxString(L"4")), TVariant(), TVariant(HUGE_VAL)})
        EXPECT_ASSERTS(fixture.aRow->EditKeyValue(100, false, value, &fixture.aUndo),
                       L"IsKeyValue(pValue)");
    EXPECT_EQ(fixture.Xml(), before);
    EXPECT_EQ(fixture.aRecorder.aCalls, "");
    // Without an undo compiler the record is dropped.
    fixture.aRow->EditKeyValue(100, true, TVariant(4.0), nullptr);
    EXPECT_TRUE(fixture.aRow->aUndoList.empty());
    EXPECT_EQ(ShapeText(*fixture.aRow), "0-100 N 0>4|100-200 S 4>3");
    EXPECT_EQ(fixture.aRecorder.aCalls, "ParamKeyEdit(p0,200) ");

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
