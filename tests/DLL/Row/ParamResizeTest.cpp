#include "DLL/Row/ParamRow.h"
#include "DLL/Row/SuperParamRow.h"

#include "DLL/Row/ZVFormula.h"

#include "support/AssertCapture.h"
#include "support/CompositeStream.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/ParamUndoDriver.h"
#include "support/SegmentCheck.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Logs the value notifications into the editor listener's log.
class TLoggingStream : public TFakeStreamRow {
public:
    explicit TLoggingStream(std::string& pLog) : aCalls(pLog) {}
    void OnParamUpdate(const TZVParamRow*) const override { aCalls += "ParamChanged "; }
    std::string& aCalls;
};

TABCFormula Segment(long pBegin, double pValue, long pEnd, EContinuity pCont, double pSlope,
                    double pCurve = 0.0) {
    TABCFormula segment(pBegin, TVariant(pValue), pEnd);
    segment.aCont = pCont;
    segment.c = pSlope;
    segment.b = pCurve;
    return segment;
}

// An enabled row over the sequence [0, 300): [0, 100) rising from 1 by 0.01, [100, 200) at 2
// (ANGLE), [200, 300) from 2 by 0.01 (SMOOTH), or curved when asked.
class TResizeRow {
public:
    explicit TResizeRow(bool pCurvedLast = false) : aStream(aRecorder.aCalls), aScope(aRecorder) {
        aStream.aSequenceList.push_back(TRange(0, 300));
        aRow = aStream.AddParam(true);
        aRecorder.aNames[aRow] = "p0";
        aRow->insertFormula(Segment(0, 1.0, 100, contNONE, 0.01), nullptr, false);
        aRow->insertFormula(Segment(100, 2.0, 200, contANGLE, 0.0), nullptr, false);
        aRow->insertFormula(Segment(200, 2.0, 300, contSMOOTH, 0.01, pCurvedLast ? 1e-4 : 0.0),
                            nullptr, false);
    }

    // A whole drag as the stream makes it: begun, the steps, ended.
    void Drag(bool pEnd, long pStart, const std::vector<long>& pSteps) {
        aRow->BeginResize(pEnd, pStart);
        long from = 0;
        for (long step : pSteps) {
            aRow->Resize(step, from);
            from = step;
        }
        if (from < 0 || !pEnd)
            aRow->EndLeftResize();
    }
    wxString Xml() const {
        const std::unique_ptr<wxXmlNode> image(aRow->GetXmlImage());
        return XmlText(*image);
    }

    TListenerRecorder aRecorder;
    TLoggingStream aStream;
    TListenerScope aScope;
    TFakeParamRow* aRow;
};

TEST(TParamResizeTest, DragsGiveTheirShapesAndUndoExactly) {
    // {name, range check (0..4), curved last segment, end edge, start, steps, shape}
    struct TCase {
        const char* aName;
        bool aCheck;
        bool aCurved;
        bool aEnd;
        long aStart;
        std::vector<long> aSteps;
        const char* aShape;
    } cases[] = {
        {"end in past two keys", false, false, true, 300, {-120, -250}, "0-50 N 1>1.5"},
        {"end in and back", false, false, true, 300, {-120, -250, -30, 0},
         "0-100 N 1>2|100-200 A 2>2|200-300 S 2>3"},
        {"end in, then out past the start", false, false, true, 300, {-150, 40},
         "0-100 N 1>2|100-200 A 2>2|200-340 S 2>3.4"},
        {"end out on a curve", false, true, true, 300, {50},
         "0-100 N 1>2|100-200 A 2>2|200-300 S 2>4|300-350 N 4>4"},
        {"end out up to the maximum", true, false, true, 300, {150, 250},
         "0-100 N 1>2|100-200 A 2>2|200-400 S 2>4|400-550 N 4>4"},
        // The segment cut away whole no longer continues into the new first one.
        {"start in onto a key", false, false, false, 0, {100},
         "100-200 N 2>2|200-300 S 2>3"},
        // No segment begins where the first one cut away ended: nothing to unjoin.
        {"start in past a key", false, false, false, 0, {40, 150},
         "150-200 N 2>2|200-300 S 2>3"},
        {"start in and back", false, false, false, 0, {150, 60, 0},
         "0-100 N 1>2|100-200 A 2>2|200-300 S 2>3"},
        {"start out down to the minimum", true, false, false, 0, {-60, -170},
         "-170--100 N 0>0|-100-100 N 0>2|100-200 A 2>2|200-300 S 2>3"},
        {"start out on a line", false, false, false, 0, {-50},
         "-50-100 N 0.5>2|100-200 A 2>2|200-300 S 2>3"},
    };
    for (const TCase& c : cases) {
        TResizeRow fresh(c.aCurved);
        if (c.aCheck)
            fresh.aRow->SetRange(0.0, 4.0);
        const wxString before = fresh.Xml();
        fresh.Drag(c.aEnd, c.aStart, c.aSteps);
        EXPECT_EQ(ShapeText(*fresh.aRow), c.aShape) << c.aName;
        EXPECT_EQ(SegmentFault(*fresh.aRow), "") << c.aName;
        EXPECT_EQ(KeyText(fresh.aStream.aKeyList), RecountKeys(*fresh.aRow)) << c.aName;
        const wxString after = fresh.Xml();
        UndoParamEdit(*fresh.aRow);
        EXPECT_EQ(fresh.Xml(), before) << c.aName;
        UndoParamEdit(*fresh.aRow);
        EXPECT_EQ(fresh.Xml(), after) << c.aName;
        EXPECT_EQ(KeyText(fresh.aStream.aKeyList), RecountKeys(*fresh.aRow)) << c.aName;
    }
}

// A step reports the span of what it took back as well.
TEST(TParamResizeTest, EachStepReportsItsSpanThenNotifies) {
    TResizeRow row;
    row.Drag(true, 300, {-120, -30});
    EXPECT_EQ(row.aRecorder.aCalls,
              "ParamKeyEdit(p0,180300) ParamChanged ParamKeyEdit(p0,100300) ParamChanged ");
}

TEST(TParamResizeTest, ExpressionRowsAndMisuseChangeNothing) {
    TResizeRow row;
    const wxString before = row.Xml();
    TAssertCapture capture;
    row.aRow->BeginResize(true, 300);
    row.aRow->Resize(0, 0);
    EXPECT_EQ(capture.Conditions(), std::vector<wxString>{L"pDistance!=pFrom"});
    TZVFormula* formula = new TZVFormula(row.aRow);
    const std::unique_ptr<wxXmlNode> value(ParseXml(L"<value>time</value>"));
    ASSERT_TRUE(formula->ValueFromXml(value.get(), row.aRow->aTypeDef));
    row.aRow->SetFormula(formula);
    TakeUndoImage(*row.aRow);
    row.aRecorder.aCalls.clear();
    const wxString expression = row.Xml();
    row.aRow->BeginResize(true, 300);
    row.aRow->Resize(-150, 0);
    EXPECT_EQ(row.Xml(), expression);
    EXPECT_EQ(row.aRecorder.aCalls, "");
    EXPECT_NE(before, expression);
}

// The stream resizes a colour's components itself; the colour's own calls must not.
TEST(TParamResizeTest, ACompositeLeavesItsComponentsAlone) {
    TFakeProject project;
    TFakeStreamRow root{rowKindMIXER};
    root.MakeRoot();
    root.aSequenceList.Add(0, 300, root.aSequenceList.end());
    TCompositeStream stream;
    stream.CreateDefault(L"Clip");
    stream.SetStreamParent(&root, false);
    TZVParamRow& red = *stream.aParamTab[1];
    ASSERT_FALSE(red.aFormulaList.empty());
    const std::string shape = ShapeText(red);
    TZVSuperParamRow& colour = *stream.Super(0);
    TAssertCapture capture;
    for (long step : {-120, 50}) {
        colour.BeginResize(true, 300);
        colour.Resize(step, 0);
    }
    EXPECT_EQ(ShapeText(red), shape);
    EXPECT_TRUE(colour.aFormulaList.empty());
    EXPECT_TRUE(capture.Conditions().empty());
}

} // namespace
