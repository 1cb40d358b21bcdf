#include "DLL/Row/StreamRow.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// "time:count,..." of a row's key list.
std::string Keys(const TZVBaseRow& pRow) {
    std::string text;
    for (const TStreamKey& key : pRow.aKeyList)
        text += (text.empty() ? "" : ",") + std::to_string(key.aTime) + ":" +
                std::to_string(key.aCount);
    return text;
}

// Root R, mixer M under it and source S under M, all shown; the listener names them.
class StreamRowKeys : public testing::Test {
protected:
    StreamRowKeys()
        : aRoot(rowKindMIXER, L"R"), aMixer(rowKindMIXER, L"M"), aSource(rowKindSOURCE, L"S"),
          aScope(aRecorder) {
        aRoot.MakeRoot();
        aMixer.SetParent(&aRoot, true);
        aSource.SetParent(&aMixer, true);
        aRecorder.aNames = {{&aRoot, "R"}, {&aMixer, "M"}, {&aSource, "S"}};
    }

    // The steps may leave counts that the rows' own destruction would not find again.
    void TearDown() override {
        for (TFakeStreamRow* row : {&aRoot, &aMixer, &aSource})
            row->aKeyList.clear();
    }

    // "R[..] M[..] S[..]"
    std::string Tree() const {
        return "R[" + Keys(aRoot) + "] M[" + Keys(aMixer) + "] S[" + Keys(aSource) + "]";
    }

    struct TStep {
        const char* aName;
        std::function<void()> aDo;
        std::string aTree, aCalls;
    };
    void Run(const std::vector<TStep>& pSteps) {
        for (const TStep& step : pSteps) {
            aRecorder.aCalls.clear();
            step.aDo();
            EXPECT_EQ(Tree(), step.aTree) << step.aName;
            EXPECT_EQ(aRecorder.aCalls, step.aCalls) << step.aName;
        }
    }

    // A source under pParent holding keys of its own (as if from its parameters).
    TFakeStreamRow* NewSource(TFakeStreamRow& pParent, bool pShown, const char* pName) {
        auto* source = new TFakeStreamRow(rowKindSOURCE, pName);
        source->AddParam(true);
        source->aKeyList.AddCount(TStreamKey(5), 2);
        source->aKeyList.AddCount(TStreamKey(10), 1);
        source->SetParent(&pParent, pShown);
        aRecorder.aNames[source] = pName;
        return source;
    }

    TFakeStreamRow aRoot, aMixer, aSource;
    TListenerRecorder aRecorder;
    TListenerScope aScope;
};

} // namespace

TEST_F(StreamRowKeys, ParameterKeysClimbToEveryRowThatHidesTheirSource) {
    const TStreamKey key10(10), key20(20), key30(30), key40(40);
    Run({
        // A shown source's keys are counted by the source and the root, not by the mixer.
        {"first key", [&] { aSource.PropagateKey(key10, 1, false, true); }, "R[10:1] M[] S[10:1]",
         "KeyToggle(S,10) "},
        {"second count", [&] { aSource.PropagateKey(key10, 1, false, true); },
         "R[10:2] M[] S[10:2]", ""},
        {"source hidden",
         [&] {
             aSource.aIsShown = false;
             aSource.PropagateKey(key20, 1, false, true);
         },
         "R[10:2,20:1] M[20:1] S[10:2,20:1]", "KeyToggle(S,20) KeyToggle(M,20) "},
        {"last count withdrawn", [&] { aSource.PropagateKey(key20, -1, false, true); },
         "R[10:2] M[] S[10:2]", "KeyToggle(S,20) KeyToggle(M,20) "},
        {"not up", [&] { aSource.PropagateKey(key30, 1, false, false); },
         "R[10:2] M[] S[10:2,30:1]", "KeyToggle(S,30) "},
        {"from a shown child of the mixer", [&] { aMixer.PropagateKey(key40, 1, true, true); },
         "R[10:2,40:1] M[] S[10:2,30:1]", ""},
        {"withdrawn at the root", [&] { aRoot.PropagateKey(key40, -1, true, true); },
         "R[10:2] M[] S[10:2,30:1]", ""},
    });
}

TEST_F(StreamRowKeys, AttachedRowsBringTheirKeysAndDyingRowsTakeThemAway) {
    TFakeStreamRow* shown = nullptr;
    TFakeStreamRow* hidden = nullptr;
    TFakeStreamRow* top = nullptr;
    const auto attach = [&](TFakeStreamRow* pRow, TFakeStreamRow& pParent, bool pShown) {
        TZVStreamRow::TUpdateKeyParam update{&pParent, true, true, pShown};
        pRow->UpdateKeyList(update);
    };
    Run({
        {"shown under the mixer",
         [&] { attach(shown = NewSource(aMixer, true, "C"), aMixer, true); }, "R[5:2,10:1] M[] S[]",
         ""},
        {"hidden under the mixer",
         [&] { attach(hidden = NewSource(aMixer, false, "D"), aMixer, false); },
         "R[5:4,10:2] M[5:2,10:1] S[]", "KeyToggle(M,5) KeyToggle(M,10) "},
        {"shown under the root", [&] { attach(top = NewSource(aRoot, true, "E"), aRoot, true); },
         "R[5:6,10:3] M[5:2,10:1] S[]", ""},
        // The mixer never counted the shown child: only the root loses its keys.
        {"shown child dies", [&] { delete shown; }, "R[5:4,10:2] M[5:2,10:1] S[]", ""},
        {"hidden child dies", [&] { delete hidden; }, "R[5:2,10:1] M[] S[]",
         "KeyToggle(M,5) KeyToggle(M,10) "},
        {"root's child destroyed", [&] { top->destroy(); }, "R[] M[] S[]", ""},
        {"and deleted", [&] { delete top; }, "R[] M[] S[]", ""},
    });
}
