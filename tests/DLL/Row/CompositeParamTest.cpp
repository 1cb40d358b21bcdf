#include "ALL/Error.h"
#include "ALL/XmlTree.h"
#include "DLL/Row/ColorParamRow.h"
#include "DLL/Row/FontParamRow.h"
#include "DLL/Row/ParamFormula.h"
#include "DLL/Row/RowRegistry.h"

#include "support/AssertCapture.h"
#include "support/CompositeStream.h"
#include "support/FakeFormula.h"
#include "support/FakeHost.h"
#include "support/ListenerRecorder.h"
#include "support/RowText.h"
#include "support/SegmentCheck.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

wxString ParamListImage(const TZVStreamRow& pRow) {
    wxXmlNode list(wxXML_ELEMENT_NODE, L"param-list");
    for (const TZVParamRow* param : pRow.aParamTab)
        NSXml::AppendChild(&list, param->GetXmlImage());
    return XmlText(list);
}

// Reads pText as the stream's "param-list" (after its setup list); the TError's text, or ""
// when it read.
std::string ReadParams(TZVStreamRow& pRow, const wxString& pText) {
    std::unique_ptr<wxXmlNode> part(
        ParseXml(L"<part><setup-list><setup>1</setup></setup-list>" + pText + L"</part>"));
    const wxXmlNode* node = part->GetChildren();
    pRow.CompleteCreate();
    try {
        pRow.createParamList(node);
    } catch (const TError& error) {
        return std::string(wxString(error).utf8_str());
    }
    return "";
}

// One "param" element per letter: C colour, c colour component, F font, f font component,
// s plain, b a colour component "Blue" whose key does not read.
wxString Params(const std::string& pKinds) {
    static const std::map<char, const wchar_t*> theElements = {
        {'C', L"Color\" name=\"Back\"><value/>"},
        {'c', L"ColorComp\" name=\"\"><value/>"},
        {'F', L"Font\" name=\"Title\"><value/>"},
        {'f', L"FontComp\" name=\"\"><value/>"},
        {'s', L"Standard\" name=\"\"><value/>"},
        {'b', L"ColorComp\" name=\"Blue\"><value><key/></value>"}};
    wxString text = L"<param-list shown=\"0\">";
    for (char kind : pKinds)
        text += wxString(L"<param type=\"") + theElements.at(kind) + L"</param>";
    return text + L"</param-list>";
}

// A segment [pBegin, pEnd) from pValue rising by pSlope a time unit, of continuity pCont.
TABCFormula Segment(long pBegin, double pValue, long pEnd, EContinuity pCont = contNONE,
                    double pSlope = 0) {
    TABCFormula segment(pBegin, TVariant(pValue), pEnd);
    segment.aCont = pCont;
    segment.c = pSlope;
    return segment;
}

void SetKeys(TZVParamRow* pRow, const std::vector<TABCFormula>& pSegments) {
    for (auto segment = pRow->aFormulaList.begin(); segment != pRow->aFormulaList.end();)
        segment = pRow->deleteFormula(segment, false);
    for (const TABCFormula& segment : pSegments)
        pRow->insertFormula(segment, nullptr, false);
}

// A colour as hexadecimal digits; "-" when undefined.
std::string Hex(const TVariant& pValue) {
    return pValue.IsUndefined() ? "-"
                                : wxString::Format(L"%06X", int(pValue.GetDouble())).ToStdString();
}

// Counts the evaluations of a component's value source.
class TCountingFormula : public TFakeDependFormula {
public:
    using TFakeDependFormula::TFakeDependFormula;
    TVariant ComputePointAt(double) const override {
        ++aCalls;
        return TVariant(7.0);
    }
    mutable int aCalls = 0;
};

// The stream made by default under a root whose one sequence is [0, pEnd).
struct TMadeUnderRoot {
    explicit TMadeUnderRoot(long pEnd) {
        aRoot.MakeRoot();
        aRoot.aSequenceList.Add(0, pEnd, aRoot.aSequenceList.end());
        aRow.CreateDefault(L"Clip");
        aRow.SetStreamParent(&aRoot, false);
    }
    TFakeProject aProject;
    TFakeStreamRow aRoot{rowKindMIXER};
    TCompositeStream aRow;
};

const wchar_t* const theStoredList =
    L"<param-list><param type=\"Color\" name=\"Back\"><value/></param>"
    L"<param type=\"ColorComp\" name=\"Back - Red\"><value><key time=\"0\" to=\"50\" "
    L"kind=\"1\"/></value></param>"
    L"<param type=\"ColorComp\" name=\"Back - Green\"><value><key time=\"0\" to=\"50\" "
    L"kind=\"1\"/></value></param>"
    L"<param type=\"ColorComp\" name=\"Deep\"><value><key time=\"0\" to=\"50\" "
    L"kind=\"1\"/></value></param>"
    L"<param type=\"Font\" name=\"Title\"><value/></param>"
    L"<param type=\"FontComp\" name=\"Title - Name\"><value><key time=\"0\" "
    L"to=\"50\">Text</key></value></param>"
    L"<param type=\"FontComp\" name=\"Title - Size\"><value><key time=\"0\" to=\"50\" "
    L"kind=\"1\"/></value></param>"
    L"<param type=\"FontComp\" name=\"Title - Bold\"><value><key time=\"0\" to=\"50\" "
    L"kind=\"1\"/></value></param>"
    L"<param type=\"FontComp\" name=\"Title - Italic\"><value><key time=\"0\" to=\"50\" "
    L"kind=\"1\"/></value></param></param-list>";

} // namespace

TEST(CompositeParam, ControlTableRowsWriteAndReadBackIdentically) {
    TMadeUnderRoot tree(50);
    TCompositeStream& made = tree.aRow;
    // Composites keep no segments and write an empty value; unnamed components are named
    // after their composite, the labelled one keeps its label.
    const wxString image = ParamListImage(made);
    EXPECT_EQ(image, wxString(theStoredList));
    EXPECT_TRUE(made.Super(0)->aFormulaList.empty() && made.Super(4)->aFormulaList.empty());
    EXPECT_EQ(made.Super(4)->aTypeDef.aType, paramTypeFONT);
    EXPECT_EQ(static_cast<TZVSubParamRow*>(made.aParamTab[8])->aSubNumber, 3);
    EXPECT_EQ(made.aParamTab[0]->GetValueAt(5), TVariant(0.0));
    EXPECT_EQ(made.aParamTab[4]->GetValueAt(5), TVariant(wxString(L"bi0\tText")));

    TCompositeStream read;
    read.SetParent(&tree.aRoot, false);
    ASSERT_EQ(ReadParams(read, L"<param-list shown=\"0\">" + image.Mid(12)), "");
    EXPECT_EQ(ParamListImage(read), image);
    // Every component's keys reach its composite, and the stream through both.
    EXPECT_EQ(KeyText(read.aParamTab[0]->aKeyList), "0:3 50:3 ");
    EXPECT_EQ(KeyText(read.aParamTab[4]->aKeyList), "0:4 50:4 ");
    EXPECT_EQ(KeyText(read.aKeyList), "0:14 50:14 ");
}

// A font or colour key split through its stream joins back to the stored parameters, and the
// split stream behaves as the one read from its saved image.
TEST(CompositeParam, ASplitFontOrColourKeyJoinsBackAndBehavesAsSaved) {
    TMadeUnderRoot tree(300);
    TCompositeStream& made = tree.aRow;
    for (size_t i : {1, 2, 3, 6})
        SetKeys(made.aParamTab[i], {Segment(0, 10, 100), Segment(100, 20, 200, contANGLE, 0.1),
                                    Segment(200, 40, 300, contSMOOTH, 0.2)});
    for (size_t i : {7, 8})
        SetKeys(made.aParamTab[i], {Segment(0, 1, 100, contFLAT), Segment(100, 0, 300, contFLAT)});
    std::vector<TABCFormula> faces;
    for (const wchar_t* face : {L"Arial", L"Mono", L"Sans"})
        faces.emplace_back(long(faces.size()) * 100, TVariant(wxString(face)),
                           long(faces.size()) * 100 + 100);
    SetKeys(made.aParamTab[5], faces);
    const wxString stored = ParamListImage(made);
    std::string log;
    TLoggingUndo undo(log);
    // A stream read from pImage under the root, with the sequences [0, 140) and [140, 300).
    const auto read = [&tree](const wxString& pImage) {
        auto row = std::make_unique<TCompositeStream>();
        row->SetParent(&tree.aRoot, false);
        EXPECT_EQ(ReadParams(*row, L"<param-list shown=\"0\">" + pImage.Mid(12)), "");
        row->aSequenceList.push_back(TRange(0, 140));
        row->aSequenceList.push_back(TRange(140, 300));
        return row;
    };
    const auto split = [&](const wxString& pImage) {
        auto row = read(pImage);
        row->aSequenceList.front().aEnd = 300;
        row->aSequenceList.pop_back();
        EXPECT_TRUE(row->SplitJoinAt(140, &undo, true));
        for (TZVParamRow* param : row->aParamTab)
            param->aUndoList.clear();
        return row;
    };
    EXPECT_TRUE(split(stored)->SplitJoinAt(140, &undo, false));
    const auto joined = split(stored);
    joined->SplitJoinAt(140, &undo, false);
    EXPECT_EQ(ParamListImage(*joined), stored);
    const wxString image = ParamListImage(*split(stored));
    EXPECT_EQ(ParamListImage(*read(image)), image);
    // Edits at the new key, then the join.
    typedef std::function<void(TCompositeStream&)> TEdit;
    const TVariant font(wxString(L"bi20\tCourier")), colour(double(0x102030));
    const std::pair<const char*, TEdit> edits[] = {
        {"none", [](TCompositeStream&) {}},
        {"values",
         [&](TCompositeStream& r) {
             r.aParamTab[4]->EditKeyValue(140, false, font, &undo);
             r.aParamTab[0]->EditKeyValue(140, false, colour, &undo);
         }},
        {"values left",
         [&](TCompositeStream& r) {
             r.aParamTab[4]->EditKeyValue(140, true, font, &undo);
             r.aParamTab[0]->EditKeyValue(140, true, colour, &undo);
         }},
        {"flat",
         [&](TCompositeStream& r) {
             r.aParamTab[4]->EditKey(140, false, false, contFLAT, undo);
             r.aParamTab[0]->EditKey(140, true, false, contFLAT, undo);
         }},
    };
    for (const auto& edit : edits) {
        const auto inMemory = split(stored);
        const auto saved = read(image);
        for (TCompositeStream* row : {inMemory.get(), saved.get()}) {
            edit.second(*row);
            row->SplitJoinAt(140, &undo, false);
        }
        EXPECT_EQ(ParamListImage(*inMemory), ParamListImage(*saved)) << edit.first;
    }
}

TEST(CompositeParam, FactoriesReportTypesThatDoNotFit) {
    const IParamFactory* color = TZVParamRow::theFactorySet->at(L"Color");
    const IParamFactory* font = TZVParamRow::theFactorySet->at(L"Font");
    TTypeDef bigFont = FONT_PARAM_TYPE();
    bigFont.aMax = TVariant(99.0);
    std::unique_ptr<TZVParamRow> row;
    EXPECT_ASSERTS(row.reset(color->Create(TTypeDef(paramTypeREAL))),
                   L"pTypeDef.aType==paramTypeCOLOR");
    EXPECT_EQ(row->GetSubType(), L"Color");
    EXPECT_ASSERTS(row.reset(font->Create(bigFont)), L"pTypeDef==FONT_PARAM_TYPE");
    EXPECT_ASSERTS(row.reset(font->Create(FONT_PARAM_TYPE())));
    EXPECT_EQ(row->GetSubType(), L"Font");
}

TEST(CompositeParam, MisplacedOrBrokenParametersAreRefused) {
    TFakeProject project;
    const std::pair<std::string, std::string> cases[] = {
        {"cccsFffff", "Parameter 1 of Source fake Clip cannot be of type ColorComp"},
        {"sccsFffff", "Parameter 1 of Source fake Clip cannot be of type Standard"},
        {"FccsFffff", "Parameter 1 of Source fake Clip cannot be of type Font"},
        {"CcfcFffff", "Parameter 3 of Source fake Clip cannot be of type FontComp"},
        {"CcscFffff", "Parameter 3 of Source fake Clip cannot be of type Standard"},
        {"CcccCffff", "Parameter 5 of Source fake Clip cannot be of type Color"},
        {"CcccFfffC", "Parameter 9 of Source fake Clip cannot be of type Color"},
        {"CccbFffff", "Invalid key list for Param. ColorComp Blue of fake Clip"},
        {"CcccFffff", ""},
    };
    for (const auto& c : cases) {
        TCompositeStream row;
        EXPECT_EQ(ReadParams(row, Params(c.first)), c.second) << c.first;
    }
    // Made outside the stream's reader, a component without its composite, or beyond its
    // count, is refused as well.
    TCompositeStream row;
    row.CompleteCreate();
    const std::unique_ptr<wxXmlNode> list(ParseXml(Params("Cc")));
    const wxXmlNode* component = list->GetChildren()->GetNext();
    const TTypeDef integer(paramTypeINTEGER);
    EXPECT_THROW(TZVParamRow::Create(component, &row, 0, integer), TError);
    row.aParamTab[0] = TZVParamRow::Create(list->GetChildren(), &row, 0, TTypeDef(paramTypeCOLOR));
    EXPECT_THROW(TZVParamRow::Create(component, &row, 4, integer), TError);
    EXPECT_NO_THROW(delete TZVParamRow::Create(component, &row, 1, integer));
}

namespace {

// A colour "Back" whose components hold the given segments.
struct TColorSetup {
    std::vector<TABCFormula> aRed, aGreen, aBlue;
};

class TColorFixture : public testing::Test {
protected:
    void SetUp() override {
        aRoot.MakeRoot();
        aRow.CreateDefault(L"Clip");
        aRow.SetParent(&aRoot, false);
    }
    void Use(const TColorSetup& pSetup) {
        SetKeys(aRow.aParamTab[1], pSetup.aRed);
        SetKeys(aRow.aParamTab[2], pSetup.aGreen);
        SetKeys(aRow.aParamTab[3], pSetup.aBlue);
    }
    TZVSuperParamRow& Color() { return *aRow.Super(0); }
    // The colour and its components by name, for a listener recorder.
    std::map<const void*, std::string> Names() {
        return {{&Color(), "Back"},
                {aRow.aParamTab[1], "Red"},
                {aRow.aParamTab[2], "Green"},
                {aRow.aParamTab[3], "Blue"}};
    }
    const IDependFormula& Formula() { return *Color().aFormula; }

    // Before the rows: the fake formulas log into it when they die.
    std::string aLog;
    TFakeProject aProject;
    TFakeStreamRow aRoot{rowKindMIXER};
    TCompositeStream aRow;
};

} // namespace

TEST_F(TColorFixture, ValueKeysAndContinuityCombineTheComponents) {
    TABCFormula eased = Segment(10, 5, 30, contSMOOTH);
    eased.aAccel = true;
    // "<value at 10.9> <HasKey(10)> <continuity at 10, right side><+ when flagged> <value
    // with it> <flat at 20>"
    const std::pair<TColorSetup, std::string> cases[] = {
        // Green rises by 1 a unit: 10.9 is taken at 10 (0x6E, not 0x6F).
        {{{Segment(0, 255, 50)}, {Segment(0, 100, 50, contNONE, 1)}, {Segment(0, 0, 50)}},
         "FF6E00 0 4 FF6E00 0"},
        {{{Segment(0, 1, 10), Segment(10, 2, 50, contSMOOTH)},
          {Segment(10, 3, 50, contSMOOTH)},
          {Segment(10, 4, 50, contSMOOTH)}},
         "020304 3 3 020304 1"},
        {{{Segment(10, 1, 50, contSMOOTH)},
          {Segment(10, 3, 50, contANGLE)},
          {Segment(10, 4, 50, contSMOOTH)}},
         "010304 2 5 010304 1"},
        // Easing differs: mixed as well; the first visited (blue) gives the flag.
        {{{Segment(10, 1, 50, contSMOOTH)}, {Segment(10, 3, 50, contSMOOTH)}, {eased}},
         "010305 2 5+ 010305 1"},
        // Green undefined at 10.9: no value, whatever the others say.
        {{{Segment(0, 1, 50)}, {Segment(20, 3, 50)}, {Segment(10, 4, 50, contSMOOTH)}},
         "- 2 5 - 1"},
    };
    for (const auto& c : cases) {
        Use(c.first);
        EContinuity cont = contFLAT;
        bool flag = false;
        const TVariant value = Formula().GetValueNSlope(10, false, cont, flag);
        EXPECT_EQ(Hex(Color().GetValueAt(10.9)) + " " + std::to_string(Formula().HasKey(10)) + " " +
                      std::to_string(int(cont)) + (flag ? "+ " : " ") + Hex(value) + " " +
                      std::to_string(Formula().IsFlatFormula(20)),
                  c.second);
    }
}

TEST_F(TColorFixture, AnUndefinedComponentStopsTheEvaluation) {
    Use({{Segment(0, 1, 50)}, {}, {}});
    TCountingFormula* blue = new TCountingFormula(aRow.aParamTab[3], "blue", aLog);
    aRow.aParamTab[3]->aFormula = blue;
    EXPECT_TRUE(Color().GetValueAt(5).IsUndefined());
    EXPECT_EQ(blue->aCalls, 0);
    // An expression component has no key list to be flat by.
    Use({{Segment(0, 1, 50)}, {Segment(0, 1, 50)}, {}});
    EXPECT_EQ(Color().GetValueAt(5), TVariant(double(0x010107)));
    EXPECT_FALSE(Formula().IsFlatFormula(5));
    EXPECT_EQ(Formula().HasKey(0), 2);
}

// Which slots a snapshot asks for shows in the example's rendering.
TEST_F(TColorFixture, SnapshotsAreReusedAndReadTheSlotsTheHostFills) {
    Use({{Segment(0, 1, 50)}, {Segment(0, 2, 50)}, {Segment(0, 3, 50)}});
    TFakeEvaluateContext context;
    std::unique_ptr<IFormula> snapshot(Formula().CloneFormulaAt(0, nullptr, context, true));
    EXPECT_EQ(Formula().CloneFormulaAt(0, snapshot.get(), context, true), snapshot.get());
    // Empty places: undefined and flat; filled: the combined value.
    EXPECT_TRUE(snapshot->ComputePointAt(3).IsUndefined());
    EXPECT_TRUE(snapshot->IsFlatFormula(3));
    std::vector<std::unique_ptr<IFormula>> parts;
    for (int i = 1; i <= 3; ++i) {
        parts.emplace_back(
            aRow.aParamTab[size_t(i)]->aFormulaList.CloneFormulaAt(0, nullptr, context, true));
        context.aSlots[{0, i, true}] = parts.back().get();
    }
    EXPECT_EQ(snapshot->ComputePointAt(3), TVariant(double(0x010203)));
    EXPECT_TRUE(snapshot->IsFlatFormula(3));
    for (auto& slot : context.aSlots)
        slot.second = nullptr;
}

TEST_F(TColorFixture, ComponentChangesAreReportedAsTheCompositesEdit) {
    TListenerRecorder recorder;
    recorder.aNames = {{&Color(), "Back"}};
    TListenerScope scope(recorder);
    // A change reaches the composite as a listener (one report) and through its combining
    // formula (a second one, held back while the composite passes an operation down); a
    // key or sequence change only as a listener.
    aRow.aParamTab[2]->notifyListenersParamChanged();
    recorder.aCalls += "| ";
    Color().aIsApplying = true;
    aRow.aParamTab[2]->notifyListenersParamChanged();
    Color().aIsApplying = false;
    recorder.aCalls += "| ";
    aRow.aParamTab[2]->notifyOther(true);
    EXPECT_EQ(recorder.aCalls, "ParamKeyEdit(Back,0) ParamKeyEdit(Back,0) | "
                               "ParamKeyEdit(Back,0) | ParamKeyEdit(Back,0) ");
    // Removing the composite's listeners leaves no entry behind.
    Color().aFormula->AddListeners(true);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(aRow.aParamTab[size_t(i)]->aListenerList.empty());
    EXPECT_ASSERTS(Color().aFormula->AddListeners(false), L"false", L"false", L"false");
}

TEST_F(TColorFixture, KeyDeletionsPassToTheComponentsLastToFirst) {
    aRow.aSequenceList.push_back(TRange(0, 200));
    Use({{Segment(0, 1, 100), Segment(100, 2, 200)},
         {Segment(0, 1, 100), Segment(100, 2, 200)},
         {Segment(0, 3, 150), Segment(150, 3, 200)}});
    TListenerRecorder recorder;
    recorder.aNames = Names();
    TListenerScope scope(recorder);
    TUndoCompilerLog undo;
    TRangeList all;
    all.push_back(TRange(0, 200));
    EXPECT_FALSE(Color().SplitAt(50, undo));
    EXPECT_FALSE(Color().BeginKeyShift(all));
    Color().ExtendEnd(300);
    Color().DeleteFormula(120, undo);
    aRow.deleteKey(0, undo);
    EXPECT_TRUE(Color().aFormulaList.empty());
    // Each component reports its own edit; the composite only passes the change on. Blue
    // holds no key at 0 once its first segment is gone.
    EXPECT_EQ(recorder.aCalls,
              "ParamKeyEdit(Blue,150) ParamKeyEdit(Back,0) ParamKeyEdit(Green,100200) "
              "ParamKeyEdit(Back,0) ParamKeyEdit(Red,100200) ParamKeyEdit(Back,0) "
              "ParamKeyEdit(Green,200) ParamKeyEdit(Back,0) ParamKeyEdit(Back,100101) "
              "KeyToggle(,100) ParamKeyEdit(Red,200) ParamKeyEdit(Back,0) ");
    std::string segments;
    for (int i = 1; i <= 3; ++i) {
        for (const TABCFormula& segment : aRow.aParamTab[size_t(i)]->aFormulaList)
            segments += std::to_string(segment.aBegin) + "-" + std::to_string(segment.aEnd) + " ";
        segments += "|";
    }
    EXPECT_EQ(segments, "0-200 |0-200 |150-200 |");
}

namespace {

// The components from pFirst on at pTime, as "value,value".
std::string ComponentValues(const TZVStreamRow& pRow, size_t pFirst, size_t pCount, double pTime) {
    std::string text;
    for (size_t i = pFirst; i < pFirst + pCount; ++i) {
        const TVariant value = pRow.aParamTab[i]->GetValueAt(pTime);
        text += (value.IsText() ? value.GetText().ToStdString()
                                : std::to_string(value.GetDouble()).substr(0, 4)) +
                ",";
    }
    return text;
}

} // namespace

TEST_F(TColorFixture, KeyEditsAndValuesPassToTheComponentsBlueFirst) {
    Use({{Segment(0, 1, 100), Segment(100, 2, 200)},
         {Segment(0, 1, 100), Segment(100, 2, 200)},
         {Segment(0, 1, 100), Segment(100, 2, 200)}});
    TListenerRecorder recorder;
    recorder.aNames = Names();
    TListenerScope scope(recorder);
    TUndoCompilerLog undo;
    Color().EditKey(50, false, false, contANGLE, undo);
    EXPECT_TRUE(Color().aFormulaList.empty());
    EXPECT_EQ(KeyText(Color().aKeyList), "0:3 50:6 100:6 200:3 ");
    recorder.aCalls.clear();
    Color().EditKeyValue(100, false, TVariant(double(0x123456)), &undo);
    EXPECT_EQ(ComponentValues(aRow, 1, 3, 100), "18.0,52.0,86.0,");
    EXPECT_EQ(undo.aLog, "param:Deep param:Back - Green param:Back - Red "
                         "param:Deep param:Back - Green param:Back - Red ");
    EXPECT_EQ(recorder.aCalls, "ParamKeyEdit(Blue,100200) ParamKeyEdit(Back,0) "
                               "ParamKeyEdit(Green,100200) ParamKeyEdit(Back,0) "
                               "ParamKeyEdit(Red,100200) ParamKeyEdit(Back,0) ");
    // NaN would round to black.
    EXPECT_ASSERTS(Color().EditKeyValue(100, false, TVariant(NAN), &undo), L"IsKeyValue(pValue)");
    EXPECT_EQ(ComponentValues(aRow, 1, 3, 100), "18.0,52.0,86.0,");

    SetKeys(aRow.aParamTab[5], {TABCFormula(0, TVariant(wxString(L"Arial")), 100)});
    for (size_t i = 6; i <= 8; ++i)
        SetKeys(aRow.aParamTab[i], {Segment(0, 0, 100, contFLAT)});
    undo.aLog.clear();
    aRow.aParamTab[4]->EditKeyValue(0, false, TVariant(wxString(L"Bi14\tCourier")), &undo);
    EXPECT_EQ(undo.aLog, "param:Title - Name param:Title - Size param:Title - Bold "
                         "param:Title - Italic ");
    EXPECT_EQ(ComponentValues(aRow, 5, 4, 10), "Courier,14.0,1.00,0.00,");
    for (const TVariant& bad : {TVariant(wxString(L"Bx9\tMono")), TVariant(12.0)})
        EXPECT_THROW(aRow.aParamTab[4]->EditKeyValue(0, false, bad, &undo), TError);
    EXPECT_EQ(ComponentValues(aRow, 5, 4, 10), "Courier,14.0,1.00,0.00,");
}

// An eased key set on a colour eases each component as on any row. A key set FLAT inside the
// eased piece then leaves a flat piece that ends where the ease out was, and keeps it: every
// step of the split says so (the copy keeps the ease out, the left piece loses it), so the
// curve computation reports the easing the continuity excludes, once per component.
TEST_F(TColorFixture, AKeyOnAColourGivesEachComponentTheCurvesOfTheSplitSteps) {
    const std::vector<TABCFormula> keys = {Segment(15, 0, 23, contNONE, 1),
                                           Segment(23, 100, 32, contNONE, -1)};
    Use({keys, keys, keys});
    TUndoCompilerLog undo;
    // Coefficients c/b/a of each segment, to 6 digits.
    const auto curves = [this] {
        std::string text;
        for (size_t i = 1; i <= 3; ++i) {
            text += ShapeText(*aRow.aParamTab[i]) + ":";
            for (const TABCFormula& segment : aRow.aParamTab[i]->aFormulaList)
                text +=
                    wxString::Format(L" %g/%g/%g", segment.c, segment.b, segment.a).utf8_string();
            text += "\n";
        }
        return text;
    };
    Color().EditKey(21, true, true, contANGLE, undo);
    std::string eased;
    for (int i = 0; i < 3; ++i)
        eased += "15-21 N 0>6 d|21-23 A 6>100 a|23-32 N 100>91: 2/-0.166667/0 0/23.5/0 -1/0/0\n";
    EXPECT_EQ(curves(), eased);
    const wxString decel = L"!aDecel||((aCont!=contFLAT)&&((pNextFormula==__null)||((pNextFormula->"
                           L"aCont!=contSMOOTH)&&(pNextFormula->aCont!=contFLAT))))";
    std::vector<wxString> reports;
    for (int i = 0; i < 3; ++i)
        reports.insert(reports.end(), {decel, L"!(aAccel|aDecel)"});
    {
        TAssertCapture capture;
        Color().EditKey(20, false, false, contFLAT, undo);
        EXPECT_EQ(capture.Conditions(), reports);
    }
    std::string flat;
    for (int i = 0; i < 3; ++i)
        flat += "15-20 N 0>5.83333|20-21 F 5.83333>5.83333 d|21-23 N 6>100 a|23-32 N 100>91: "
                "1.16667/0/0 0/0/0 0/23.5/0 -1/0/0\n";
    EXPECT_EQ(curves(), flat);
}

TEST_F(TColorFixture, CompositeShiftMovesNothingAndAComponentEndsItsShiftWithItsImage) {
    Use({{Segment(0, 1, 100)}, {Segment(0, 1, 100)}, {Segment(0, 3, 150)}});
    TFakeTimeSelection selection({TRange(0, 200)});
    TListenerRecorder recorder;
    TListenerScope scope(recorder);
    Color().Shift(20, false);
    EXPECT_TRUE(Color().aFormulaList.empty());
    EXPECT_EQ(aRow.aParamTab[3]->aFormulaList.begin()->aBegin, 0);
    EXPECT_EQ(recorder.aCalls, "");
    TUndoCompilerLog undo;
    dynamic_cast<TZVSubParamRow&>(*aRow.aParamTab[2]).EndShift(undo);
    EXPECT_EQ(undo.aLog, "param:Back - Green ");
}

TEST_F(TColorFixture, ListingPassesToTheUnselectedComponents) {
    TFakeRowSelection selection;
    std::list<TZVParamRow*> listed;
    selection.aSelected = {aRow.aParamTab[2]};
    Color().ListParam(listed);
    EXPECT_TRUE(listed.empty());
    selection.aSelected.insert(&Color());
    Color().ListParam(listed);
    EXPECT_EQ(listed, (std::list<TZVParamRow*>{aRow.aParamTab[3], aRow.aParamTab[1]}));
}

TEST(CompositeParam, ColorAndFontComputeTheirValues) {
    struct TColorCase {
        double aRed, aGreen, aBlue, aValue;
    } colors[] = {{255, 128, 0, 0xFF8000},
                  {300, -4, 127.5, 0xFF0080},
                  {0, 126.5, 1, 0x007F01},
                  {NAN, 1, 1, 0x000101}};
    for (const TColorCase& c : colors) {
        const TVariant parts[] = {c.aRed, c.aGreen, c.aBlue};
        EXPECT_EQ(TZVColorParamRow::Compute(parts), TVariant(c.aValue)) << c.aValue;
    }
    struct TFontCase {
        TVariant aFace;
        double aSize, aBold, aItalic;
        const wchar_t* aImage;
    } fonts[] = {{TVariant(wxString(L"Arial")), 12, 1, 0, L"Bi12\tArial"},
                 {TVariant(3.0), 9.6, 0, 2, L"bI10\t"}};
    for (const TFontCase& c : fonts) {
        const TVariant parts[] = {c.aFace, c.aSize, c.aBold, c.aItalic};
        EXPECT_EQ(TZVFontParamRow::Compute(parts), TVariant(wxString(c.aImage)));
    }
}
