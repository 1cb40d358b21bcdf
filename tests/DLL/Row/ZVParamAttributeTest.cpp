#include "DLL/Row/ZVParamAttribute.h"

#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVParamAttrParser.h"

#include "support/AssertCapture.h"
#include "support/FakeHost.h"
#include "support/FakeRows.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A parser that logs each error with the cursor's offset.
class TLogParser : public NSExpression::TParser {
public:
    explicit TLogParser(const wchar_t* pText) : aText(pText) { aCursor = pText; }
    void AddError(const wchar_t* pText) override {
        aLog += wxString::Format(L"%d %ls;", int(aCursor - aText), pText);
    }
    const wchar_t* aText;
    wxString aLog;
};

// A mixer Main holding the source Clip, the current project's tree.
class References : public testing::Test {
protected:
    References() : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TZVFormula::SetFrameRate(25);
        aMain = MakeRow<TTestMixerRow>(L"Main");
        aRoot->InsertSource(aMain, nullptr);
        aClip = MakeRow<TTestSourceRow>(L"Clip");
        aMain->InsertSource(aClip, nullptr);
    }

    TZVParamRow* Param(int pIndex) const { return aClip->aParamTab[size_t(pIndex)]; }
    // Installs pText as pRow's formula, bound and registered; the errors as a text.
    wxString Install(TZVParamRow* pRow, const wxString& pText) {
        TZVFormula* formula = new TZVFormula(pRow);
        formula->Parse(pText.wc_str());
        pRow->InitFormula(formula);
        pRow->AddFormulaListeners(false);
        return Errors(*formula);
    }
    static wxString Errors(const TZVFormula& pFormula) {
        wxString log;
        for (const auto& error : pFormula.GetErrors())
            log += error.aMessage + L";";
        return log;
    }
    TZVFormula& FormulaOf(const TZVParamRow* pRow) const {
        return *static_cast<TZVFormula*>(pRow->aFormula);
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    TTestMixerRow* aMain;
    TTestSourceRow* aClip;
};

} // namespace

TEST(ParamReference, ParsesElementsAttributeAndErrors) {
    const wxString last = L"The last element of parameter reference is not a parameter element;";
    // {text, path, attribute, where the cursor ends, errors with their offsets}
    const struct {
        const wchar_t* aText;
        const wchar_t* aPath;
        int aAttr;
        int aEnd;
        wxString aErrors;
    } cases[] = {
        {L"[m:Main][s:Clip][p:2].v+1",
         L"<p><mixer path=\"Main\"/><source path=\"Clip\"/><param path=\"2\"/></p>", 0, 23, L""},
        {L"[mixer:A]]B][param:1 - X].begin", L"<p><mixer path=\"A]B\"/><param path=\"1\"/></p>", 2,
         31, L""},
        {L"[source:S][:3 - Opacity].", L"<p><source path=\"S\"/><param path=\"3\"/></p>", 0, 25,
         L""},
        {L"[source:S][param:3].endSeq", L"<p><source path=\"S\"/><param path=\"3\"/></p>", 7, 26,
         L""},
        {L"[source:S][param:3].end", L"<p><source path=\"S\"/><param path=\"3\"/></p>", 3, 23, L""},
        {L"[source:S][param:3].is", L"<p><source path=\"S\"/><param path=\"3\"/></p>", 4, 22, L""},
        {L"[source:S][param:3].endX", L"<p><source path=\"S\"/><param path=\"3\"/></p>", 8, 24,
         L"24 Unknown parameter reference attribute;"},
        {L"[filter:F][param:1].value", L"<p><filter path=\"F\"/><param path=\"1\"/></p>", 0, 25,
         L"7 First element of parameter reference is not a mixer;"},
        {L"[source:S][param:1][param:2].value",
         L"<p><source path=\"S\"/><param path=\"1\"/><param path=\"2\"/></p>", 0, 34,
         L"19 The parameter element inside parameter reference must be the last element;"},
        {L"[mixer:M][source:S].value", L"<p><mixer path=\"M\"/><source path=\"S\"/></p>", 0, 25,
         L"25 " + last},
        {L"[mixer:M][source:S", L"", 0, 18,
         L"18 End of expression found inside parameter reference;"},
        {L"[source:A]]B]]", L"", 0, 14, L"14 End of expression found inside parameter reference;"},
        {L"[x:S][param:1]+", L"<p><source path=\"S\"/><param path=\"1\"/></p>", 0, 15,
         L"2 Invalid parameter reference element type prefix;"
         L"14 No attribute requested for parameter reference;"},
        {L"[S][param:1].v", L"<p><source path=\"S\"/><param path=\"1\"/></p>", 0, 14,
         L"2 Element type prefix missing ([param|filter|source]:);"},
        {L"[mixer:M: a][param:1 x]", L"<p><mixer path=\"M: a\"/><param path=\"1\"/></p>", 0, 23,
         L"23 No attribute requested for parameter reference;"},
        {L"[source:S][source:T]", L"<p><source path=\"S\"/><source path=\"T\"/></p>", 0, 20,
         L"20 No attribute requested for parameter reference;20 " + last},
    };
    for (const auto& c : cases) {
        TLogParser parser(c.aText);
        const TParamAttrSpec ref = ParseParamReference(parser);
        const std::unique_ptr<wxXmlNode> path(ref.Path);
        EXPECT_EQ(path ? XmlText(*path) : wxString(), c.aPath) << c.aText;
        EXPECT_EQ(int(ref.Attr), c.aAttr) << c.aText;
        EXPECT_EQ(int(parser.GetCursor() - c.aText), c.aEnd) << c.aText;
        EXPECT_EQ(parser.aLog, c.aErrors) << c.aText;
    }
}

TEST_F(References, ResolvedReferencesPrintTheirRowsCurrentName) {
    aMain->Rename(L"A]B");
    Param(2)->aName = L"Opacity";
    const wxString written = L"[mixer:A]]B][source:Clip][param:3 - Opacity].value";
    EXPECT_EQ(TZVFormula::GetRowName(Param(2)), L"[mixer:A]]B][source:Clip][param:3 - Opacity]");
    EXPECT_EQ(Install(Param(0), L"[m:A]]B][s:Clip][p:3 - Old].v * 2"), L"");
    EXPECT_EQ(FormulaOf(Param(0)).GetImage(), written + L" * 2");
}

TEST_F(References, AttributesFollowTheSequencesAndTheType) {
    aClip->aSequenceList.clear();
    aClip->aSequenceList.push_back(TRange(10, 20));
    aClip->aSequenceList.push_back(TRange(30, 40));
    Param(2)->SetDefSlope(0.002);
    Param(1)->aTypeDef = TTypeDef(paramTypeTEXT);
    Param(1)->insertFormula(TABCFormula(0, TVariant(wxString(L"Title")), TZVParamRow::OPEN_END),
                            nullptr, false);
    // A filter below Clip answers with its own sequences, not with those of the source above.
    TZVFilterRow* fade = MakeFilter(L"Opacity", L"Fade");
    aClip->InsertFilter(fade, nullptr);
    fade->aSequenceList.clear();
    fade->aSequenceList.push_back(TRange(14, 18));
    // {reference below Clip, time, value}
    const struct {
        const wchar_t* aRef;
        double aTime;
        double aValue;
    } cases[] = {
        {L"[param:3].beginSequence", 12.7, 10},
        {L"[param:3].endSequence", 12.7, 20},
        {L"[param:3].beginSequence", 25, 25},
        {L"[param:3].endSequence", -3.5, -3.5},
        {L"[param:3].isInSequence", 9.9, 0},
        {L"[param:3].isInSequence", 10.9, 1},
        {L"[param:3].isInSequence", 20, 0},
        {L"[param:3].endSequence", 35.5, 40},
        {L"[param:3].begin", 50, 10},
        {L"[param:3].end", 0, 40},
        {L"[param:3].defaultRate", 0, 2},
        {L"[param:3].isDefined", 5, 0},
        {L"[param:2].isDefined", 5, 1},
        {L"[filter:Fade][param:1].begin", 0, 14},
        {L"[filter:Fade][param:1].endSequence", 15.5, 18},
        {L"[filter:Fade][param:1].isInSequence", 12, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Install(Param(0), L"[mixer:Main][source:Clip]" + wxString(c.aRef)), L"");
        EXPECT_EQ(FormulaOf(Param(0)).ComputePointAt(c.aTime).GetDouble(), c.aValue) << c.aRef;
    }
    aClip->aSequenceList.clear();
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:3].begin"), L"");
    EXPECT_TRUE(FormulaOf(Param(0)).ComputePointAt(0).IsUndefined());
}

TEST_F(References, CyclesAndBadPathsLeaveTheReferenceUnbound) {
    const wxString cycle =
        L"Referring to value of parameter [mixer:Main][source:Clip][param:1 - p1] in parameter "
        L"[mixer:Main][source:Clip][param:1 - p1] formula causes a circular reference;";
    Param(0)->aName = L"p1";
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:1].value"), cycle);
    EXPECT_EQ(FormulaOf(Param(0)).GetImage(), L"[m:Main][s:Clip][p:1].value");
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:1].isInSequence"), L"");
    // "isDefined" computes the value: reading it of the own row is a cycle too.
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:1].isDefined"), cycle);

    // A reads B; B reading A is refused, and stays refused after listeners come and go.
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:2].value + 1"), L"");
    EXPECT_NE(Install(Param(1), L"[m:Main][s:Clip][p:1].value + 1"), L"");
    Param(1)->AddFormulaListeners(true);
    EXPECT_FALSE(Param(1)->AddFormulaListeners(false));
    EXPECT_TRUE(FormulaOf(Param(0)).ComputePointAt(0).IsUndefined());

    // A path to no parameter, and to no row at all.
    EXPECT_EQ(Install(Param(2), L"[m:Main][s:Clip].value"),
              L"The last element of parameter reference is not a parameter element;"
              L"The last element of parameter reference is not a parameter element;");
    TZVFormula orphan(Param(2));
    orphan.Parse(L"[m:Main][s:Nope][p:1].value");
    EXPECT_FALSE(orphan.Resolve());
    EXPECT_TRUE(orphan.ComputePointAt(0).IsUndefined());
    EXPECT_EQ(orphan.GetImage(), L"[m:Main][s:Nope][p:1].value");
    // The tree of a text that did not parse keeps an unknown attribute: it reads as undefined.
    TZVFormula unknown(Param(2));
    EXPECT_FALSE(unknown.Parse(L"[m:Main][s:Clip][p:2].endX"));
    unknown.Resolve();
    EXPECT_TRUE(unknown.ComputePointAt(0).IsUndefined());
    orphan.AddListeners(false);
    EXPECT_TRUE(Param(0)->aListenerList.empty());
}

TEST_F(References, SnapshotsReadTheFrameTableAndFreezeAttributesPerFrame) {
    aClip->aSequenceList.clear();
    aClip->aSequenceList.push_back(TRange(10, 20));
    aClip->aRenderKey = 7;
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:2].value"), L"");
    EXPECT_EQ(Install(Param(1), L"[m:Main][s:Clip][p:3].beginSequence"), L"");
    TFakeEvaluateContext host;
    std::unique_ptr<IFormula> first(FormulaOf(Param(0)).CloneFormulaAt(12, nullptr, host, true));
    // The slot is empty until the host stores the snapshot it reads.
    EXPECT_TRUE(first->ComputePointAt(12).IsUndefined());
    std::unique_ptr<IFormula> second(FormulaOf(Param(1)).CloneFormulaAt(12, nullptr, host, true));
    host.aSlots[std::make_tuple(7, 1, true)] = second.get();
    EXPECT_EQ(first->ComputePointAt(12).GetDouble(), 10);
    // Another snapshot made in the same frame freezes its own attributes too.
    std::unique_ptr<IFormula> third(FormulaOf(Param(1)).CloneFormulaAt(12, nullptr, host, true));
    EXPECT_EQ(third->ComputePointAt(12).GetDouble(), 10);
    // A reused snapshot in another frame freezes again.
    IFormula* again = FormulaOf(Param(1)).CloneFormulaAt(25, third.release(), host, true);
    third.reset(again);
    EXPECT_EQ(third->ComputePointAt(25).GetDouble(), 25);
    host.aSlots.clear();
    // "isDefined" reads the value, and is frozen as an attribute.
    EXPECT_EQ(Install(Param(2), L"[m:Main][s:Clip][p:2].isDefined * 3"), L"");
    std::unique_ptr<IFormula> defined(FormulaOf(Param(2)).CloneFormulaAt(26, nullptr, host, true));
    EXPECT_EQ(defined->ComputePointAt(26).GetDouble(), 3);
}

TEST_F(References, TheReferenceAtTheCursorIsFound) {
    const wchar_t* const two = L"[m:Main][s:Clip][p:1].end + [m:Main][s:Clip][p:3].isDefined";
    const wchar_t* const none = L"There is no parameter attribute at cursor place";
    // {text, cursor, parameter index or -1, attribute, message}
    const struct {
        const wchar_t* aText;
        int aCursor;
        int aParam;
        int aAttr;
        const wchar_t* aError;
    } cases[] = {
        {L"time * 2", 3, -1, 0, L""},
        {two, 2, 0, 3, L""},
        {two, 35, 2, 4, L""},
        {two, 500, 2, 4, L""},
        {two, -4, 0, 3, L""},
        {L"[x:Main][s:Clip][p:1].end + [m:Main][s:Clip][p:2]", 40, -1, 0,
         L"No attribute requested for parameter reference"},
        {L"[m:Main][s:Clip][p:1].v + [m:Main][s:Cl", 30, -1, 0, none},
        {L"[m:Main][s:Clip].v", 3, -1, 0,
         L"The last element of parameter reference is not a parameter element"},
    };
    for (const auto& c : cases) {
        const TZVParamAttrParser parser(c.aText, c.aCursor);
        EXPECT_EQ(parser.GetRow(), c.aParam < 0 ? nullptr : Param(c.aParam)) << c.aText;
        EXPECT_EQ(int(parser.GetAttr()), c.aAttr) << c.aText;
        EXPECT_EQ(parser.GetError(), c.aError) << c.aText << c.aCursor;
    }
}

// The slot a value snapshot asks the host for shows in the example's rendering.
TEST_F(References, AValueSnapshotIsNeverCopied) {
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:3].value"), L"");
    TFakeEvaluateContext host;
    std::unique_ptr<IFormula> snapshot(FormulaOf(Param(0)).CloneFormulaAt(0, nullptr, host, false));
    const auto* root = static_cast<TZVFormula*>(snapshot.get())->GetCurNode();
    const NSExpression::IExprNode* reference = root->GetOperands().GetFirst()->GetData();
    EXPECT_ASSERTS(EXPECT_EQ(reference->Clone(), nullptr), L"false");
}

// A formula that fails on one reference still listens to the rows it bound: a host that
// deletes such a row takes the formula with it, and nothing reads the dead row afterwards.
TEST_F(References, APartlyBoundFormulaLetsGoOfARowThatDies) {
    TTestSourceRow* other = MakeRow<TTestSourceRow>(L"Other");
    aMain->InsertSource(other, nullptr);
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Other][p:1].value + A10"), L"Unknown variable A10;");
    EXPECT_EQ(
        Install(Param(1), L"[m:Main][s:Other][p:2].begin + [m:Main][s:Clip][p:2].value"),
        L"Referring to value of parameter [mixer:Main][source:Clip][param:2 - p2] in parameter "
        L"[mixer:Main][source:Clip][param:2 - p2] formula causes a circular reference;");
    EXPECT_FALSE(aRoot->AddListeners(false));
    other->Detach();
    delete other;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Param(i)->aFormula, nullptr);
        EXPECT_TRUE(Param(i)->GetValueAt(3).IsUndefined());
        const std::unique_ptr<wxXmlNode> image(Param(i)->GetXmlImage());
        EXPECT_EQ(Install(Param(i), L"2"), L"");
    }
}

// Each reference withdraws its registration when its formula goes, the value and the other
// attributes alike.
TEST_F(References, AReplacedFormulaNoLongerListens) {
    EXPECT_EQ(Install(Param(0), L"[m:Main][s:Clip][p:2].value + [m:Main][s:Clip][p:3].end"), L"");
    EXPECT_EQ(Param(1)->aListenerList.size() + Param(2)->aListenerList.size(), 2u);
    EXPECT_EQ(Install(Param(0), L"1"), L"");
    EXPECT_TRUE(Param(1)->aListenerList.empty());
    EXPECT_TRUE(Param(2)->aListenerList.empty());
}
