#include "DLL/Edt/EditorListener.h"

#include "ALL/Range.h"
#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The relay passes the edit list on without looking at it.
const int theListStorage = 0;
const TStreamEditList& theList = reinterpret_cast<const TStreamEditList&>(theListStorage);

// The listener and the batch are process-wide: each test ends with neither.
class EditorListener : public testing::Test {
protected:
    EditorListener() {
        aRecorder.aNames = {{&aStream, "s"}, {&theList, "list"}};
        aStream.aParent = &aRoot;
    }
    void TearDown() override {
        TListenerRecorder sink;
        IEditorListener::theListener = &sink;
        IEditorListener::EndEnableParam();
        IEditorListener::theListener = nullptr;
    }

    // Parameters "p0", "p1"... of height 24 from y 100 on; disabled ones take no room.
    void MakeParams(const std::vector<bool>& pEnabled, bool pShown = true) {
        for (TZVParamRow* param : aStream.aParamTab)
            delete param;
        aStream.aParamTab.clear();
        aStream.aIsParamShown = pShown;
        int top = 100;
        for (bool enabled : pEnabled) {
            TZVParamRow* param = new TFakeParamRow;
            param->aIndex = int(aStream.aParamTab.size());
            param->aIsEnabled = enabled;
            param->aParent = &aStream;
            param->aTop = top;
            top += enabled ? param->aHeight : 0;
            aRecorder.aNames[param] = "p" + std::to_string(param->aIndex);
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

    TFakeStreamRow aRoot;
    TFakeStreamRow aStream;
    TListenerRecorder aRecorder;
};

} // namespace

TEST_F(EditorListener, EveryRelayCallsItsOperationWithTheSameArgumentsOrNothingAlone) {
    TFakeParamRow param;
    const wchar_t* text = L"title";
    aRecorder.aNames.insert({{&param, "p"}, {text, "text"}});
    bool answers[2];
    for (bool& answer : answers) {
        IEditorListener::OnRowModified(&aStream, IEditorListener::editWAVEFORM);
        IEditorListener::OnRowSelect();
        IEditorListener::SignalUpdate();
        IEditorListener::OnTimeSelect(true, false);
        IEditorListener::OnToggleRendering(&aStream);
        IEditorListener::OnToggleStream(true);
        IEditorListener::OnDurationChange();
        IEditorListener::OnParamKeyEdit(&param, TRange(3, 9));
        IEditorListener::OnStreamSeqEdit(&aStream, TRange(3, 9));
        IEditorListener::OnKeyToggle(&aStream, -40);
        IEditorListener::EndOfParamEdit(true);
        IEditorListener::OnProject(true);
        IEditorListener::UpdateDialog();
        IEditorListener::OnEditUnderMutex(true);
        IEditorListener::OnMediaParamEdit();
        answer = IEditorListener::QueryBox(L"Keep?", text);
        IEditorListener::OnKeyEdit(theList, false);
        IEditorListener::AllParamDisable(&aStream);
        IEditorListener::AllParamDisable(&aRoot); // the root stream is never reported
        IEditorListener::theListener = &aRecorder;
    }
    EXPECT_FALSE(answers[0]) << "no listener: silence, and no";
    EXPECT_TRUE(answers[1]);
    EXPECT_EQ(aRecorder.aCalls,
              "RowModified(s,6) RowSelect(,0) SignalUpdate(,0) TimeSelect(,10) "
              "ToggleRendering(s,0) ToggleStream(,1) DurationChange(,0) ParamKeyEdit(p,3009) "
              "StreamSeqEdit(s,3009) KeyToggle(s,-40) EndOfParamEdit(,1) Project(,1) "
              "UpdateDialog(,0) EditUnderMutex(,1) MediaParamEdit(,0) QueryBox(text,5) "
              "EndOfParamEdit(,0) KeyEdit(list,0) RowModified(s,3) ");
}

TEST_F(EditorListener, KeyEditStopsWhenTheListenerLeavesAfterTheEndOfEdit) {
    IEditorListener::RegisterListener(&aRecorder);
    aRecorder.aLeaveAfter = "EndOfParamEdit";
    IEditorListener::OnKeyEdit(theList, true);
    EXPECT_EQ(aRecorder.aCalls, "EndOfParamEdit(,1) ");
}

TEST_F(EditorListener, RegisteringOverAListenerIsReportedAndReplacesIt) {
    TListenerRecorder second;
    IEditorListener::RegisterListener(&aRecorder);
    EXPECT_ASSERTS(IEditorListener::RegisterListener(&second), "theListener == __null");
    IEditorListener::OnRowSelect();
    EXPECT_EQ(aRecorder.aCalls + "|" + second.aCalls, "|RowSelect(,0) ");
    EXPECT_ASSERTS(IEditorListener::RegisterListener(nullptr), "theListener == __null");
    EXPECT_EQ(IEditorListener::theListener, nullptr);
}

TEST_F(EditorListener, ABatchReportsTheTopmostNeighbourThenTheTopmostSwitchedRow) {
    struct TCase {
        std::vector<bool> aEnabled;
        bool aShown;
        std::vector<std::pair<int, bool>> aSwitches;
        const char* aReports; // editROW 0, editPREV_PARAM_LAST 4, editPREV_PARAM_FOLLOWED 5
    } cases[] = {
        {{1, 1, 1, 1, 1, 1}, true, {{4, 0}, {1, 0}, {3, 0}}, "RowModified(p1,0) "},
        // Each switched-off row leaves its place to the next: equal tops, the latest wins.
        {{1, 1, 1, 1}, true, {{1, 0}, {2, 0}, {3, 0}}, "RowModified(p0,4) RowModified(p3,0) "},
        {{1, 1, 0}, true, {{1, 0}}, "RowModified(p0,4) RowModified(p1,0) "},
        {{1, 1, 1, 1}, true, {{3, 0}, {2, 0}, {1, 0}}, "RowModified(p0,4) RowModified(p1,0) "},
        {{0, 1, 0, 1}, true, {{2, 1}}, "RowModified(p1,5) RowModified(p2,0) "},
        // Followed, then last again at the same top: the latest call decides.
        {{1, 0}, true, {{1, 1}, {1, 0}}, "RowModified(p0,4) RowModified(p1,0) "},
        {{1, 1}, false, {{1, 0}}, ""},
    };
    IEditorListener::RegisterListener(&aRecorder);
    for (const TCase& c : cases) {
        MakeParams(c.aEnabled, c.aShown);
        aRecorder.aCalls.clear();
        for (const auto& s : c.aSwitches)
            Switch(s.first, s.second);
        IEditorListener::EndEnableParam();
        IEditorListener::EndEnableParam(); // the batch is over: nothing more
        EXPECT_EQ(aRecorder.aCalls, c.aReports);
    }
}

// A batch ended without a listener stays pending; one whose listener leaves while it is
// told ends all the same.
TEST_F(EditorListener, ABatchWaitsForAListenerButNotForOneThatLeft) {
    MakeParams({true, true});
    Switch(1, false); // no listener: not recorded
    IEditorListener::RegisterListener(&aRecorder);
    IEditorListener::EndEnableParam();
    EXPECT_EQ(aRecorder.aCalls, "");

    Switch(1, true);
    IEditorListener::theListener = nullptr;
    IEditorListener::EndEnableParam();
    IEditorListener::RegisterListener(&aRecorder);
    aRecorder.aLeaveAfter = "RowModified";
    IEditorListener::EndEnableParam();
    IEditorListener::RegisterListener(&aRecorder);
    IEditorListener::EndEnableParam();
    EXPECT_EQ(aRecorder.aCalls, "RowModified(p0,5) ");
}

TEST_F(EditorListener, ADetachedParameterOrAMissingStreamIsReportedAndSkipped) {
    TFakeParamRow detached;
    IEditorListener::RegisterListener(&aRecorder);
    EXPECT_ASSERTS(IEditorListener::ChangeParam(&detached, false), "pParam->aParent != __null");
    EXPECT_ASSERTS(IEditorListener::AllParamDisable(nullptr), "pStream != __null");
    IEditorListener::EndEnableParam();
    EXPECT_EQ(aRecorder.aCalls, "");
}
