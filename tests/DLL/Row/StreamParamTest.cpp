#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamFactory.h"
#include "DLL/Row/StreamRow.h"

#include "support/AssertCapture.h"
#include "support/FakeHost.h"
#include "support/FakeRows.h"
#include "support/RowText.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The parameters' elements, "-" for an empty slot.
wxString ParamImages(const TZVStreamRow& pRow) {
    wxString text;
    for (const TZVParamRow* param : pRow.aParamTab) {
        std::unique_ptr<wxXmlNode> image(param ? param->GetXmlImage() : nullptr);
        text += image ? XmlText(*image) : wxString(L"-");
    }
    return text;
}

TControlInfo Entry(int pKind, int pIndex, const TTypeDef& pType, const wchar_t* pLabel) {
    TControlInfo info(pIndex, pType, pLabel, true);
    info.aKind = pKind;
    return info;
}

} // namespace

TEST(StreamParam, ParametersAndSetupsComeFromTheControlTable) {
    TFakeProject project;
    TFakeStreamRow root(rowKindMIXER);
    root.MakeRoot();
    root.aSequenceList.Add(0, 50, root.aSequenceList.end());
    TTypeDef text(paramTypeTEXT);
    text.aDefault = TVariant(wxString(L"Sans"));
    TTypeDef level(paramTypeINTEGER);
    level.aDefault = 7.0;
    TFakeStreamRow row(rowKindSOURCE);
    row.aControls = {Entry(0, 0, level, L"On"), Entry(4, 1, level, L"Off"),
                     Entry(2, 0, text, L"Face"), Entry(8, 2, level, L"Panel"),
                     Entry(1, 0, level, L"Neither")};
    row.aParamControls = {0, 1, 3};
    row.aSetupControls = {2};
    row.aParamCount = 3;
    row.aSetupCount = 1;
    row.CreateDefault(L"Clip");
    EXPECT_EQ(row.aName, L"Clip");
    ASSERT_EQ(row.aSetupTab.size(), 1u);
    EXPECT_EQ(row.aSetupTab[0], text.aDefault);
    EXPECT_NE(&row.aSetupTab[0].GetText(), &text.aDefault.GetText());

    // Linked, the row takes its parent's sequences and its parameters default segments;
    // the enabled one's keys climb (the row is hidden).
    row.SetStreamParent(&root, false);
    EXPECT_EQ(RangeText(row.aSequenceList), "(0,50)");
    const wchar_t* const segment = L"<value><key time=\"0\" to=\"50\" kind=\"1\">G?w</key></value>";
    EXPECT_EQ(ParamImages(row),
              L"<param type=\"Standard\" name=\"On\">" + wxString(segment) +
                  L"</param><param type=\"Standard\" name=\"Off\" disabled=\"\">" + segment +
                  L"</param><param type=\"Standard\" name=\"Panel\" "
                  L"disabled=\"\">" +
                  segment + L"</param>");
    EXPECT_EQ(row.aParamTab[2]->aLevel, 2);
    EXPECT_EQ(root.aKeyList.size(), 2u);
}

TEST(StreamParam, EntriesOutOfOrderOrOfUnknownTypesAreReportedAndSkipped) {
    const TTypeDef real(paramTypeREAL);
    TFakeStreamRow row(rowKindSOURCE);
    row.aControls = {Entry(0, 0, real, L"A"),          Entry(0, 5, real, L"B"),
                     Entry(0, 1, real, L"C"),          Entry(2, 3, real, L"S"),
                     Entry(0, 2, TTypeDef(8), L"Odd"), Entry(0, 2, real, L"D"),
                     Entry(0, 3, real, L"E")};
    row.aParamCount = 3;
    row.aSetupCount = 1;
    row.aParamTab.assign(3, nullptr);
    row.aSetupTab.assign(1, TVariant());
    EXPECT_ASSERTS(row.CreateStreamParam(true), L"ParamCount == ControlInfo->index",
                   L"SetupCount == ControlInfo->index", L"false",
                   L"ParamCount == ControlInfo->index", L"SetupCount == GetSetupCount()");
    EXPECT_EQ(ParamImages(row), L"<param type=\"Standard\" name=\"A\"><value/></param>"
                                L"<param type=\"Standard\" name=\"C\"><value/></param>"
                                L"<param type=\"Standard\" name=\"D\"><value/></param>");
}

TEST(StreamParam, SequencesAreInheritedOnlyByRowsWithoutTheirOwn) {
    TFakeProject project;
    TFakeStreamRow root(rowKindMIXER);
    root.MakeRoot();
    root.aSequenceList.Add(10, 60, root.aSequenceList.end());
    // {own sequence (none when empty), after SetStreamParent, after Inherit(true), after
    //  Inherit(false)}
    for (const auto& c : {std::make_tuple(TRange(), "(10,60)", "", "(10,60)"),
                          std::make_tuple(TRange(0, 5), "(0,5)", "", "(10,60)")}) {
        TFakeStreamRow row(rowKindSOURCE);
        if (!std::get<0>(c).IsEmpty())
            row.aSequenceList.push_back(std::get<0>(c));
        row.SetStreamParent(&root, true);
        EXPECT_EQ(RangeText(row.aSequenceList), std::get<1>(c));
        row.Inherit(true);
        EXPECT_EQ(RangeText(row.aSequenceList), std::get<2>(c));
        row.Inherit(false);
        row.Inherit(false);
        EXPECT_EQ(RangeText(row.aSequenceList), std::get<3>(c));
    }
    TFakeStreamRow orphan(rowKindSOURCE);
    EXPECT_ASSERTS(EXPECT_FALSE(orphan.CopyParentSequence()), L"GetParent()!=__null");
    EXPECT_ASSERTS(orphan.SetStreamParent(nullptr, false), L"pParent != __null");

    // The first sequence begins where the parent's does: 0 without parent or sequences.
    orphan.SetInitSequence(100);
    TFakeStreamRow under(rowKindSOURCE);
    under.SetParent(&root, false);
    under.SetInitSequence(2147483647);
    TFakeStreamRow empty(rowKindMIXER);
    TFakeStreamRow bare(rowKindSOURCE);
    bare.SetParent(&empty, false);
    bare.SetInitSequence(30);
    EXPECT_EQ(RangeText(orphan.aSequenceList) + RangeText(under.aSequenceList) +
                  RangeText(bare.aSequenceList),
              "(0,100)(10,2147483647)(0,30)");
    EXPECT_ASSERTS(bare.SetInitSequence(30), L"aSequenceList.empty()");
}

namespace {

std::string Segments(const TZVParamRow& pRow) {
    std::string text;
    for (const TABCFormula& segment : pRow.aFormulaList)
        text += "[" + std::to_string(segment.aBegin) + "," + std::to_string(segment.aEnd) + ") ";
    return text;
}

} // namespace

// A row read without sequences takes its parent's when it is linked: its parameters' keys are
// cut to them as a resize cuts keys at a sequence edge (a last segment keeps an open end),
// and what no key covers is filled, without any report.
TEST(StreamParam, StoredKeysFollowTheSequencesTakenFromTheParent) {
    const long open = TZVParamRow::OPEN_END;
    // {stored segments, segments once linked}
    const struct {
        std::vector<TRange> aStored;
        std::string aLinked;
    } cases[] = {
        {{}, "[0,50) [60,100) "},
        {{{10, 20}}, "[0,10) [10,20) [20,50) [60,100) "},
        {{{-10, 70}}, "[0,50) [60,70) [70,100) "},
        {{{40, open}}, "[0,40) [40,50) [60,2147483647) "},
        {{{-30, -20}, {55, 58}, {120, 130}, {140, open}}, "[0,50) [60,100) "},
        {{{-5, 0}, {0, 50}, {90, 100}, {100, 120}}, "[0,50) [60,90) [90,100) "},
    };
    for (const auto& c : cases) {
        TFakeProject project;
        TFakeStreamRow root(rowKindMIXER);
        root.MakeRoot();
        root.aSequenceList.Add(0, 50, root.aSequenceList.end());
        root.aSequenceList.Add(60, 100, root.aSequenceList.end());
        TFakeStreamRow row(rowKindSOURCE);
        TFakeParamRow* param = row.AddParam(true);
        for (const TRange& stored : c.aStored)
            param->insertFormula(TABCFormula(stored.aBegin, TVariant(1.0), stored.aEnd), nullptr,
                                 false);
        row.SetStreamParent(&root, false);
        EXPECT_EQ(Segments(*param), c.aLinked);
        EXPECT_TRUE(param->aUndoList.empty());
        TFakeStreamRow recount;
        recount.AddParam(true)->aFormulaList = param->aFormulaList;
        recount.aParamTab[0]->PropagateAll(true);
        EXPECT_EQ(KeyText(row.aKeyList), KeyText(recount.aKeyList)) << c.aLinked;
    }
}
