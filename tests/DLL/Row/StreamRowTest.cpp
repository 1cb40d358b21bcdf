#include "DLL/Row/StreamRow.h"

#include "DLL/Bas/StreamInt.h"
#include "support/AssertCapture.h"
#include "support/FakeHost.h"
#include "support/FakeRows.h"

#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <string>
#include <vector>

namespace {

class TCountedParam : public TFakeParamRow {
public:
    TCountedParam(bool pEnabled, int& pDeletions) : aDeletions(pDeletions) {
        aIsEnabled = pEnabled;
    }
    ~TCountedParam() override { ++aDeletions; }

private:
    int& aDeletions;
};

} // namespace

TEST(StreamRow, NeighbourParametersAreTheNearestEnabledOnesAndDieWithTheStream) {
    int deletions = 0;
    {
        TFakeStreamRow stream;
        // A slot not filled yet (null) counts as no parameter.
        for (int flag : {1, 0, 1, 0, -1, 1})
            stream.aParamTab.push_back(flag < 0 ? nullptr : new TCountedParam(flag, deletions));
        const auto at = [&](int pIndex) { return pIndex < 0 ? nullptr : stream.aParamTab[pIndex]; };
        struct TCase {
            int aIndex, aPrev, aNext; // -1: none
        } cases[] = {{0, -1, 2}, {2, 0, 5}, {4, 2, 5}, {5, 2, -1}, {99, 5, -1}, {-5, -1, 0}};
        for (const TCase& c : cases) {
            EXPECT_EQ(stream.GetPrevParam(c.aIndex), at(c.aPrev)) << c.aIndex;
            EXPECT_EQ(stream.GetNextParam(c.aIndex), at(c.aNext)) << c.aIndex;
        }
    }
    EXPECT_EQ(deletions, 5);
}

namespace {

// "top+height+block: p<i>@top(shown|hidden)..." with only the enabled parameters listed.
std::string Layout(const TFakeStreamRow& pRow) {
    std::string text = std::to_string(pRow.aTop) + "+" + std::to_string(pRow.aHeight) + "+" +
                       std::to_string(pRow.aParamHeight) + ":";
    for (const TZVParamRow* param : pRow.aParamTab)
        if (param->aIsEnabled)
            text += " p" + std::to_string(param->aIndex) + "@" + std::to_string(param->aTop) +
                    (param->aIsShown ? "s" : "h");
    return text;
}

// Logs the rows it is applied to by name; answers aAnswer.
class TVisibleLog : public TZVBaseRow::IVisibleRowOperation {
public:
    bool Apply(const TZVBaseRow* pRow) override {
        aLog += pRow->aName.ToStdString() + " ";
        return aAnswer;
    }
    bool aAnswer = true;
    std::string aLog;
};

} // namespace

TEST(StreamRow, TheParameterBlockOpensClosesAndMovesWithItsRow) {
    TFakeStreamRow row(rowKindSOURCE, L"S");
    row.AddParam(true);
    row.AddParam(false, 10);
    row.AddParam(true);
    row.ShowAt(10);
    struct TStep {
        const char* aName;
        std::function<void()> aDo;
        std::string aLayout, aGrowLog;
    } steps[] = {
        {"open", [&] { row.ShowParam(true); }, "10+24+48: p0@34s p2@58s", "ParamGrow(48) "},
        {"grow p0",
         [&] {
             row.aParamTab[0]->setHeight(30);
             row.SingleParamGrow(0, 6);
         },
         "10+24+54: p0@34s p2@64s", "ParamGrow(6) "},
        {"move down", [&] { row.VShift(100); }, "110+24+54: p0@134s p2@164s", ""},
        {"show at 0", [&] { row.ShowAt(0); }, "0+24+54: p0@24s p2@54s", ""},
        {"hide", [&] { row.Hide(); }, "0+24+54: p0@24s p2@54s", ""},
        {"close hidden", [&] { row.ShowParam(false); }, "0+24+0: p0@24h p2@54h", ""},
        {"move closed", [&] { row.VShift(5); }, "5+24+0: p0@24h p2@54h", ""},
        {"reopen hidden", [&] { row.ShowParam(true); }, "5+24+54: p0@29s p2@59s", ""},
        {"show", [&] { row.ShowAt(5); }, "5+24+54: p0@29s p2@59s", ""},
        {"close", [&] { row.ShowParam(false); }, "5+24+0: p0@29h p2@59h", "ParamGrow(-54) "},
    };
    for (const TStep& step : steps) {
        row.aLog.clear();
        step.aDo();
        EXPECT_EQ(Layout(row), step.aLayout) << step.aName;
        EXPECT_EQ(row.aLog, step.aGrowLog) << step.aName;
    }
    // A closed block has no height to grow.
    EXPECT_ASSERTS(row.SingleParamGrow(0, 6), "aIsParamShown");
    EXPECT_EQ(Layout(row), "5+24+0: p0@29h p2@59h");
    row.HShift(2);
    EXPECT_EQ(row.aParamTab[1]->aLevel, 4) << "closed or not, disabled or not";
}

TEST(StreamRow, AnOpenBlockIsWalkedDownToItsBottom) {
    TFakeStreamRow row(rowKindSOURCE, L"S");
    TZVParamRow* first = row.AddParam(true);
    row.AddParam(false);
    row.AddParam(true);
    row.ShowAt(10);
    const auto walk = [&row](bool pAnswer) {
        TVisibleLog log;
        log.aAnswer = pAnswer;
        EXPECT_EQ(row.ApplyOnVisible(log), pAnswer);
        return log.aLog;
    };
    // Which row a pixel hits is the layout model's to check; here, the walks.
    EXPECT_EQ(walk(true), "S ");
    row.ShowParam(true);
    // Only a row that asks for it is entered.
    EXPECT_EQ(walk(true) + walk(false), "S p0 p2 S ");
    EXPECT_EQ(row.GetBottom(), 82);
    EXPECT_EQ(row.GetNextRow(), first);
    std::list<TZVParamRow*> params;
    row.ListParam(params);
    EXPECT_EQ(params.size(), 3u) << "disabled parameters too";

    // A block of disabled parameters opens with no height.
    TFakeStreamRow disabled;
    disabled.AddParam(false);
    disabled.ShowAt(0);
    disabled.ShowParam(true);
    EXPECT_EQ(disabled.aLog, "ParamGrow(0) ");
    EXPECT_EQ(disabled.GetBottom(), 24);
    EXPECT_EQ(disabled.GetFirstParam(), nullptr);
    EXPECT_EQ(disabled.GetRowAfterParam(-1), nullptr);
}

TEST(StreamRow, CompletionSizesTheTablesAndChecksTheIndexTables) {
    const TTypeDef real(0);
    const auto entry = [&](int pKind, int pIndex) {
        TControlInfo info(pIndex, real, nullptr, true);
        info.aKind = pKind;
        return info;
    };
    struct TCase {
        const char* aName;
        std::vector<TControlInfo> aControls;
        std::vector<int> aParamControls, aSetupControls;
        std::vector<wxString> aAsserts;
    } cases[] = {
        {"consistent",
         {entry(0, 0), entry(2, 0), entry(1, 9), entry(4, 1), entry(3, -4)},
         {0, 3},
         {1},
         {}},
        {"tables crossed",
         {entry(0, 0), entry(8, 1), entry(10, 0)},
         {1, 0},
         {2},
         {"GetParamControl(ControlInfo->index) == i", "GetParamControl(ControlInfo->index) == i"}},
        // Indexes outside the counts are reported without a look-up.
        {"out of range",
         {entry(0, 2), entry(0, -1), entry(2, 1), entry(0, 0)},
         {3, 1},
         {0},
         {"GetParamControl(ControlInfo->index) == i", "GetParamControl(ControlInfo->index) == i",
          "GetSetupControl(ControlInfo->index) == i"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.aName);
        TFakeStreamRow row(rowKindFILTER);
        row.aRowKind = rowKindMIXER;
        row.aParamCount = 2;
        row.aSetupCount = 1;
        row.aControls = c.aControls;
        row.aParamControls = c.aParamControls;
        row.aSetupControls = c.aSetupControls;
        EXPECT_ASSERTS(row.CompleteCreate(), c.aAsserts);
        EXPECT_EQ(row.aRowKind, rowKindFILTER);
        EXPECT_EQ(row.aParamTab, std::vector<TZVParamRow*>(2, nullptr));
        ASSERT_EQ(row.aSetupTab.size(), 1u);
        EXPECT_TRUE(row.aSetupTab[0].IsUndefined());
    }
}

namespace {

class TWatchedStream : public IZVRenderStream {
public:
    explicit TWatchedStream(bool& pAlive) : aAlive(pAlive) { aAlive = true; }
    ~TWatchedStream() override { aAlive = false; }
    int32_t SetRenderContext(const IZVRenderContext*) override { return 0; }
    void Update(const IZVRenderContext*) override {}

private:
    bool& aAlive;
};

} // namespace

TEST(StreamRow, AStreamHeldByRowAndHostDiesAtTheLastReleaseAndDyingRowsAreReported) {
    TSelListenerLog dying;
    bool firstAlive = false, secondAlive = false;
    auto* first = new TWatchedStream(firstAlive);
    first->AddRef(); // the host's reference
    {
        TFakeStreamRow row(rowKindSOURCE, L"S");
        row.AddParam(true);
        row.AddParam(false);
        row.SetRenderStream(new TWatchedStream(secondAlive));
        row.SetRenderStream(first);
        EXPECT_FALSE(secondAlive) << "replaced: its only reference dropped";
        EXPECT_EQ(first->GetRefCount(), 2);
    }
    EXPECT_TRUE(firstAlive);
    EXPECT_EQ(first->Release(), 0);
    EXPECT_FALSE(firstAlive);
    EXPECT_EQ(dying.aNames, (std::vector<wxString>{L"p0", L"p1", L"S"}));
}
