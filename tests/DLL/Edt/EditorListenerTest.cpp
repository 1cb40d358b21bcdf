#include "DLL/Edt/EditorListener.h"

#include "ALL/Range.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// One call that reached the listener: operation, object passed, other arguments as a number.
struct TCall {
    std::string aOp;
    const void* aObject;
    long aValue;
    bool operator==(const TCall& p) const {
        return aOp == p.aOp && aObject == p.aObject && aValue == p.aValue;
    }
};

void PrintTo(const TCall& pCall, std::ostream* pOut) {
    *pOut << pCall.aOp << "(" << pCall.aObject << ", " << pCall.aValue << ")";
}

typedef std::vector<TCall> TCalls;

class TRecorder : public IEditorListener {
public:
    void DoRowModified(const TZVBaseRow* pRow, EEditFlag pFlag) override {
        Add("RowModified", pRow, pFlag);
    }
    void DoRowSelect() override { Add("RowSelect"); }
    void DoSignalUpdate() override { Add("SignalUpdate"); }
    void DoTimeSelect(bool p1, bool p2) override { Add("TimeSelect", nullptr, p1 * 10 + p2); }
    void DoToggleRendering(TZVStreamRow* pRow) override { Add("ToggleRendering", pRow); }
    void DoToggleStream(bool pState) override { Add("ToggleStream", nullptr, pState); }
    void DoDurationChange() override { Add("DurationChange"); }
    void DoParamKeyEdit(const TZVParamRow* pRow, const TRange& pRange) override {
        Add("ParamKeyEdit", pRow, pRange.aBegin * 1000 + pRange.aEnd);
    }
    void DoStreamSeqEdit(const TZVStreamRow* pRow, const TRange& pRange) override {
        Add("StreamSeqEdit", pRow, pRange.aBegin * 1000 + pRange.aEnd);
    }
    void DoKeyToggle(TZVStreamRow* pRow, long pTime) override { Add("KeyToggle", pRow, pTime); }
    void DoEndOfParamEdit(bool pState) override { Add("EndOfParamEdit", nullptr, pState); }
    void DoKeyEdit(const TStreamEditList& pList) override { Add("KeyEdit", &pList); }
    void DoProject(bool pState) override { Add("Project", nullptr, pState); }
    void DoUpdateDialog() override { Add("UpdateDialog"); }
    void DoEditUnderMutex(bool pState) override { Add("EditUnderMutex", nullptr, pState); }
    void DoMediaParamEdit() override { Add("MediaParamEdit"); }
    bool DoQueryBox(const wxString& pMessage, const wchar_t* pText) override {
        Add("QueryBox", pText, long(pMessage.length()));
        return aAnswer;
    }

    TCalls aCalls;
    bool aAnswer = false;
    std::string aLeaveAfter; // the operation after which the listener unregisters

private:
    void Add(const char* pOp, const void* pObject = nullptr, long pValue = 0) {
        aCalls.push_back({pOp, pObject, pValue});
        if (aLeaveAfter == pOp)
            theListener = nullptr;
    }
};

// The relay passes the edit list on without looking at it.
const int theListStorage = 0;
const TStreamEditList& theList = reinterpret_cast<const TStreamEditList&>(theListStorage);

// The listener and the batch are process-wide: each test ends with neither.
class EditorListener : public testing::Test {
protected:
    void TearDown() override {
        TRecorder sink;
        IEditorListener::theListener = &sink;
        IEditorListener::EndEnableParam();
        IEditorListener::theListener = nullptr;
    }

    // A stream under a root with parameters of height 24 from y 100 on; disabled ones take
    // no room.
    void MakeStream(const std::vector<bool>& pEnabled, bool pShown = true) {
        aStream.aParent = &aRoot;
        aStream.aIsParamShown = pShown;
        int top = 100;
        for (bool enabled : pEnabled) {
            TZVParamRow* param = new TZVParamRow;
            param->aIndex = int(aStream.aParamTab.size());
            param->aIsEnabled = enabled;
            param->aParent = &aStream;
            param->aTop = top;
            top += enabled ? param->aHeight : 0;
            aStream.aParamTab.push_back(param);
        }
    }

    // As the stream row switches a parameter: the flag, the rows below move, the relay.
    void Switch(int pIndex, bool pEnable) {
        TZVParamRow* param = aStream.aParamTab[size_t(pIndex)];
        param->aIsEnabled = pEnable;
        for (size_t i = size_t(pIndex) + 1; i < aStream.aParamTab.size(); ++i)
            aStream.aParamTab[i]->aTop += pEnable ? param->aHeight : -param->aHeight;
        IEditorListener::ChangeParam(param, pEnable);
    }

    TCall Modified(int pIndex, IEditorListener::EEditFlag pFlag) const {
        return {"RowModified", aStream.aParamTab[size_t(pIndex)], pFlag};
    }

    TZVStreamRow aRoot;
    TZVStreamRow aStream;
    TRecorder aRecorder;
};

} // namespace

TEST_F(EditorListener, EveryRelayCallsItsOperationWithTheSameArguments) {
    TZVStreamRow row;
    TZVParamRow param;
    const TRange range(3, 9);
    const wchar_t* text = L"title";
    const std::pair<std::function<void()>, TCall> cases[] = {
        {[&] { IEditorListener::OnRowModified(&row, IEditorListener::editWAVEFORM); },
         {"RowModified", &row, 6}},
        {[] { IEditorListener::OnRowSelect(); }, {"RowSelect", nullptr, 0}},
        {[] { IEditorListener::SignalUpdate(); }, {"SignalUpdate", nullptr, 0}},
        {[] { IEditorListener::OnTimeSelect(true, false); }, {"TimeSelect", nullptr, 10}},
        {[&] { IEditorListener::OnToggleRendering(&row); }, {"ToggleRendering", &row, 0}},
        {[] { IEditorListener::OnToggleStream(true); }, {"ToggleStream", nullptr, 1}},
        {[] { IEditorListener::OnDurationChange(); }, {"DurationChange", nullptr, 0}},
        {[&] { IEditorListener::OnParamKeyEdit(&param, range); }, {"ParamKeyEdit", &param, 3009}},
        {[&] { IEditorListener::OnStreamSeqEdit(&row, range); }, {"StreamSeqEdit", &row, 3009}},
        {[&] { IEditorListener::OnKeyToggle(&row, -40); }, {"KeyToggle", &row, -40}},
        {[] { IEditorListener::EndOfParamEdit(true); }, {"EndOfParamEdit", nullptr, 1}},
        {[] { IEditorListener::OnProject(true); }, {"Project", nullptr, 1}},
        {[] { IEditorListener::UpdateDialog(); }, {"UpdateDialog", nullptr, 0}},
        {[] { IEditorListener::OnEditUnderMutex(true); }, {"EditUnderMutex", nullptr, 1}},
        {[] { IEditorListener::OnMediaParamEdit(); }, {"MediaParamEdit", nullptr, 0}},
        {[&] { IEditorListener::QueryBox(L"Keep?", text); }, {"QueryBox", text, 5}},
    };
    IEditorListener::RegisterListener(&aRecorder);
    for (const auto& c : cases) {
        aRecorder.aCalls.clear();
        c.first();
        EXPECT_EQ(aRecorder.aCalls, TCalls{c.second});
    }
    aRecorder.aAnswer = true;
    EXPECT_TRUE(IEditorListener::QueryBox(L"Keep?", text));

    // Without a listener all is silent and the answer is no.
    IEditorListener::theListener = nullptr;
    aRecorder.aCalls.clear();
    for (const auto& c : cases)
        c.first();
    IEditorListener::OnKeyEdit(theList, true);
    EXPECT_FALSE(IEditorListener::QueryBox(L"Keep?", text));
    EXPECT_TRUE(aRecorder.aCalls.empty());
}

TEST_F(EditorListener, KeyEditFollowsTheEndOfEditAndTheRootStreamIsNeverAllDisabled) {
    MakeStream({});
    IEditorListener::RegisterListener(&aRecorder);
    IEditorListener::AllParamDisable(&aRoot);
    IEditorListener::AllParamDisable(&aStream);
    IEditorListener::OnKeyEdit(theList, false);
    aRecorder.aLeaveAfter = "EndOfParamEdit";
    IEditorListener::OnKeyEdit(theList, true);
    EXPECT_EQ(aRecorder.aCalls, (TCalls{{"RowModified", &aStream, 3},
                                        {"EndOfParamEdit", nullptr, 0},
                                        {"KeyEdit", &theList, 0},
                                        {"EndOfParamEdit", nullptr, 1}}));
}

TEST_F(EditorListener, RegisteringOverAListenerIsReportedAndReplacesIt) {
    TRecorder second;
    IEditorListener::RegisterListener(&aRecorder);
    EXPECT_ASSERTS(IEditorListener::RegisterListener(&second), "theListener == __null");
    IEditorListener::OnRowSelect();
    EXPECT_TRUE(aRecorder.aCalls.empty());
    EXPECT_EQ(second.aCalls.size(), 1u);
    EXPECT_ASSERTS(IEditorListener::RegisterListener(nullptr), "theListener == __null");
    EXPECT_EQ(IEditorListener::theListener, nullptr);
}

TEST_F(EditorListener, ABatchReportsTheTopmostNeighbourThenTheTopmostSwitchedRow) {
    const auto ROW = IEditorListener::editROW;
    const auto LAST = IEditorListener::editPREV_PARAM_LAST;
    const auto FOLLOWED = IEditorListener::editPREV_PARAM_FOLLOWED;
    struct TCase {
        const char* aName;
        std::vector<bool> aEnabled;
        bool aShown;
        std::vector<std::pair<int, bool>> aSwitches;
        std::vector<std::pair<int, IEditorListener::EEditFlag>> aReports;
    } cases[] = {
        {"three off, topmost kept", {1, 1, 1, 1, 1, 1}, true, {{4, 0}, {1, 0}, {3, 0}}, {{1, ROW}}},
        // Each switched-off row leaves its place to the next: equal tops, the latest wins.
        {"equal tops", {1, 1, 1, 1}, true, {{1, 0}, {2, 0}, {3, 0}}, {{0, LAST}, {3, ROW}}},
        {"last off", {1, 1, 0}, true, {{1, 0}}, {{0, LAST}, {1, ROW}}},
        {"last off upwards", {1, 1, 1, 1}, true, {{3, 0}, {2, 0}, {1, 0}}, {{0, LAST}, {1, ROW}}},
        {"on after one", {0, 1, 0, 1}, true, {{2, 1}}, {{1, FOLLOWED}, {2, ROW}}},
        {"first on", {0, 1}, true, {{0, 1}}, {{0, ROW}}},
        {"hidden", {1, 1}, false, {{1, 0}}, {}},
    };
    for (const TCase& c : cases) {
        for (TZVParamRow* param : aStream.aParamTab)
            delete param;
        aStream.aParamTab.clear();
        MakeStream(c.aEnabled, c.aShown);
        TRecorder recorder;
        IEditorListener::theListener = &recorder;
        for (const auto& s : c.aSwitches)
            Switch(s.first, s.second);
        IEditorListener::EndEnableParam();
        IEditorListener::EndEnableParam(); // the batch is over: nothing more
        TCalls expected;
        for (const auto& r : c.aReports)
            expected.push_back(Modified(r.first, r.second));
        EXPECT_EQ(recorder.aCalls, expected) << c.aName;
    }
}

// A batch ended without a listener stays pending; one whose listener leaves while it is
// told ends all the same.
TEST_F(EditorListener, ABatchWaitsForAListenerButNotForOneThatLeft) {
    MakeStream({true, true});
    Switch(1, false); // no listener: not recorded
    IEditorListener::RegisterListener(&aRecorder);
    IEditorListener::EndEnableParam();
    EXPECT_TRUE(aRecorder.aCalls.empty());

    Switch(1, true);
    IEditorListener::theListener = nullptr;
    IEditorListener::EndEnableParam();
    IEditorListener::RegisterListener(&aRecorder);
    aRecorder.aLeaveAfter = "RowModified";
    IEditorListener::EndEnableParam();
    IEditorListener::RegisterListener(&aRecorder);
    IEditorListener::EndEnableParam();
    EXPECT_EQ(aRecorder.aCalls, (TCalls{Modified(0, IEditorListener::editPREV_PARAM_FOLLOWED)}));
}
