#include "DLL/Row/ParamRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ZVFormula.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/ParamUndoDriver.h"
#include "support/RowText.h"
#include "support/SegmentCheck.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Logs the value notifications into the same log as the editor listener.
class TLoggingStream : public TFakeStreamRow {
public:
    explicit TLoggingStream(std::string& pLog) : aLog(pLog) {}
    void OnParamUpdate(const TZVParamRow*) const override { aLog += "ParamChanged "; }
    std::string& aLog;
};

TABCFormula Segment(long pBegin, double pValue, long pEnd, EContinuity pCont, double pSlope) {
    TABCFormula segment(pBegin, TVariant(pValue), pEnd);
    segment.aCont = pCont;
    segment.c = pSlope;
    return segment;
}

TRangeList Ranges(const std::vector<TRange>& pRanges) {
    TRangeList list;
    for (const TRange& range : pRanges)
        list.push_back(range);
    return list;
}

TZVFormula* Expression(TZVParamRow& pRow, const wchar_t* pText) {
    const std::unique_ptr<wxXmlNode> value(ParseXml(wxString(L"<value>") + pText + L"</value>"));
    TZVFormula* formula = new TZVFormula(&pRow);
    EXPECT_TRUE(formula->ValueFromXml(value.get(), pRow.aTypeDef));
    return formula;
}

// One sequence [0, 300) and an enabled row p0 of three touching segments, the last one
// SMOOTH: keys 0, 100, 200, 300.
class TKeyedRow {
public:
    TKeyedRow() : aStream(aRecorder.aCalls), aUndo(aRecorder.aCalls), aScope(aRecorder) {
        TZVFormula::SetFrameRate(25);
        aStream.aSequenceList.push_back(TRange(0, 300));
        aRow = aStream.AddParam(true);
        aRecorder.aNames[aRow] = "p0";
        aRow->insertFormula(Segment(0, 1.0, 100, contNONE, 0.01), nullptr, false);
        aRow->insertFormula(Segment(100, 2.0, 200, contANGLE, 0.0), nullptr, false);
        aRow->insertFormula(Segment(200, 2.0, 300, contSMOOTH, 0.03), nullptr, false);
    }

    wxString Xml() const {
        const std::unique_ptr<wxXmlNode> image(aRow->GetXmlImage());
        return XmlText(*image);
    }
    void ExpectCounted() const { EXPECT_EQ(KeyText(aStream.aKeyList), RecountKeys(*aRow)); }

    TFakeProject aProject;
    TListenerRecorder aRecorder;
    TLoggingStream aStream;
    TLoggingUndo aUndo;
    TListenerScope aScope;
    TFakeParamRow* aRow;
};

class TParamKeyEditTest : public testing::Test, public TKeyedRow {};

TEST_F(TParamKeyEditTest, EditsAreUndoneAndRedoneExactly) {
    typedef TZVBaseRow::IUndoCompiler U;
    // {edit, stream keys after it, reports of the edit, ranges reported by its undo and redo}
    const struct {
        const char* aName;
        std::function<void(TZVParamRow&, U&)> aEdit;
        std::string aKeys, aLog, aUndoRanges;
    } cases[] = {
        // A case to two lines.
        // clang-format off
        {"join at a middle key", [](auto& r, U& u) { r.DeleteKey(100, u); }, "0:1 200:2 300:1 ",
         "ParamKeyEdit(p0,200) AddParamRow ParamChanged ", "200 200"},
        {"first key, refilled", [](auto& r, U& u) { r.DeleteKey(0, u); },
         "0:1 100:2 200:2 300:1 ", "ParamKeyEdit(p0,100) AddParamRow ParamChanged ", "200 200"},
        {"last key, refilled", [](auto& r, U& u) { r.DeleteKey(300, u); },
         "0:1 100:2 200:2 300:1 ", "ParamKeyEdit(p0,200300) AddParamRow ParamChanged ",
         "200300 200300"},
        {"middle segment, gap stays", [](auto& r, U& u) { r.DeleteFormula(150, u); },
         "0:1 100:1 200:1 300:1 ", "ParamKeyEdit(p0,100200) AddParamRow ParamChanged ",
         "100300 100300"},
        {"split", [](auto& r, U& u) { EXPECT_TRUE(r.SplitAt(40, u)); },
         "0:1 40:2 100:2 200:2 300:1 ", "ParamKeyEdit(p0,40041) AddParamRow ", "100 100"},
        {"scale by one half", [](auto& r, U& u) { r.ScaleTime(0.5, u); }, "0:1 50:2 100:2 150:1 ",
         "AddParamRow ", "300 300"},
        {"keys of two ranges",
         [](auto& r, U& u) { r.DeleteSeqKey(Ranges({{50, 150}, {180, 250}}), u); },
         "0:1 50:1 150:1 180:1 250:1 300:1 ", "AddParamRow ParamKeyEdit(p0,50250) ParamChanged ",
         "300 300"},
        {"keys inside one segment", [](auto& r, U& u) { r.DeleteSeqKey(Ranges({{20, 60}}), u); },
         "0:1 20:1 60:1 100:2 200:2 300:1 ", "AddParamRow ParamKeyEdit(p0,20100) ParamChanged ",
         "100 100"},
        {"formula on a keyed row", [](auto& r, U&) { r.SetFormula(Expression(r, L"time")); }, "",
         "ParamKeyEdit(p0,300) ParamChanged ", "300"},
        {"no range", [](auto& r, U& u) { r.DeleteSeqKey(Ranges({}), u); }, "0:1 100:2 200:2 300:1 ",
         "AddParamRow ParamKeyEdit(p0,300300) ParamChanged ", ""},
        {"sequence grown",
         [](auto& r, U&) { r.GetOwnerStream()->aSequenceList.front().aEnd = 400;
                           r.ExtendEnd(400); },
         "0:1 100:2 200:2 300:2 400:1 ", "", "300400 300400"},
        // clang-format on
    };
    for (const auto& c : cases) {
        TKeyedRow fresh;
        TZVParamRow& row = *fresh.aRow;
        const wxString before = fresh.Xml();
        c.aEdit(row, fresh.aUndo);
        const wxString after = fresh.Xml();
        EXPECT_EQ(KeyText(fresh.aStream.aKeyList), c.aKeys) << c.aName;
        fresh.ExpectCounted();
        UndoParamEdit(row);
        EXPECT_EQ(fresh.Xml(), before) << c.aName;
        fresh.ExpectCounted();
        UndoParamEdit(row);
        EXPECT_EQ(fresh.Xml(), after) << c.aName;
        fresh.ExpectCounted();
        std::string log = c.aLog;
        for (const wxString& range : wxSplit(c.aUndoRanges, ' '))
            log += "ParamKeyEdit(p0," + range.ToStdString() + ") ";
        EXPECT_EQ(fresh.aRecorder.aCalls, log) << c.aName;
    }
}

TEST_F(TParamKeyEditTest, EditsOffTheirPlaceChangeNothing) {
    const wxString before = Xml();
    const TABCFormulaList empty;
    aRow->DeleteKey(150, aUndo);
    aRow->DeleteFormula(100, aUndo);
    aRow->DeleteFormula(350, aUndo);
    EXPECT_FALSE(aRow->SplitAt(100, aUndo));
    EXPECT_FALSE(aRow->SplitAt(400, aUndo));
    EXPECT_FALSE(aRow->JoinAt(100, aUndo));
    EXPECT_FALSE(aRow->JoinAt(0, aUndo));
    aRow->ApplyUndo(empty, true);
    aRow->ExtendEnd(0);
    EXPECT_EQ(Xml(), before);
    EXPECT_TRUE(aRow->aUndoList.empty());
    EXPECT_EQ(aRecorder.aCalls, "ParamKeyEdit(p0,100101) ParamKeyEdit(p0,400401) "
                                "ParamKeyEdit(p0,100101) ParamKeyEdit(p0,1) ");
}

TEST_F(TParamKeyEditTest, KeyShiftTakesPartWhenABoundLiesInARange) {
    const struct {
        std::vector<TRange> aRanges;
        bool aTakesPart;
    } cases[] = {
        {{TRange(110, 190)}, false},
        {{TRange(110, 200)}, true},
        {{TRange(300, 310)}, true},
        {{TRange(-5, -1), TRange(301, 400)}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        const TRangeList ranges = Ranges(c.aRanges);
        EXPECT_EQ(aRow->BeginKeyShift(ranges), c.aTakesPart) << RangeText(ranges);
    }
}

TEST_F(TParamKeyEditTest, AJoinUndoesASplit) {
    const wxString before = Xml();
    EXPECT_TRUE(aRow->SplitAt(40, aUndo));
    EXPECT_TRUE(aRow->JoinAt(40, aUndo));
    EXPECT_EQ(Xml(), before);
}

// The right piece of a split goes on smoothly for numbers and colours, out of a flat piece
// too; fonts and texts stay flat, as they are stored, and so does a piece without a value.
// Value and coefficients stay.
TEST(ParamKeyEditSplit, TheRightPieceGoesOnSmoothlyWhereTheTypeCan) {
    const wxString font = L"Bi12\tArial";
    const struct {
        int aType;
        TABCFormula aSegment;
        std::string aShape;
    } cases[] = {
        {paramTypeREAL, Segment(0, 2.0, 100, contFLAT, 0.0), "0-40 F 2>2|40-100 S 2>2"},
        {paramTypeREAL, Segment(0, 2.0, 100, contNONE, 0.01), "0-40 N 2>2.4|40-100 S 2.4>3"},
        {paramTypeINTEGER, Segment(0, 2.0, 100, contANGLE, 0.0), "0-40 A 2>2|40-100 S 2>2"},
        {paramTypeCOLOR, Segment(0, 7.0, 100, contFLAT, 0.0), "0-40 F 7>7|40-100 S 7>7"},
        {paramTypeFONT, TABCFormula(0, TVariant(font), 100),
         "0-40 F " + font.ToStdString() + "|40-100 F " + font.ToStdString()},
        {paramTypeTEXT, TABCFormula(0, TVariant(wxString(L"a")), 100), "0-40 F a|40-100 F a"},
        {paramTypeREAL, TABCFormula(0, TVariant(), 100), "0-40 F undef|40-100 F undef"},
    };
    for (const auto& c : cases) {
        TKeyedRow fresh;
        TZVParamRow& row = *fresh.aRow;
        row.PropagateAll(false);
        row.aFormulaList.Clear();
        row.aTypeDef = TTypeDef(c.aType);
        row.insertFormula(c.aSegment, nullptr, false);
        const wxString before = fresh.Xml();
        EXPECT_TRUE(row.SplitAt(40, fresh.aUndo));
        EXPECT_EQ(ShapeText(row), c.aShape);
        fresh.ExpectCounted();
        // In memory: a font text is no key value that a stored image reads back.
        TABCFormulaList record;
        record.swap(row.aUndoList);
        row.ApplyUndo(record, false);
        EXPECT_EQ(fresh.Xml(), before) << c.aShape;
        fresh.ExpectCounted();
    }
}

// After a split of a flat piece the new key is SMOOTH: a value set there moves both sides.
TEST(ParamKeyEditSplit, AValueAtTheKeySplitOutOfAFlatPieceMovesBothSides) {
    TKeyedRow fixture;
    TZVParamRow& row = *fixture.aRow;
    row.PropagateAll(false);
    row.aFormulaList.Clear();
    row.insertFormula(Segment(0, 2.0, 100, contFLAT, 0.0), nullptr, false);
    EXPECT_TRUE(row.SplitAt(40, fixture.aUndo));
    TakeUndoImage(row);
    const wxString before = fixture.Xml();
    row.EditKeyValue(40, false, TVariant(4.0), &fixture.aUndo);
    EXPECT_EQ(ShapeText(row), "0-40 F 4>4|40-100 S 4>2");
    EXPECT_EQ(row.aEditRange.aBegin, 0);
    EXPECT_EQ(row.aEditRange.aEnd, 100);
    UndoParamEdit(row);
    EXPECT_EQ(fixture.Xml(), before);
}

namespace {

// A row of one type read from its stored image, as a project holds it: keys 0, 100, 140 and
// 200 around a middle segment [100, 200) that the tests split at 140.
class TStoredRow {
public:
    explicit TStoredRow(int pType) : aUndo(aLog) {
        aStream.aSequenceList.push_back(TRange(0, 300));
        aRow = aStream.AddParam(true);
        aRow->aTypeDef = TTypeDef(pType);
    }
    void Read(const wxString& pImage) {
        const std::unique_ptr<wxXmlNode> element(ParseXml(pImage));
        try {
            aRow->CreateAllChildren(element.get());
        } catch (const TError& error) {
            ADD_FAILURE() << error << " reading " << pImage;
        }
    }
    wxString Xml() const {
        const std::unique_ptr<wxXmlNode> image(aRow->GetXmlImage());
        return XmlText(*image);
    }
    // The stream's keys, which the row's edits count.
    std::string Keys() const { return KeyText(aStream.aKeyList); }

    TFakeProject aProject;
    std::string aLog;
    TFakeStreamRow aStream;
    TLoggingUndo aUndo;
    TFakeParamRow* aRow;
};

struct TStoredCase {
    std::string aName;
    int aType;
    wxString aImage;
};

// The stored image of three segments of pType: [0, 100) and [200, 300) around pMiddle.
wxString StoredImage(int pType, const TABCFormula& pMiddle, const TABCFormula& pLast) {
    TStoredRow maker(pType);
    TABCFormula first(0, pMiddle.aValue, 100);
    first.aCont = pType <= paramTypeCOLOR ? contNONE : contFLAT;
    maker.aRow->insertFormula(first, nullptr, false);
    maker.aRow->insertFormula(pMiddle, nullptr, false);
    maker.aRow->insertFormula(pLast, nullptr, false);
    return maker.Xml();
}

// Numbers and colours for every continuity and the easings it allows, on curves as a file may
// hold them (not as an edit would compute them), before a NONE and before a SMOOTH segment;
// fonts and texts as they are stored, FLAT.
std::vector<TStoredCase> StoredCases() {
    std::vector<TStoredCase> cases;
    const char* const names = "FNAS";
    for (int type : {paramTypeREAL, paramTypeCOLOR})
        for (EContinuity cont : {contFLAT, contNONE, contANGLE, contSMOOTH})
            for (int ease = 0; ease < 4; ++ease)
                for (EContinuity after : {contNONE, contSMOOTH}) {
                    const bool accel = (ease & 1) != 0, decel = (ease & 2) != 0;
                    if ((accel && (cont == contFLAT || cont == contSMOOTH)) ||
                        (decel && (cont == contFLAT || after == contSMOOTH)))
                        continue;
                    TABCFormula middle(100, TVariant(1000.0), 200);
                    middle.aCont = cont;
                    middle.aAccel = accel;
                    middle.aDecel = decel;
                    if (cont != contFLAT) {
                        middle.a = -1.0e-6;
                        middle.b = 3.0e-4;
                        middle.c = 0.01;
                    }
                    TABCFormula last(200, TVariant(1003.0), 300);
                    last.aCont = after;
                    last.c = 0.02;
                    cases.push_back({std::to_string(type) + names[cont] + (accel ? "a" : "") +
                                         (decel ? "d" : "") + names[after],
                                     type, StoredImage(type, middle, last)});
                }
    // A font row holds numbers, read without continuity, as a text row's are.
    cases.push_back({"font", paramTypeFONT,
                     StoredImage(paramTypeFONT, TABCFormula(100, TVariant(2.0), 200),
                                 TABCFormula(200, TVariant(3.0), 300))});
    cases.push_back({"text", paramTypeTEXT,
                     StoredImage(paramTypeTEXT, TABCFormula(100, TVariant(wxString(L"abc")), 200),
                                 TABCFormula(200, TVariant(wxString(L"xyz")), 300))});
    return cases;
}

} // namespace

// Splitting a stored segment and joining it again at the same time gives back its image and
// its keys, bit for bit.
TEST(ParamKeyEditSplit, AJoinAtTheSplitGivesBackTheStoredSegment) {
    for (const TStoredCase& c : StoredCases()) {
        TStoredRow stored(c.aType);
        stored.Read(c.aImage);
        ASSERT_EQ(stored.Xml(), c.aImage) << c.aName;
        const std::string keys = stored.Keys();
        TAssertCapture none;
        EXPECT_TRUE(stored.aRow->SplitAt(140, stored.aUndo)) << c.aName;
        stored.aRow->aUndoList.clear();
        EXPECT_TRUE(stored.aRow->JoinAt(140, stored.aUndo)) << c.aName;
        EXPECT_EQ(stored.Xml(), c.aImage) << c.aName;
        EXPECT_EQ(stored.Keys(), keys) << c.aName;
        EXPECT_TRUE(none.Conditions().empty()) << c.aName;
    }
}

// A split row and the row read from its saved image are the same row: same image, and the
// same image again after any edit at the new key. A font or text row edited so is again the
// row read from its saved image, under every edit after.
TEST(ParamKeyEditSplit, ASplitRowBehavesAsItsSavedImage) {
    typedef std::function<void(TZVParamRow&, TZVBaseRow::IUndoCompiler&, const TVariant&)> TEdit;
    const std::pair<const char*, TEdit> edits[] = {
        {"join", [](auto& r, auto& u, auto&) { r.JoinAt(140, u); }},
        {"delete", [](auto& r, auto& u, auto&) { r.DeleteKey(140, u); }},
        {"flat", [](auto& r, auto& u, auto&) { r.EditKey(140, false, false, contFLAT, u); }},
        {"flat left", [](auto& r, auto& u, auto&) { r.EditKey(140, true, false, contFLAT, u); }},
        {"none", [](auto& r, auto& u, auto&) { r.EditKey(140, false, true, contNONE, u); }},
        {"angle", [](auto& r, auto& u, auto&) { r.EditKey(140, true, false, contANGLE, u); }},
        {"smooth", [](auto& r, auto& u, auto&) { r.EditKey(140, false, false, contSMOOTH, u); }},
        {"eased smooth",
         [](auto& r, auto& u, auto&) { r.EditKey(140, true, true, contSMOOTH, u); }},
        {"split", [](auto& r, auto& u, auto&) { r.EditKey(170, false, true, contANGLE, u); }},
        {"value", [](auto& r, auto& u, auto& v) { r.EditKeyValue(140, false, v, &u); }},
        {"value left", [](auto& r, auto& u, auto& v) { r.EditKeyValue(140, true, v, &u); }},
    };
    // pImage read and split at 140, then given pEdit when there is one.
    const auto split = [](const TStoredCase& pCase, const wxString& pImage, const TEdit* pEdit,
                          const TVariant& pValue) {
        auto row = std::make_unique<TStoredRow>(pCase.aType);
        row->Read(pImage);
        EXPECT_TRUE(row->aRow->SplitAt(140, row->aUndo));
        row->aRow->aUndoList.clear();
        if (pEdit) {
            // What it reports, the split row and its saved image report alike (below).
            const TAssertCapture reports;
            (*pEdit)(*row->aRow, row->aUndo, pValue);
            row->aRow->aUndoList.clear();
        }
        return row;
    };
    // The row and the one read from its saved image give the same image, keys and reports
    // under pEdit. Edits that ease a piece its continuity does not allow report it, on both
    // alike.
    const auto expectAsSaved = [](TStoredRow& pRow, int pType, const TEdit& pEdit,
                                  const TVariant& pValue, const std::string& pName) {
        TStoredRow saved(pType);
        saved.Read(pRow.Xml());
        ASSERT_EQ(saved.Xml(), pRow.Xml()) << pName;
        std::vector<wxString> reports[2];
        TStoredRow* const rows[] = {&pRow, &saved};
        for (int i = 0; i < 2; ++i) {
            TAssertCapture capture;
            pEdit(*rows[i]->aRow, rows[i]->aUndo, pValue);
            reports[i] = capture.Conditions();
        }
        EXPECT_EQ(reports[0], reports[1]) << pName;
        EXPECT_EQ(pRow.Xml(), saved.Xml()) << pName;
        EXPECT_EQ(pRow.Keys(), saved.Keys()) << pName;
    };
    for (const TStoredCase& c : StoredCases()) {
        const TVariant value =
            c.aType == paramTypeTEXT ? TVariant(wxString(L"i8\tSans")) : TVariant(1200.0);
        for (const auto& edit : edits) {
            expectAsSaved(*split(c, c.aImage, nullptr, value), c.aType, edit.second, value,
                          c.aName + " " + edit.first);
            if (c.aType < paramTypeFONT)
                continue;
            for (const auto& next : edits)
                expectAsSaved(*split(c, c.aImage, &edit.second, value), c.aType, next.second, value,
                              c.aName + " " + edit.first + ", " + next.first);
        }
    }
}

// Without an image to take it, a replaced formula is freed: the next edit's image is its own.
TEST_F(TParamKeyEditTest, KeyUndoWithoutAnImageFreesTheFormula) {
    TABCFormulaList keys;
    keys.push_back(Segment(0, 4.0, 50, contNONE, 0.0));
    aRow->SetFormula(new TZVFormula(aRow));
    aRow->aUndoList.clear();
    EXPECT_ASSERTS(aRow->ApplyUndo(keys, false), {L"pMakeUndo"});
    EXPECT_EQ(aRow->aFormula, nullptr);
    EXPECT_EQ(aRow->aUndoFormula, nullptr);
    aRow->DeleteKey(50, aUndo);
    EXPECT_EQ(XmlText(*TakeUndoImage(*aRow)),
              L"<param><key time=\"0\"/><key time=\"0\" to=\"50\" kind=\"1\">G?_</key></param>");
}

TEST_F(TParamKeyEditTest, ScalingByABadFactorIsRefusedAndAnOpenEndStaysOpen) {
    const wxString before = Xml();
    for (double factor : {std::nan(""), 0.0, -2.0, std::numeric_limits<double>::infinity()})
        EXPECT_ASSERTS(aRow->ScaleTime(factor, aUndo), {L"pFactor > 0"});
    EXPECT_EQ(Xml(), before);
    EXPECT_EQ(aRecorder.aCalls, "");
    aRow->insertFormula(Segment(300, 1.0, TZVParamRow::OPEN_END, contFLAT, 0.0), nullptr, false);
    aRow->ScaleTime(0.5, aUndo);
    EXPECT_EQ(aRow->aFormulaList.rbegin()->aEnd, TZVParamRow::OPEN_END);
    EXPECT_EQ(KeyText(aStream.aKeyList), "0:1 50:2 100:2 150:2 ");
}

// A segment scaled to nothing is dropped, and the one after it continues no more smoothly
// than the dropped one did (after a FLAT one, not at all).
TEST(ParamKeyEditScale, DroppedSegmentsLowerTheContinuityAfterThem) {
    // {dropped, next, next after}
    const EContinuity cases[][3] = {{contNONE, contSMOOTH, contNONE},
                                    {contANGLE, contSMOOTH, contANGLE},
                                    {contFLAT, contANGLE, contNONE},
                                    {contSMOOTH, contANGLE, contANGLE}};
    for (const auto& c : cases) {
        TKeyedRow fixture;
        TZVParamRow& row = *fixture.aRow;
        row.PropagateAll(false);
        row.aFormulaList.Clear();
        row.insertFormula(Segment(0, 1.0, 100, contNONE, 0.0), nullptr, false);
        row.insertFormula(Segment(100, 2.0, 101, c[0], 0.0), nullptr, false);
        row.insertFormula(Segment(101, 3.0, 200, c[1], 0.0), nullptr, false);
        const wxString before = fixture.Xml();
        row.ScaleTime(0.5, fixture.aUndo);
        ASSERT_EQ(row.aFormulaList.size(), 2u);
        EXPECT_EQ(row.aFormulaList.rbegin()->aCont, c[2]) << c[0] << c[1];
        fixture.ExpectCounted();
        UndoParamEdit(row);
        EXPECT_EQ(fixture.Xml(), before);
    }
}

// An empty image is also what a switch to a formula leaves on a row without segments: applied,
// it still brings the row back to keys.
TEST_F(TParamKeyEditTest, FormulaOnARowWithoutSegmentsIsUndoneByItsEmptyImage) {
    aRow->PropagateAll(false);
    aRow->aFormulaList.Clear();
    const wxString before = Xml();
    aRow->SetFormula(Expression(*aRow, L"time"));
    const wxString after = Xml();
    UndoParamEdit(*aRow);
    EXPECT_EQ(Xml(), before);
    UndoParamEdit(*aRow);
    EXPECT_EQ(Xml(), after);
}

TEST_F(TParamKeyEditTest, PrimitivesRefuseSegmentsThatDoNotFit) {
    const wxString before = Xml();
    EXPECT_ASSERTS(aRow->replaceFormulaEnd(Segment(10, 0.0, 90, contNONE, 0.0),
                                           aRow->aFormulaList.begin(), true),
                   {L"(*pDstFormula).aBegin==pSrcFormula.aBegin"});
    aRow->DeleteFormula(150, aUndo);
    aRow->MakeUndoImage(std::make_unique<wxXmlNode>().get());
    EXPECT_ASSERTS(aRow->deleteRightKey(aRow->aFormulaList.begin(), true),
                   {L"(*pFormula).aEnd==(*RightPart).aBegin"});
    EXPECT_TRUE(aRow->aUndoList.empty());
    EXPECT_NE(Xml(), before);
    ExpectCounted();
}

TEST_F(TParamKeyEditTest, StreamKeyDeletionReachesEveryParameter) {
    TFakeParamRow* second = aStream.AddParam(false);
    aRecorder.aNames[second] = "p1";
    second->insertFormula(Segment(50, 0.0, 100, contNONE, 0.0), nullptr, false);
    second->insertFormula(Segment(100, 0.0, 150, contNONE, 0.0), nullptr, false);
    aStream.deleteKey(100, aUndo);
    EXPECT_EQ(KeyText(aStream.aKeyList), "0:1 200:2 300:1 ");
    EXPECT_EQ(second->aFormulaList.size(), 1u);
    // A disabled row widens no edit range.
    EXPECT_EQ(aRecorder.aCalls, "ParamKeyEdit(p0,200) AddParamRow ParamChanged "
                                "ParamKeyEdit(p1,0) AddParamRow ParamChanged ");
}

// Replaces the row's segments by 1 to 50 random ones, some with gaps between them; returns
// the last end.
long RandomSegments(TZVParamRow& pRow, std::mt19937& pRandom) {
    const auto pick = [&pRandom](int pLow, int pHigh) {
        return std::uniform_int_distribution<int>(pLow, pHigh)(pRandom);
    };
    const EContinuity conts[] = {contFLAT, contNONE, contANGLE, contSMOOTH};
    pRow.PropagateAll(false);
    pRow.aFormulaList.Clear();
    long time = pick(0, 20);
    for (int count = pick(1, 50); count > 0; --count) {
        const long end = time + pick(1, 60);
        pRow.insertFormula(Segment(time, pick(-50, 50), end, conts[pick(0, 3)], pick(-3, 3) * 0.01),
                           nullptr, false);
        time = end + (pick(0, 3) == 0 ? pick(1, 30) : 0);
    }
    return time;
}

// Random rows of 1 to 50 segments with gaps; each random edit leaves sound segments and is
// undone and redone.
TEST(ParamKeyEditModel, RandomEditsAreUndoneAndRedoneExactly) {
    std::mt19937 random(23);
    const auto pick = [&random](int pLow, int pHigh) {
        return std::uniform_int_distribution<int>(pLow, pHigh)(random);
    };
    const EContinuity conts[] = {contFLAT, contNONE, contANGLE, contSMOOTH};
    const double factors[] = {0.5, 2.0, 0.3, 1.7};
    const wchar_t* const expressions[] = {L"time", L"2 * time - 1"};
    int edits = 0;
    for (int round = 0; round < 200; ++round) {
        TKeyedRow fixture;
        TZVParamRow& row = *fixture.aRow;
        const long time = RandomSegments(row, random);
        fixture.aStream.aSequenceList.front().aEnd = time + pick(0, 40);
        for (int step = 0; step < 10; ++step, ++edits) {
            const long at = pick(-5, int(time) + 5);
            const wxString before = fixture.Xml();
            // Key edits may ease a piece its continuity does not allow; the curve computations
            // then and later report it.
            {
                TAssertCapture easing;
                switch (pick(0, 9)) {
                case 0:
                    row.DeleteKey(at, fixture.aUndo);
                    break;
                case 1:
                    row.DeleteFormula(at, fixture.aUndo);
                    break;
                case 2:
                    row.SplitAt(at, fixture.aUndo);
                    break;
                case 3:
                    row.JoinAt(at, fixture.aUndo);
                    break;
                case 4:
                    row.ScaleTime(factors[pick(0, 3)], fixture.aUndo);
                    break;
                case 5:
                    row.DeleteSeqKey(Ranges({{at, at + pick(0, 80)}}), fixture.aUndo);
                    break;
                case 6:
                    row.ExtendEnd(0);
                    break;
                case 7:
                    row.EditKey(at, pick(0, 1), pick(0, 1), conts[pick(0, 3)], fixture.aUndo);
                    break;
                case 8:
                    row.EditKeyValue(at, pick(0, 1), TVariant(double(pick(-50, 50))),
                                     &fixture.aUndo);
                    break;
                default:
                    row.SetFormula(Expression(row, expressions[pick(0, 1)]));
                    break;
                }
                for (const wxString& condition : easing.Conditions())
                    ASSERT_TRUE(IsEasingCheck(condition)) << condition;
            }
            const wxString after = fixture.Xml();
            ASSERT_EQ(SegmentFault(row), "") << "edit " << edits;
            fixture.ExpectCounted();
            // The host takes no image of an edit that neither changed nor recorded anything.
            if (after == before && row.aUndoList.empty() && !row.aUndoFormula)
                continue;
            UndoParamEdit(row);
            ASSERT_EQ(fixture.Xml(), before) << "edit " << edits;
            fixture.ExpectCounted();
            UndoParamEdit(row);
            ASSERT_EQ(fixture.Xml(), after) << "edit " << edits;
            fixture.ExpectCounted();
            TakeUndoImage(row);
        }
    }
}

std::string SegmentText(const TZVParamRow& pRow) {
    std::string text;
    for (const TABCFormula& segment : pRow.aFormulaList)
        text += "[" + std::to_string(segment.aBegin) + "," + std::to_string(segment.aEnd) + ") ";
    return text;
}

// The row holds the single segment [pBegin, pEnd) and no sequence is filled.
void UseOneSegment(TKeyedRow& pFixture, long pBegin, long pEnd) {
    TZVParamRow& row = *pFixture.aRow;
    pFixture.aStream.aSequenceList.clear();
    row.PropagateAll(false);
    row.aFormulaList.Clear();
    row.insertFormula(Segment(pBegin, 1.0, pEnd, contSMOOTH, 0.01), nullptr, false);
}

typedef TZVParamRow R;
typedef std::function<void(R&)> TMove;

// A primitive applied to the row's first segment.
TMove Cut(void (R::*pCut)(R::iterator, long, long), long pTime, long pDistance) {
    return [=](R& pRow) { (pRow.*pCut)(pRow.aFormulaList.begin(), pTime, pDistance); };
}
TMove Whole(void (R::*pMove)(R::iterator, long), long pDistance) {
    return [=](R& pRow) { (pRow.*pMove)(pRow.aFormulaList.begin(), pDistance); };
}
TMove Middle(long pBegin, long pEnd, long pDistance) {
    return [=](R& pRow) {
        pRow.shiftMiddle(pRow.aFormulaList.begin(), TRange(pBegin, pEnd), pDistance);
    };
}

TEST(ParamKeyShift, PrimitivesCutMoveAndCountTheirPiecesAndRefuseWhatWouldOverlap) {
    const long open = R::OPEN_END;
    // {segment, move, segments after it, reports}; the keys are recounted, the move undone.
    const struct {
        long aBegin, aEnd;
        TMove aMove;
        std::string aSegments;
        std::vector<wxString> aReports;
    } cases[] = {
        {0, 100, Cut(&R::expandRight, 40, 10), "[0,40) [50,110) ", {}},
        {0, 100, Cut(&R::expandLeft, 60, -10), "[-10,50) [60,100) ", {}},
        {0, 100, Cut(&R::shrinkLeft, 40, 10), "[10,50) [50,100) ", {}},
        {0, 100, Cut(&R::shrinkRight, 60, -10), "[0,50) [50,90) ", {}},
        {0, 100, Cut(&R::shrinkLeft, 90, 10), "[10,100) ", {}},
        {0, 100, Middle(40, 60, 10), "[0,40) [50,70) [70,100) ", {}},
        {0, 100, Middle(40, 60, -10), "[0,30) [30,50) [60,100) ", {}},
        {0, 100, Whole(&R::shiftLeftAndRecompute, -10), "[-10,100) ", {}},
        {0, 100, Whole(&R::shiftRightAndRecompute, 10), "[0,110) ", {}},
        // Wrong signs and cuts that would leave pieces overlapping or inverted.
        {0, 100, Cut(&R::expandRight, 40, -10), "[0,100) ", {L"pDistance > 0"}},
        {0, 100, Cut(&R::shrinkRight, 40, 10), "[0,100) ", {L"pDistance < 0"}},
        {0, 100, Cut(&R::shrinkLeft, 95, 10), "[0,100) ", {L"NewEnd < TempFormula.aEnd"}},
        {0, 100, Cut(&R::shrinkRight, 5, -10), "[0,100) ", {L"NewBegin > TempFormula.aBegin"}},
        {0, 100, Middle(5, 20, -10), "[0,100) ", {L"CutRange.aBegin > TempLeft.aBegin"}},
        {0, 100, Middle(80, 95, 10), "[0,100) ", {L"CutRange.aEnd < TempRight.aEnd"}},
        // Moved times saturate; an open end stays open and is never counted.
        {0, 100, Whole(&R::shiftFormula, 2147483600), "[2147483600,2147483647) ", {}},
        {0, open, Whole(&R::shiftFormula, -50), "[-50,2147483647) ", {}},
        {0, open, Whole(&R::shiftFormula, 2147483647), "", {}},
        {-2147483600, -2147483500, Whole(&R::shiftFormula, -100), "[-2147483648,-2147483600) ", {}},
    };
    for (const auto& c : cases) {
        TKeyedRow fresh;
        TZVParamRow& row = *fresh.aRow;
        UseOneSegment(fresh, c.aBegin, c.aEnd);
        const wxString before = fresh.Xml();
        EXPECT_ASSERTS(c.aMove(row), c.aReports);
        EXPECT_EQ(SegmentText(row), c.aSegments);
        fresh.ExpectCounted();
        UndoParamEdit(row);
        EXPECT_EQ(fresh.Xml(), before) << c.aSegments;
        fresh.ExpectCounted();
    }
}

TEST_F(TParamKeyEditTest, MovedKeysJoinBeyondTheNextRangeAndAreDroppedInsideIt) {
    const struct {
        std::list<long> aKeys;
        TRange aRange;
        bool aRightward;
        std::string aLeft, aStreamKeys;
    } cases[] = {
        {{300, 200, 100}, TRange(50, 150), true, "", "0:1 100:2 300:1 "},
        {{0, 100, 200}, TRange(150, 250), false, "", "0:1 200:2 300:1 "},
        {{250, 100, 20}, TRange(40, 150), true, "20 ", "0:1 100:2 200:2 300:1 "},
        // At the bounds: a key at the end (rightward) or the begin (leftward) joins, one next
        // to the other bound is dropped, one at that bound is not inside and waits.
        {{200, 101, 100}, TRange(100, 200), true, "100 ", "0:1 100:2 300:1 "},
        {{100, 199, 200}, TRange(100, 200), false, "200 ", "0:1 200:2 300:1 "},
    };
    for (const auto& c : cases) {
        TKeyedRow fresh;
        std::list<long> keys = c.aKeys;
        fresh.aRow->deleteKeyUpTo(keys, c.aRange, c.aRightward);
        std::string left;
        for (long key : keys)
            left += std::to_string(key) + " ";
        EXPECT_EQ(left, c.aLeft);
        EXPECT_EQ(KeyText(fresh.aStream.aKeyList), c.aStreamKeys);
        fresh.ExpectCounted();
    }
}

// Keys a lifted key passes over disappear, also one right beside where the next range
// lands (moving earlier, just before its begin; later, just after its end).
TEST(ParamKeyShift, KeysPassedOverJoinRightBesideWhereTheNextRangeLands) {
    // {segment bounds, the two selected keys before the drag, distance, segments after}
    const struct {
        std::vector<long> aBounds;
        long aFirst, aSecond;
        int aDistance;
        std::string aSegments;
    } cases[] = {
        // 100 goes to 10 over the key 60, then 151 lands on 61.
        {{0, 30, 60, 100, 140, 151, 200},
         100,
         151,
         -90,
         "[0,10) [10,50) [50,61) [61,110) [140,151) "},
        // 100 goes to 190 over the key 140, then 48 lands on 138.
        {{0, 40, 48, 49, 100, 110, 140, 200, 300},
         48,
         100,
         90,
         "[0,40) [40,48) [49,100) [110,138) [138,139) [139,190) [190,200) [200,300) "},
    };
    for (const auto& c : cases) {
        TKeyedRow fresh;
        TZVParamRow& row = *fresh.aRow;
        fresh.aStream.aSequenceList.clear();
        row.PropagateAll(false);
        row.aFormulaList.Clear();
        for (size_t i = 0; i + 1 < c.aBounds.size(); ++i)
            row.insertFormula(Segment(c.aBounds[i], double(i), c.aBounds[i + 1], contNONE, 0.0),
                              nullptr, false);
        const long first = c.aFirst + c.aDistance;
        const long second = c.aSecond + c.aDistance;
        TFakeTimeSelection selection({TRange(first, first + 1), TRange(second, second + 1)}, true);
        const wxString before = fresh.Xml();
        row.Shift(c.aDistance, false);
        EXPECT_EQ(SegmentText(row), c.aSegments);
        fresh.ExpectCounted();
        row.Shift(0, false);
        EXPECT_EQ(fresh.Xml(), before);
    }
}

// The keyed row with a fourth segment [400, 500) after a gap, and no sequence to fill.
class TShiftedRow : public TKeyedRow {
public:
    TShiftedRow() {
        aStream.aSequenceList.clear();
        aRow->insertFormula(Segment(400, 3.0, 500, contNONE, 0.0), nullptr, false);
    }
};

TEST(ParamKeyShift, DragsMoveTheSelectedKeysAndStepZeroGivesThemBack) {
    // {selected ranges at their shifted place, key mode, plain path asked, distance,
    //  segments after the step, time of the newest entry of its image}
    const struct {
        std::vector<TRange> aRanges;
        bool aKeyMode, aFlag;
        int aDistance;
        std::string aSegments;
        long aNewest;
    } cases[] = {
        // clang-format off
        // Span mode, plain: a piece inside a segment; a piece moved into the gap.
        {{{430, 470}}, false, true, 10,
         "[0,100) [100,200) [200,300) [400,420) [430,470) [470,500) ", 470},
        {{{300, 350}}, false, true, 50, "[0,100) [100,200) [200,250) [300,350) [400,500) ", 300},
        {{{350, 400}}, false, true, -50, "[0,100) [100,200) [200,300) [350,400) [450,500) ", 450},
        // Span mode, lifted over the key at 300.
        {{{250, 350}}, false, false, 100, "[0,100) [100,150) [250,300) [300,350) [400,500) ", 300},
        // Key mode: the end key of a segment; three keys with the segments between them;
        // one key lifted past 200.
        {{{280, 281}}, true, true, -20, "[0,100) [100,200) [200,280) [400,500) ", 200},
        {{{110, 211}}, true, true, 10, "[0,110) [110,210) [210,300) [400,500) ", 0},
        {{{250, 251}}, true, false, 150, "[0,100) [200,250) [250,350) [400,500) ", 250},
        {{{110, 111}, {410, 411}}, true, true, 10, "[0,110) [110,200) [200,300) [410,500) ", 0},
        // Two ranges: the one at the front of the move goes first, the other is newest.
        {{{30, 50}, {430, 470}}, false, true, 10,
         "[0,20) [30,50) [50,100) [100,200) [200,300) [400,420) [430,470) [470,500) ", 50},
        {{{10, 30}, {410, 450}}, false, true, -10,
         "[0,10) [10,30) [40,100) [100,200) [200,300) [400,410) [410,450) [460,500) ", 460},
        // clang-format on
    };
    for (const auto& c : cases) {
        TShiftedRow fresh;
        TZVParamRow& row = *fresh.aRow;
        TFakeTimeSelection selection({}, c.aKeyMode);
        selection.aRanges = Ranges(c.aRanges);
        const wxString before = fresh.Xml();
        row.Shift(c.aDistance, c.aFlag);
        EXPECT_EQ(SegmentText(row), c.aSegments);
        fresh.aRecorder.aCalls.clear();
        row.Shift(0, c.aFlag);
        EXPECT_EQ(fresh.Xml(), before) << c.aSegments;
        EXPECT_NE(fresh.aRecorder.aCalls.find("ParamKeyEdit(p0,"), std::string::npos);
        row.Shift(c.aDistance, c.aFlag);
        EXPECT_EQ(TakeUndoImage(row)->GetChildren()->GetAttribute(L"time"),
                  std::to_string(c.aNewest));
    }
    // A row with an expression is left alone and silent.
    TFakeTimeSelection selection({TRange(430, 470)});
    TShiftedRow expression;
    expression.aRow->SetFormula(Expression(*expression.aRow, L"time"));
    TakeUndoImage(*expression.aRow);
    const wxString before = expression.Xml();
    expression.aRecorder.aCalls.clear();
    expression.aRow->Shift(40, false);
    EXPECT_EQ(expression.Xml(), before);
    EXPECT_EQ(expression.aRecorder.aCalls, "");
}

// The refill covers what no segment covers in every sequence, touching sequences and a
// segment reaching from one sequence into the next included, and nothing outside them.
TEST_F(TParamKeyEditTest, TheRefillCoversEveryStretchOfEverySequence) {
    aStream.aSequenceList = Ranges({{0, 100}, {100, 150}, {200, 300}, {350, 400}, {450, 460}});
    aRow->PropagateAll(false);
    aRow->aFormulaList.Clear();
    aRow->insertFormula(Segment(50, 1.0, 120, contFLAT, 0.0), nullptr, false);
    aRow->insertFormula(Segment(250, 2.0, 260, contFLAT, 0.0), nullptr, false);
    aRow->insertFormula(Segment(400, 3.0, 455, contFLAT, 0.0), nullptr, false);
    const wxString before = Xml();
    aRow->ExtendEnd(0);
    EXPECT_EQ(SegmentText(*aRow), "[0,50) [50,120) [120,150) [200,250) [250,260) [260,300) "
                                  "[350,400) [400,455) [455,460) ");
    ExpectCounted();
    UndoParamEdit(*aRow);
    EXPECT_EQ(Xml(), before);
}

// A step ends by filling every stretch of the sequence that no segment covers, not only
// where the moved range was; the step back to 0 and the drag's image take the fill away.
TEST_F(TParamKeyEditTest, AShiftStepFillsEveryUncoveredStretchOfTheSequence) {
    aRow->PropagateAll(false);
    aRow->aFormulaList.Clear();
    aRow->insertFormula(Segment(0, 1.0, 100, contNONE, 0.01), nullptr, false);
    aRow->insertFormula(Segment(200, 5.0, R::OPEN_END, contFLAT, 0.0), nullptr, false);
    const wxString before = Xml();
    EXPECT_TRUE(aRow->BeginKeyShift(Ranges({{200, R::OPEN_END}})));
    TFakeTimeSelection selection({TRange(170, R::OPEN_END - 30)});
    const std::string moved = "0-100 N 1>2|100-170 N 2>5|170-2147483647 F 5>5";
    aRow->Shift(-30, false);
    EXPECT_EQ(ShapeText(*aRow), moved);
    ExpectCounted();
    aRow->Shift(0, false);
    EXPECT_EQ(Xml(), before);
    aRow->Shift(-30, false);
    EXPECT_EQ(ShapeText(*aRow), moved);
    const wxString after = Xml();
    UndoParamEdit(*aRow);
    EXPECT_EQ(Xml(), before);
    ExpectCounted();
    UndoParamEdit(*aRow);
    EXPECT_EQ(Xml(), after);
    ExpectCounted();
}

// The length of pSequence that no segment covers.
long Uncovered(const TZVParamRow& pRow, const TRange& pSequence) {
    long length = pSequence.aEnd - pSequence.aBegin;
    for (const TABCFormula& segment : pRow.aFormulaList)
        length -= std::max(0L, std::min(segment.aEnd, pSequence.aEnd) -
                                   std::max(segment.aBegin, pSequence.aBegin));
    return length;
}

// Random rows, selections and drags: every step is the single step of its distance from
// the start and leaves no more of the sequence uncovered; the image undoes and redoes it.
TEST(ParamKeyShift, RandomDragsStepFromTheStartAndUndoExactly) {
    std::mt19937 random(25);
    const auto pick = [&random](int pLow, int pHigh) {
        return std::uniform_int_distribution<int>(pLow, pHigh)(random);
    };
    for (int round = 0; round < 200; ++round) {
        TKeyedRow drag;
        TKeyedRow single;
        const long end = RandomSegments(*drag.aRow, random);
        single.aRow->PropagateAll(false);
        single.aRow->aFormulaList.Clear();
        for (const TABCFormula& segment : drag.aRow->aFormulaList)
            single.aRow->insertFormula(segment, nullptr, false);
        drag.aStream.aSequenceList.front().aEnd = single.aStream.aSequenceList.front().aEnd = end;
        TFakeTimeSelection selection({}, pick(0, 1) == 1);
        for (long begin = pick(-10, 60); begin < end && selection.aRanges.size() < 3;) {
            const long rangeEnd = begin + pick(1, 80);
            selection.aRanges.push_back(TRange(begin, rangeEnd));
            begin = rangeEnd + pick(0, 200);
        }
        const bool flag = pick(0, 1) == 1;
        const wxString start = drag.Xml();
        const TRange sequence = drag.aStream.aSequenceList.front();
        const long uncovered = Uncovered(*drag.aRow, sequence);
        TAssertCapture capture;
        for (int step = 0; step < 5; ++step) {
            const int distance = pick(-120, 120);
            drag.aRow->Shift(distance, flag);
            single.aRow->Shift(distance, flag);
            ASSERT_EQ(drag.Xml(), single.Xml()) << "round " << round;
            ASSERT_EQ(SegmentFault(*drag.aRow), "") << "round " << round;
            ASSERT_LE(Uncovered(*drag.aRow, sequence), uncovered) << "round " << round;
            drag.ExpectCounted();
            single.aRow->Shift(0, flag);
            ASSERT_EQ(single.Xml(), start) << "round " << round;
        }
        const wxString after = drag.Xml();
        UndoParamEdit(*drag.aRow);
        ASSERT_EQ(drag.Xml(), start) << "round " << round;
        UndoParamEdit(*drag.aRow);
        ASSERT_EQ(drag.Xml(), after) << "round " << round;
        drag.ExpectCounted();
        for (const wxString& report : capture.Conditions())
            EXPECT_EQ(report, L"!TempList.empty()");
    }
}

} // namespace
