#include "DLL/Row/StreamRow.h"

#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamEditList.h"
#include "DLL/Row/ZVFormula.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/RowText.h"
#include "support/TestStreamRow.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const wchar_t* const BAD_INDEX = L"pIndex >= 0 && pIndex < GetSetupCount() && "
                                 L"size_t(pIndex) < aSetupTab.size()";

// The test stream Clip under a root.
class StreamSetup : public testing::Test {
protected:
    StreamSetup() : aRoot(rowKindMIXER, L"R") {
        aRoot.MakeRoot();
        aClip.CreateDefault(L"Clip");
        aClip.SetStreamParent(&aRoot, true);
    }

    TFakeStreamRow aRoot;
    TTestStreamRow aClip;
};

// Clip read with the given expressions as its parameters' values.
std::unique_ptr<TTestStreamRow> WithFormulas(const wchar_t* pLevel, const wchar_t* pGain) {
    const std::unique_ptr<wxXmlNode> element(ParseXml(
        wxString(L"<source type=\"test\" name=\"Clip\"><seq-list/><setup-list><setup/>"
                 L"</setup-list><param-list shown=\"0\"><param type=\"Standard\" name=\"Level\">"
                 L"<value>") +
        pLevel + L"</value></param><param type=\"Standard\" name=\"Gain\"><value>" + pGain +
        L"</value></param></param-list></source>"));
    TTestStreamRow::Register();
    return std::unique_ptr<TTestStreamRow>(TTestStreamRow::Read(element.get()));
}

TZVFormula& Formula(const TZVStreamRow& pRow, size_t pIndex) {
    return dynamic_cast<TZVFormula&>(*pRow.aParamTab[pIndex]->aFormula);
}

} // namespace

TEST_F(StreamSetup, SetupEditsGiveARecordThatUndoesAndRedoes) {
    bool update = false;
    const std::unique_ptr<wxXmlNode> record(
        aClip.EditSetup(0, TVariant(wxString(L"Bold")), update));
    ASSERT_TRUE(record);
    EXPECT_EQ(XmlText(*record), L"<r><p i=\"0\"><source path=\"Clip\"/></p><r>none</r></r>");
    EXPECT_TRUE(update);
    EXPECT_EQ(aClip.aSetupTab[0], TVariant(wxString(L"Bold")));

    wxXmlNode* value = record->GetChildren()->GetNext();
    EXPECT_TRUE(aClip.UndoSetup(0, value));
    EXPECT_EQ(aClip.aSetupTab[0], TVariant(wxString(L"none")));
    EXPECT_EQ(XmlText(*value), L"<r>Bold</r>");
    EXPECT_TRUE(aClip.UndoSetup(0, value));
    EXPECT_EQ(aClip.aSetupTab[0], TVariant(wxString(L"Bold")));
    EXPECT_EQ(XmlText(*value), L"<r>none</r>");

    // Without kind bit 3 the host has nothing to apply.
    TTestStreamRow::theControls[2].aKind = TControlInfo::categorySETUP;
    delete aClip.EditSetup(0, TVariant(wxString(L"Plain")), update);
    EXPECT_FALSE(update);
    EXPECT_FALSE(aClip.UndoSetup(0, value));
    TTestStreamRow::theControls = TTestStreamRow::Controls();

    // An index from a damaged record changes nothing.
    for (int index : {-1, 1}) {
        update = true;
        EXPECT_ASSERTS(EXPECT_EQ(aClip.EditSetup(index, TVariant(1.0), update), nullptr),
                       BAD_INDEX);
        EXPECT_FALSE(update);
        EXPECT_ASSERTS(EXPECT_FALSE(aClip.UndoSetup(index, value)), BAD_INDEX);
    }
    EXPECT_EQ(aClip.aSetupTab[0], TVariant(wxString(L"none")));
    EXPECT_EQ(XmlText(*value), L"<r>Plain</r>");
}

TEST(StreamWalks, FormulaImagesAreFrozenOutsideTheExcludedRow) {
    TZVFormula::SetFrameRate(25);
    const std::unique_ptr<TTestStreamRow> cached = WithFormulas(L"time*2", L"image");
    const std::unique_ptr<TTestStreamRow> excluded = WithFormulas(L"time*2", L"image");
    cached->CacheFormulaImage(excluded.get());
    excluded->CacheFormulaImage(excluded.get());
    for (TTestStreamRow* row : {cached.get(), excluded.get()})
        Formula(*row, 0).Parse(L"1");
    EXPECT_EQ(Formula(*cached, 0).GetImage(), L"time * 2");
    EXPECT_EQ(Formula(*excluded, 0).GetImage(), L"1");
}

TEST(StreamWalks, DependentsAreTheListenersOutsideTheListedSubtrees) {
    TFakeStreamRow root(rowKindMIXER, L"R");
    root.MakeRoot();
    TFakeStreamRow listed(rowKindSOURCE, L"A"), inner(rowKindFILTER, L"F"),
        sibling(rowKindSOURCE, L"B");
    listed.SetParent(&root, true);
    inner.SetParent(&listed, true);
    sibling.SetParent(&root, true);
    TZVParamRow* const a0 = listed.AddParam(true);
    TZVParamRow* const a1 = listed.AddParam(true);
    TZVParamRow* const f0 = inner.AddParam(true);
    TZVParamRow* const b0 = sibling.AddParam(true);
    TZVParamRow* const r0 = root.AddParam(true);
    TFakeParamRow loose, earlier;
    a0->AddListener(f0, true);
    a0->AddListener(b0, true);
    a1->AddListener(b0, false);
    a1->AddListener(r0, true);
    a1->AddListener(&loose, true);
    f0->AddListener(a1, true);

    std::list<TZVParamRow*> out{b0, &earlier};
    TZVStreamRow::GetDependents({&listed}, out, &root);
    std::list<TZVParamRow*> expected{b0, r0, &loose, &earlier};
    expected.sort();
    EXPECT_EQ(out, expected);

    for (TZVParamRow* param : {a0, a1, f0})
        param->aListenerList.clear();
}

TEST(StreamEnable, ParametersSwitchWithTheirKeysAndTheirBlock) {
    TListenerRecorder recorder;
    TListenerScope scope(recorder);
    TFakeStreamRow root(rowKindMIXER, L"R");
    root.MakeRoot();
    TFakeStreamRow stream(rowKindSOURCE, L"S");
    stream.SetParent(&root, true);
    TZVParamRow* const p0 = stream.AddParam(true);
    TZVParamRow* const p1 = stream.AddParam(true);
    TZVParamRow* const p2 = stream.AddParam(true, 30);
    recorder.aNames = {{&stream, "S"}, {p0, "p0"}, {p1, "p1"}, {p2, "p2"}};
    p0->insertFormula(TABCFormula(10, TVariant(1.0), 20), nullptr, false);
    recorder.aCalls.clear();

    // Closed block: keys withdrawn and given back (once each); the last one off is reported
    // at once.
    for (bool enable : {false, false, true})
        stream.EnableParam(p0, enable);
    for (TZVParamRow* param : {p1, p2, p0})
        stream.EnableParam(param, false);
    TZVStreamRow::EndEnableParam();
    EXPECT_EQ(recorder.aCalls, "KeyToggle(S,10) KeyToggle(S,20) KeyToggle(S,10) KeyToggle(S,20) "
                               "KeyToggle(S,10) KeyToggle(S,20) RowModified(S,3) ");

    // Open block: it grows and shrinks by the row's height, the rows below move, and the
    // batch is reported at its end.
    stream.ShowAt(100);
    stream.ShowParam(true);
    stream.EnableParam(p0, true);
    stream.EnableParam(p2, true);
    TZVStreamRow::EndEnableParam();
    stream.aLog.clear();
    recorder.aCalls.clear();
    stream.EnableParam(p0, false);
    EXPECT_EQ(stream.aParamHeight, 30);
    EXPECT_EQ(p2->aTop, 124);
    stream.EnableParam(p1, true);
    EXPECT_EQ(stream.aParamHeight, 54);
    EXPECT_EQ(p2->aTop, 148);
    EXPECT_EQ(stream.aLog, "ParamGrow(-24) ParamGrow(24) ");
    TZVStreamRow::EndEnableParam();
    EXPECT_EQ(recorder.aCalls, "KeyToggle(S,10) KeyToggle(S,20) RowModified(p1,0) ");
}

TEST(StreamEditList, EachParameterKeepsOneKeySpanningItsEdits) {
    TFakeStreamRow first(rowKindSOURCE, L"S"), second(rowKindSOURCE, L"T");
    TFakeParamRow a, b;
    TStreamEditList list;
    list.AddKey(&first, &a, TABCFormula(10, TVariant(1.0), 20));
    list.AddKey(&first, &a, TABCFormula(40, TVariant(2.0), 50));
    list.AddKey(&first, &b, TABCFormula(0, TVariant(wxString(L"x")), 5));
    list.AddKey(&second, &a, TABCFormula(7, TVariant(3.0), 8));
    list.AddKey(&first, &a, TABCFormula(60, TVariant(2.0), 60));
    std::string text;
    for (const TStreamEdit& stream : list)
        for (const TParamEdit& param : stream.aParamEdits)
            for (const TABCFormula& key : param.aKeys)
                text += stream.aStream->aName + (param.aParam == &a ? "a(" : "b(") +
                        std::to_string(key.aBegin) + "," + std::to_string(key.aEnd) + ")" +
                        key.aValue.GetImage() + std::to_string(param.aFlags) + " ";
    EXPECT_EQ(text, "Ta(7,8)" + TVariant(3.0).GetImage() + "0 Sb(0,5)x0 Sa(10,50)" +
                        TVariant(1.0).GetImage() + "0 ");
}
