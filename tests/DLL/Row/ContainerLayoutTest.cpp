#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/SourceRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"

#include "OpacityFilterRow.h"
#include "support/AssertCapture.h"
#include "support/RowText.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The rows whose keys climb straight into pRow.
std::vector<const TZVStreamRow*> Children(const TZVStreamRow* pRow) {
    std::vector<const TZVStreamRow*> children;
    if (auto* mixer = dynamic_cast<const TZVMixerRow*>(pRow))
        children.assign(mixer->aSourceChildList.begin(), mixer->aSourceChildList.end());
    if (auto* source = dynamic_cast<const TZVSourceRow*>(pRow))
        children.insert(children.end(), source->aFilterChildList.begin(),
                        source->aFilterChildList.end());
    if (auto* filter = dynamic_cast<const TZVFilterRow*>(pRow); filter && filter->aMask)
        children.push_back(filter->aMask);
    return children;
}

// Both times of every segment of pRow's enabled parameters, and with pDeep those of every
// row below it.
void CountKeys(const TZVStreamRow* pRow, bool pDeep, TKeyList& pKeys) {
    for (size_t i = 0; i < pRow->aParamTab.size() && int(i) < pRow->GetParamCount(); ++i) {
        const TZVParamRow* param = pRow->aParamTab[i];
        if (!param || !param->aIsEnabled)
            continue;
        for (const TABCFormula& segment : param->aFormulaList)
            for (long time : {segment.aBegin, segment.aEnd})
                if (time != TZVParamRow::OPEN_END)
                    pKeys.AddCount(TStreamKey(time), 1);
    }
    if (pDeep)
        for (const TZVStreamRow* child : Children(pRow))
            CountKeys(child, true, pKeys);
}

// A row counts its own parameters' keys, and those from under a child only while that
// child is hidden (it stands for what it hides); the root counts everything.
TKeyList ExpectedKeys(const TZVStreamRow* pRow) {
    TKeyList keys;
    CountKeys(pRow, false, keys);
    for (const TZVStreamRow* child : Children(pRow))
        if (!child->aIsShown || pRow->aLevel < 0)
            CountKeys(child, true, keys);
    return keys;
}

class TNamer : public TZVMixerRow::TSourceNamer {
public:
    TNamer(std::vector<wxString> pNames, int pMax) : aNames(std::move(pNames)), aMax(pMax) {}
    const wxString& GetSourceName(int pIndex) const override { return aNames[size_t(pIndex)]; }
    int GetSourceCount() const override { return int(aNames.size()); }
    int GetMaxSourceCount() const override { return aMax; }
    std::vector<wxString> aNames;
    int aMax;
};

class ContainerLayout : public testing::Test {
protected:
    ContainerLayout() : aRoot(MakeTestRoot()) {}

    std::vector<TZVStreamRow*> Rows() {
        TRowCollector all;
        aRoot->ApplyOperation(all);
        return all.aRows;
    }

    // The shown rows, walked in screen order from the root, abut with no gap; every pixel
    // row finds the row whose band holds it, and the bottom finds none.
    void ExpectLaidOut(const std::string& pStep) {
        int y = 0;
        for (const TZVBaseRow* row = aRoot->GetNextRow(); row; row = row->GetNextRow()) {
            ASSERT_EQ(row->aTop, y) << pStep << ": " << row->aName;
            ASSERT_TRUE(row->aIsShown) << pStep << ": " << row->aName;
            for (int at : {y, y + row->aHeight - 1})
                ASSERT_EQ(aRoot->GetRow(at), row) << pStep << ": y " << at;
            y += row->aHeight;
        }
        ASSERT_EQ(aRoot->GetBottom(), y) << pStep;
        ASSERT_EQ(aRoot->GetRow(y), nullptr) << pStep;
    }

    void ExpectKeysRecounted(const std::string& pStep) {
        std::vector<TZVStreamRow*> rows = Rows();
        rows.push_back(aRoot.get());
        for (const TZVStreamRow* row : rows)
            ASSERT_EQ(KeyText(row->aKeyList), KeyText(ExpectedKeys(row)))
                << pStep << ": " << row->aName;
    }

    std::unique_ptr<TTestMixerRow> aRoot;
};

} // namespace

TEST_F(ContainerLayout, RandomEditsKeepTheShownRowsAbuttingAndTheKeysCounted) {
    std::mt19937 random(17);
    auto pick = [&random](const auto& pRows) {
        auto it = pRows.begin();
        std::advance(it, random() % pRows.size());
        return *it;
    };
    aRoot->InsertSource(MakeRow<TTestSourceRow>(L"C"), nullptr);
    for (int step = 0; step < 600; ++step) {
        const std::vector<TZVStreamRow*> rows = Rows();
        std::vector<TZVSourceRow*> sources;
        std::vector<TZVMixerRow*> mixers{aRoot.get()};
        std::vector<TZVFilterRow*> filters;
        for (TZVStreamRow* row : rows) {
            if (auto* filter = dynamic_cast<TZVFilterRow*>(row))
                filters.push_back(filter);
            else
                sources.push_back(static_cast<TZVSourceRow*>(row));
            if (auto* mixer = dynamic_cast<TZVMixerRow*>(row))
                mixers.push_back(mixer);
        }
        const int what = int(random() % 12);
        std::string name = std::to_string(step) + ":" + std::to_string(what);
        TZVStreamRow* row = pick(rows);
        switch (what) {
        case 0:
        case 1:
            row->ShowParam(!row->aIsParamShown);
            break;
        case 2: {
            TZVSourceRow* source = pick(sources);
            source->ShowFilter(!source->aIsFilterShown);
            break;
        }
        case 3:
            if (!filters.empty()) {
                TZVFilterRow* filter = pick(filters);
                filter->ShowMask(!filter->aIsMaskShown);
            }
            break;
        case 4: {
            TZVMixerRow* mixer = pick(mixers);
            if (mixer != aRoot.get())
                mixer->ShowSource(!mixer->aIsSourceShown);
            break;
        }
        case 5: {
            TZVSourceRow* source = pick(sources);
            source->InsertFilter(MakeFilter(L"Opacity", L"F"),
                                 source->aFilterChildList.empty() ? nullptr
                                                                  : pick(source->aFilterChildList));
            break;
        }
        case 6: {
            TZVMixerRow* mixer = pick(mixers);
            TZVSourceRow* source = random() % 3
                                       ? static_cast<TZVSourceRow*>(MakeRow<TTestSourceRow>(L"S"))
                                       : MakeRow<TTestMixerRow>(L"M");
            mixer->InsertSource(source, mixer->GetNextSource(nullptr));
            break;
        }
        case 7:
            if (!filters.empty()) {
                TZVFilterRow* filter = pick(filters);
                if (!filter->aMask)
                    filter->InsertSource(MakeRow<TTestSourceRow>(L"K"), nullptr);
            }
            break;
        case 8: {
            TZVParamRow* param = row->aParamTab.empty() ? nullptr : pick(row->aParamTab);
            if (param) {
                const long begin = 1000 + step * 20 + long(random() % 3) * 5;
                param->insertFormula(TABCFormula(begin, TVariant(1.0), begin + 10), nullptr, false);
            }
            break;
        }
        case 9: {
            TZVParamRow* param = row->aParamTab.empty() ? nullptr : pick(row->aParamTab);
            if (param)
                row->EnableParam(param, !param->aIsEnabled);
            break;
        }
        default:
            if (rows.size() > 8 && row->aParent != aRoot.get())
                delete row;
            break;
        }
        ExpectLaidOut(name);
        ExpectKeysRecounted(name);
        if (HasFatalFailure())
            return;
        const std::vector<TZVStreamRow*> after = Rows();
        std::vector<int> levels;
        for (const TZVStreamRow* each : after)
            levels.push_back(each->aLevel);
        aRoot->HShift(0);
        for (size_t i = 0; i < after.size(); ++i)
            ASSERT_EQ(after[i]->aLevel, levels[i]) << name;
    }
}

TEST_F(ContainerLayout, NamerFixesTheFrontSourcesAndLimitsTheCount) {
    const TNamer namer({L"Main", L"Main"}, 4);
    TTestMixerRow* mixer = MakeRow<TTestMixerRow>(L"Mix");
    aRoot->InsertSource(mixer, nullptr);
    mixer->CreateMinSource(&namer);
    mixer->InsertSource(MakeRow<TTestSourceRow>(L"Third"), nullptr);
    EXPECT_EQ(mixer->GetNextSource(nullptr)->aName, L"Main");
    EXPECT_EQ(mixer->GetSourceIndex(nullptr), 3);
    EXPECT_EQ(mixer->GetSourceIndex(aRoot.get()), -1);

    auto at = [mixer](int pIndex) {
        TZVSourceRow* source = mixer->GetNextSource(nullptr);
        for (int i = 0; i < pIndex && source; ++i)
            source = mixer->GetNextSource(source);
        return source;
    };
    // Whether a source may be inserted before the source at 0 to 3 (3: at the end), and
    // removed from there.
    wxString rules;
    for (int i = 0; i < 4; ++i)
        rules << mixer->MayInsertSource(at(i)) << (!at(i) || !at(i)->MustKeep()) << " ";
    EXPECT_EQ(rules, "00 00 11 11 ");
    EXPECT_EQ(at(1)->aName, L"Main-1");
    mixer->InsertSource(MakeRow<TTestSourceRow>(L"Fourth"), nullptr);
    EXPECT_FALSE(mixer->MayInsertSource(nullptr));
    EXPECT_FALSE(mixer->MayInsertSource(at(3)));
}

TEST_F(ContainerLayout, WalksVisitFiltersMasksAndSources) {
    TTestMixerRow* mixer = MakeRow<TTestMixerRow>(L"Mix");
    aRoot->InsertSource(mixer, nullptr);
    TZVSourceRow* a = MakeRow<TTestSourceRow>(L"A");
    TZVSourceRow* b = MakeRow<TTestSourceRow>(L"B");
    mixer->InsertSource(a, nullptr);
    mixer->InsertSource(b, nullptr);
    TZVFilterRow* f = MakeFilter(L"Opacity", L"F");
    TZVFilterRow* g = MakeFilter(L"Opacity", L"G");
    b->InsertFilter(f, nullptr);
    b->InsertFilter(g, nullptr);
    TZVSourceRow* mask = MakeRow<TTestSourceRow>(L"Mask");
    g->InsertSource(mask, nullptr);
    mask->InsertFilter(MakeFilter(L"Opacity", L"H"), nullptr);

    // Whether the walk went through, and what it visited, stopping at each name.
    wxString walks;
    for (const wchar_t* stop : {L"", L"A", L"G", L"Mix"}) {
        TRowCollector collector;
        collector.aStopAt = stop;
        walks << aRoot->ApplyOperation(collector) << " " << collector.aLog << "| ";
    }
    EXPECT_EQ(walks, L"1 Mix A B F G Mask H | 0 Mix A B F G Mask H | 1 Mix A B F G | 0 Mix | ");

    class TVisibleLog : public TZVBaseRow::IVisibleRowOperation {
    public:
        bool Apply(const TZVBaseRow* pRow) override {
            aLog += L"[" + pRow->aName + L"]";
            return pRow->aName != L"A";
        }
        wxString aLog;
    } visible;
    mixer->ShowSource(true);
    a->ShowFilter(true);
    b->ShowFilter(true);
    g->ShowMask(true);
    a->InsertFilter(MakeFilter(L"Gain", L"Hidden"), nullptr);
    EXPECT_TRUE(aRoot->ApplyOnVisible(visible));
    EXPECT_EQ(visible.aLog, L"[][Mix][A][B][F][G][Mask]");

    TSubStreamLog inputs;
    mixer->ListSubStream(inputs);
    f->ListSubStream(inputs);
    g->ListSubStream(inputs);
    EXPECT_EQ(inputs.aLog, L"Hidden G B F H ");
}

TEST_F(ContainerLayout, AFilterCannotHangUnderAFilter) {
    TZVSourceRow* source = MakeRow<TTestSourceRow>(L"S");
    aRoot->InsertSource(source, nullptr);
    TZVFilterRow* filter = MakeFilter(L"Opacity", L"F");
    source->InsertFilter(filter, nullptr);
    const std::unique_ptr<wxXmlNode> pasted(filter->GetXmlImage());
    const wxXmlNode* element = pasted.get();
    wxString message;
    try {
        TZVStreamRow::Create(element, filter, nullptr);
    } catch (const TError& error) {
        message = error;
    }
    EXPECT_EQ(message, L"Filter F cannot have a filter");
    EXPECT_EQ(filter->aMask, nullptr);

    TZVFilterRow* loose = MakeFilter(L"Opacity", L"Loose");
    EXPECT_ASSERTS(loose->AttachParent(filter, nullptr), L"Parent != __null");
    EXPECT_EQ(loose->aParent, nullptr);
    // A second mask is refused and the row stays the caller's.
    filter->InsertSource(MakeRow<TTestSourceRow>(L"M1"), nullptr);
    std::unique_ptr<TZVSourceRow> second(MakeRow<TTestSourceRow>(L"M2"));
    EXPECT_ASSERTS(filter->InsertSource(second.get(), nullptr), L"aMask==__null");
    EXPECT_EQ(second->aParent, nullptr);
    delete loose;
}

TEST_F(ContainerLayout, GuardedStepsAreSkipped) {
    TZVSourceRow* source = MakeRow<TTestSourceRow>(L"S");
    aRoot->InsertSource(source, nullptr);
    TZVFilterRow* filter = MakeFilter(L"Opacity", L"F");
    source->InsertFilter(filter, nullptr);
    const int top = source->aTop;
    EXPECT_ASSERTS(source->RemoveFilter(nullptr), L"pFilter !=__null");
    EXPECT_ASSERTS(aRoot->RemoveSource(nullptr), L"pSource != __null");
    EXPECT_ASSERTS(filter->RemoveSource(source), L"aMask != __null");
    source->aFilterListHeight = 24;
    EXPECT_ASSERTS(source->ShowAt(top), L"aIsFilterShown");
    source->aFilterListHeight = 0;
    filter->aMaskHeight = 5;
    EXPECT_ASSERTS(filter->ShowAt(0), L"aIsMaskShown && (aMask!=__null)");
    filter->aMaskHeight = 0;
    filter->aIsMaskShown = true;
    EXPECT_ASSERTS(EXPECT_EQ(filter->GetRow(filter->aTop - 1), nullptr), L"aMask != __null");
    filter->aIsMaskShown = false;
    TTestMixerRow empty;
    empty.CompleteCreate();
    empty.aIsSourceShown = true;
    empty.aSourceListHeight = 10;
    EXPECT_ASSERTS(empty.ShowAt(0), L"aSourceChildList.begin()!=aSourceChildList.end()");
    empty.aSourceListHeight = 0;
}

TEST_F(ContainerLayout, StandInFiltersCrossTheLibraryBoundary) {
    const std::unique_ptr<TZVFilterRow> opacity(MakeFilter(L"Opacity", L"O"));
    EXPECT_NE(dynamic_cast<TZVOpacityFilterRow*>(opacity.get()), nullptr);
    EXPECT_NE(dynamic_cast<TZVVideoFilterRow*>(opacity.get()), nullptr);
    EXPECT_TRUE(opacity->AllowMask());
    const std::unique_ptr<TZVFilterRow> gain(TZVFilterRow::theFactorySet->at(L"Gain")->Create());
    EXPECT_NE(dynamic_cast<TZVAudioFilterRow*>(gain.get()), nullptr);
    EXPECT_FALSE(gain->AllowMask());
    const std::unique_ptr<wxXmlNode> node(ParseXml(L"<filter type=\"Opacity\" name=\"O\"/>"));
    const wxXmlNode* element = node.get();
    EXPECT_THROW(TZVFilterRow::Create(element)->CreateAllChildren(element), TError);
}
