#include "DLL/Row/ZVReadChain.h"

#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include "support/FakeRows.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

const int LIMIT = TZVReadChain::MAX_REFERENCES;

// pText inside pLevels - 1 parentheses: a reference in it lies pLevels deep.
wxString Nested(const wxString& pText, int pLevels) {
    return wxString(L'(', size_t(pLevels - 1)) + pText + wxString(L')', size_t(pLevels - 1));
}

// Sources s0, s1, ... of the mixer Main, the current project's tree; the first parameter of
// each holds the formulas.
class ReadChains : public testing::Test {
protected:
    ReadChains() : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TZVFormula::SetFrameRate(25);
        aMain = MakeRow<TTestMixerRow>(L"Main");
        aRoot->InsertSource(aMain, nullptr);
    }

    // Adds sources until there are pCount; s0's value is 0 at every time.
    void MakeSources(size_t pCount) {
        while (aSources.size() < pCount) {
            aSources.push_back(MakeRow<TTestSourceRow>(wxString::Format(L"s%zu", aSources.size())));
            aMain->InsertSource(aSources.back(), nullptr);
        }
        if (Param(0)->aFormulaList.empty())
            Param(0)->insertFormula(TABCFormula(0, TVariant(0.0), TZVParamRow::OPEN_END), nullptr,
                                    false);
    }
    TZVParamRow* Param(size_t pSource) const { return aSources[pSource]->aParamTab[0]; }
    static wxString Ref(size_t pSource) {
        return wxString::Format(L"[m:Main][s:s%zu][p:1].value", pSource);
    }
    static wxString Name(size_t pSource) {
        return wxString::Format(L"[mixer:Main][source:s%zu][param:1 - p1]", pSource);
    }
    // Sources 1 to pLast read nothing.
    void Unchain(size_t pLast) {
        for (size_t i = 1; i <= pLast; ++i)
            Install(i, L"0");
    }
    // Installs pText as the formula of source pSource, bound and registered; the errors.
    wxString Install(size_t pSource, const wxString& pText) {
        return Install(Param(pSource), pText);
    }
    static wxString Install(TZVParamRow* pRow, const wxString& pText) {
        TZVFormula* formula = new TZVFormula(pRow);
        formula->Parse(pText.wc_str());
        pRow->InitFormula(formula);
        pRow->AddFormulaListeners(false);
        return Errors(*formula);
    }
    // A source "col" whose parameters are the colour "Back" and its three components.
    TZVStreamRow* AddColourSource() {
        wxString params = L"<param type=\"Color\" name=\"Back\"><value/></param>";
        for (const wchar_t* component : {L"Red", L"Green", L"Blue"})
            params += wxString(L"<param type=\"ColorComp\" name=\"Back - ") + component +
                      L"\"><value/></param>";
        const std::unique_ptr<wxXmlNode> node(
            ParseXml(L"<source type=\"colour-clip\" name=\"col\"><seq-list><seg begin=\"0\" "
                     L"end=\"100\"/></seq-list><param-list shown=\"0\">" +
                     params + L"</param-list><fltr-list shown=\"0\"/></source>"));
        const wxXmlNode* element = node.get();
        return TZVStreamRow::Create(element, aMain, nullptr);
    }
    static wxString Errors(const TZVFormula& pFormula) {
        wxString log;
        for (const auto& error : pFormula.GetErrors())
            log += wxString::Format(L"%d ", int(error.aPosition)) + error.aMessage + L";";
        return log;
    }
    double ValueOf(size_t pSource) const {
        const TVariant value = Param(pSource)->GetValueAt(3);
        return value.IsUndefined() ? -1 : value.GetDouble();
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    TTestMixerRow* aMain;
    std::vector<TTestSourceRow*> aSources;
};

wxString ChainTooLong(const wxString& pRead, const wxString& pReader) {
    return L"-1 Referring to value of parameter " + pRead + L" in parameter " + pReader +
           L" formula makes a chain of more than 1000 references;";
}

wxString TooDeep(const wxString& pRead, const wxString& pReader) {
    return L"-1 Referring to value of parameter " + pRead + L" in parameter " + pReader +
           L" formula nests formulas deeper than 10000 levels;";
}

} // namespace

// s1 to s1001 each read the one before: whichever end binds first, the reference at the
// other end makes the 1001st and does not bind.
TEST_F(ReadChains, AChainBindsToTheLimitFromEitherEnd) {
    MakeSources(LIMIT + 2);
    for (size_t i = 1; i <= LIMIT + 1; ++i)
        EXPECT_EQ(Install(i, Ref(i - 1) + L" + 1"),
                  i == LIMIT + 1 ? ChainTooLong(Name(LIMIT), Name(LIMIT + 1)) : L"")
            << i;
    EXPECT_EQ(ValueOf(LIMIT), LIMIT);
    EXPECT_EQ(ValueOf(LIMIT + 1), -1);

    // Bound from the top down, the readers above make the chain long.
    Unchain(LIMIT + 1);
    for (size_t i = LIMIT + 1; i >= 1; --i)
        EXPECT_EQ(Install(i, Ref(i - 1) + L" + 1"), i == 1 ? ChainTooLong(Name(0), Name(1)) : L"")
            << i;
    EXPECT_EQ(ValueOf(1), -1);
    EXPECT_EQ(ValueOf(LIMIT + 1), -1);
    // With s1 reading nothing, s1 to s1001 are 1000 references.
    EXPECT_EQ(Install(1, L"1"), L"");
    EXPECT_EQ(ValueOf(LIMIT + 1), LIMIT + 1);
}

TEST_F(ReadChains, ACycleIsRefusedHoweverLongTheChainItCloses) {
    MakeSources(301);
    for (size_t i = 1; i <= 300; ++i)
        ASSERT_EQ(Install(i, Ref(i - 1) + L" + 1"), L"");
    EXPECT_EQ(Install(1, Ref(300)), L"-1 Referring to value of parameter " + Name(300) +
                                        L" in parameter " + Name(1) +
                                        L" formula causes a circular reference;");
    // The other way round: the rows that s300 reads bind before it.
    Unchain(300);
    ASSERT_EQ(Install(1, Ref(300)), L"");
    for (size_t i = 2; i < 300; ++i)
        ASSERT_EQ(Install(i, Ref(i - 1) + L" + 1"), L"");
    EXPECT_EQ(Install(300, Ref(299) + L" + 1"), L"-1 Referring to value of parameter " + Name(299) +
                                                    L" in parameter " + Name(300) +
                                                    L" formula causes a circular reference;");
}

// s2 reads s1, which reads s0: each reference lies some levels below its formula's root, and
// s1's formula is some levels high. Reading through them nests the levels of the reference
// in s2 and all of s1's. The formula that binds last is refused, s2 or s1.
TEST_F(ReadChains, FormulasNestNoDeeperThroughTheFormulasTheyRead) {
    MakeSources(3);
    const wxString deep = wxString(L'-', 9000) + L"0";
    // {s1's formula, s2's formula, whether they nest too deep}
    const struct {
        wxString aFirst;
        wxString aSecond;
        bool aTooDeep;
    } cases[] = {
        {Nested(Ref(0), 5000), Nested(Ref(1), 5000), false},
        {Nested(Ref(0), 5000), Nested(Ref(1), 5001), true},
        {Nested(Ref(0), 9999), Ref(1), false},
        {Nested(Ref(0), 9999), L"-" + Ref(1), true},
        // s1 is high beside its reference, and the calls in s2 count.
        {L"(" + deep + L") + " + Ref(0), L"floor(" + Ref(1) + L")", false},
        {L"(" + deep + L") + " + Ref(0), Nested(L"floor(" + Ref(1) + L")", 999), true},
        // Only the levels down to the reference count in s2.
        {Nested(Ref(0), 5000), L"(" + deep + L") + " + Nested(Ref(1), 4999), false},
    };
    const wxString tooDeep = TooDeep(Name(1), Name(2));
    for (const auto& c : cases) {
        Unchain(2);
        ASSERT_EQ(Install(1, c.aFirst), L"");
        EXPECT_EQ(Install(2, c.aSecond), c.aTooDeep ? tooDeep : L"") << c.aSecond.length();
        if (!c.aTooDeep) {
            EXPECT_EQ(ValueOf(2), 0) << c.aSecond.length();
        }
        Unchain(2);
        ASSERT_EQ(Install(2, c.aSecond), L"");
        EXPECT_EQ(Install(1, c.aFirst), c.aTooDeep ? tooDeep : L"") << c.aSecond.length();
        EXPECT_EQ(ValueOf(1), c.aTooDeep ? -1 : 0) << c.aSecond.length();
    }
}

// At both limits, 1000 references each 10 levels deep (calls, the largest frames): what
// renders on a thread of a host evaluates there, on the stack a thread has by default.
TEST_F(ReadChains, TheDeepestChainThatBindsEvaluatesOnAThreadsOwnStack) {
    MakeSources(LIMIT + 1);
    for (size_t i = 1; i <= LIMIT; ++i) {
        wxString text = Ref(i - 1) + L" + 1";
        for (int level = 2; level < 10; ++level)
            text = L"floor(" + text + L")";
        ASSERT_EQ(Install(i, text), L"") << i;
    }
    double value = 0;
    std::thread([&] {
        value = ValueOf(LIMIT);
        Param(0)->notifyListenersParamChanged();
    }).join();
    EXPECT_EQ(value, LIMIT);
}

// A formula about to replace one that others read is measured below them; the rejected one
// gives no value and keeps its text.
TEST_F(ReadChains, AFormulaTooHighForItsReadersDoesNotBind) {
    MakeSources(2);
    ASSERT_EQ(Install(1, Nested(Ref(0), 5000)), L"");
    // {the replacing formula of s0, its errors}
    const struct {
        wxString aText;
        wxString aErrors;
    } cases[] = {
        {wxString(L'-', 4999) + L"1", L""},
        {wxString(L'-', 5000) + L"1", TooDeep(Name(0), Name(1))},
    };
    for (const auto& c : cases) {
        TZVFormula formula(Param(0));
        formula.Parse(c.aText.wc_str());
        EXPECT_EQ(formula.Resolve(), c.aErrors.empty());
        EXPECT_EQ(Errors(formula), c.aErrors);
        EXPECT_EQ(formula.ComputePointAt(0).IsUndefined(), !c.aErrors.empty());
        EXPECT_EQ(formula.GetImage(), c.aText);
    }
}

// A composite's value reads each component's: one more step of the chain, like a reference.
TEST_F(ReadChains, ACompositeCountsAsAStepOfTheChain) {
    MakeSources(1000);
    for (size_t i = 1; i <= 997; ++i)
        ASSERT_EQ(Install(i, Ref(i - 1) + L" + 1"), L"");
    TZVParamRow* red = AddColourSource()->aParamTab[1];
    const wxString redName = L"[mixer:Main][source:col][param:2 - Back - Red]";
    // s998 reads Back, which reads Red, which reads s997: 1000 references.
    ASSERT_EQ(Install(red, Ref(997)), L"");
    EXPECT_EQ(Install(998, L"[m:Main][s:col][p:1].value"), L"");
    EXPECT_EQ(Install(999, Ref(998)), ChainTooLong(Name(998), Name(999)));
    // The other way round: the rows above Red bind first.
    EXPECT_EQ(Install(red, L"0"), L"");
    EXPECT_EQ(Install(999, Ref(998)), L"");
    EXPECT_EQ(Install(red, Ref(997)), ChainTooLong(Name(997), redName));
}

// Inside one evaluation a row read again answers as its computation did, and leaves the time
// where that left it: a colour reads its components at the whole time, so what follows its
// reader reads "time" there too.
TEST_F(ReadChains, ARowReadAgainInOneEvaluationLeavesTheTimeAsItsComputationDid) {
    MakeSources(3);
    TZVStreamRow* colour = AddColourSource();
    ASSERT_EQ(Install(colour->aParamTab[1], L"image") + Install(colour->aParamTab[2], L"1") +
                  Install(colour->aParamTab[3], L"2"),
              L"");
    // s1 = 0x0A0102 + 400 (the time of frame 10, 1000 / 25 a frame), s2 = s1 + 400.
    ASSERT_EQ(Install(1, L"[m:Main][s:col][p:1].v + time") + Install(2, Ref(1) + L" + time"), L"");
    const double first = 0x0A0102 + 400.0;
    EXPECT_EQ(Param(2)->GetValueAt(10.5), TVariant(first + 400.0));
    for (int round = 0; round < 2; ++round) {
        const TZVFormula::TEvaluation evaluation;
        EXPECT_EQ(Param(1)->GetValueAt(10.5), TVariant(first));
        EXPECT_EQ(Param(2)->GetValueAt(10.5), TVariant(first + 400.0));
        // Another time is computed anew.
        EXPECT_EQ(Param(2)->GetValueAt(11.5), TVariant(0x0B0102 + 880.0));
    }
}
