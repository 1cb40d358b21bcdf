#include "DLL/Edt/UndoBuffer.h"

#include "UndoBufferModel.h"
#include "support/AssertCapture.h"

#include "ALL/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// An editor whose document is a text. A record holds the text before the edit; applying it
// swaps that text with the document's through Resize, so the next application goes back.
class TTextUndoer : public TUndoer {
public:
    TTextUndoer(std::string& pLog, const std::string& pName) : aLog(pLog), aName(pName) {}

    std::string aText;
    bool aAnswer = true;
    std::string aPending; // stored by CompleteAction when not empty
    std::function<void(TUndoBuffer*)> aDuringApply;
    std::function<void(TUndoBuffer*)> aDuringComplete;

    static std::vector<uint32_t> MakeRecord(const TUndoer* pOwner, const std::string& pText,
                                            bool pNeutral) {
        std::vector<uint32_t> storage(4 + pText.size() / 4 + 1);
        auto* record = reinterpret_cast<TUndoData*>(storage.data());
        record->aLength = uint32_t(16 + pText.size()) | (pNeutral ? UNDO_NEUTRAL_BIT : 0);
        record->aAllocSize = (record->GetLength() + 3) & ~3u;
        record->SetUndoer(pOwner);
        std::memcpy(record + 1, pText.data(), pText.size());
        return storage;
    }
    static std::string TextOf(const TUndoData* pRecord) {
        return std::string(reinterpret_cast<const char*>(pRecord + 1), pRecord->GetLength() - 16);
    }

    void Edit(TUndoBuffer& pBuffer, const std::string& pText, bool pNeutral = false) {
        pBuffer.StoreData(*reinterpret_cast<TUndoData*>(MakeRecord(this, aText, pNeutral).data()));
        aText = pText;
    }

    bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool pRedo) override {
        const std::string before = TextOf(pData);
        aLog += (pRedo ? "redo " : "undo ") + aName + ":" + before + " ";
        if (aDuringApply)
            aDuringApply(pBuffer);
        if (!aAnswer)
            return false;
        if (pBuffer && pBuffer->Resize(16 + aText.size()))
            std::memcpy(pData + 1, aText.data(), aText.size());
        aText = before;
        return true;
    }
    wxString UndoAction(TUndoData* pData, bool pRedo) override {
        return (pRedo ? "Redo " : "Undo ") + TextOf(pData);
    }
    void CompleteAction(TUndoBuffer* pBuffer) override {
        aLog += "complete " + aName + " ";
        if (aDuringComplete)
            aDuringComplete(pBuffer);
        if (!aPending.empty())
            Edit(*pBuffer, aPending);
    }

private:
    std::string& aLog;
    std::string aName;
};

class UndoBufferTest : public testing::Test, public TUndoBuffer::IListener {
protected:
    UndoBufferTest() { UseBuffer(1024); }

    void UseBuffer(unsigned long pSize) {
        aBuffer.reset(new TUndoBuffer(pSize));
        aBuffer->RegisterListener(this);
    }
    // Every step ends with a notice: the invariants are checked there.
    void OnUndoStateChange(bool pActionOpen) override {
        EXPECT_EQ(CheckUndoBuffer(*aBuffer), "");
        aLog += pActionOpen ? "open " : ". ";
    }
    void TearDown() override { EXPECT_EQ(CheckUndoBuffer(*aBuffer), ""); }

    // Runs the steps of pScript; gives what the editors and the listener (".") saw since the
    // last run. Steps: "+t" stores the edit that makes the text t, "~t" a neutral one; "u"
    // undoes ("u!" when it gives false), "r" redoes, "a" redoes the alternative; "L" gives the
    // undo, redo and alternative labels ("-" before a default one), "M" the current position, the
    // mark and a branch ("-" for none).
    std::string Run(const std::string& pScript) {
        std::istringstream steps(pScript);
        for (std::string step; steps >> step;) {
            if (step[0] == '+' || step[0] == '~')
                aEditor.Edit(*aBuffer, step.substr(1), step[0] == '~');
            else if (step == "u" && !aBuffer->Undo())
                aLog += "u! ";
            else if (step == "r")
                aBuffer->Redo();
            else if (step == "a")
                aBuffer->AltRedo();
            else if (step == "L")
                aLog += Labels() + " ";
            else if (step == "M")
                aLog += "@" + Position(aBuffer->GetCurrent()) + "/" + Position(aBuffer->GetMark()) +
                        Branch() + " ";
        }
        std::string log;
        log.swap(aLog);
        return log;
    }
    static std::string Position(TUndoBuffer::TPosition pPosition) {
        return pPosition == TUndoBuffer::NO_POSITION ? "-" : std::to_string(pPosition);
    }
    std::string Branch() const {
        const TUndoBuffer::TPosition start = aBuffer->GetAltBranch();
        return start == TUndoBuffer::NO_POSITION
                   ? ""
                   : "<" + Position(start) + "," + Position(start + aBuffer->GetAltSize()) + ">";
    }
    std::string Labels() {
        wxString undo, redo, alt;
        const bool found[] = {aBuffer->UndoAction(undo, false), aBuffer->UndoAction(redo, true),
                              aBuffer->AltRedoAction(alt)};
        return ((found[0] ? "" : "-") + undo + (found[1] ? "|" : "|-") + redo +
                (found[2] ? "|" : "|-") + alt)
            .ToStdString();
    }

    std::string aLog;
    TTextUndoer aEditor{aLog, "e"};
    std::unique_ptr<TUndoBuffer> aBuffer;
};

TEST_F(UndoBufferTest, Scenarios) {
    // Positions, marks and drops are the model test's; these pin labels and the editor's log.
    const std::pair<const char*, const char*> cases[] = {
        // Nothing to apply in an empty buffer; the mark is the current position (none).
        {"u r a L M", "u! -Undo|-Redo|-Alt Redo @-/- "},
        // Undo and Redo swap the text through Resize.
        {"+one +three33 L u L u u r r r",
         ". . Undo one|-Redo|-Alt Redo undo e:one . Undo |Redo three33|-Alt Redo undo e: . u! "
         "redo e:one . redo e:three33 . "},
        // A neutral store keeps the undone records as the branch: Undo stops at the fork, Redo
        // from there redoes the newest; AltRedo undoes the neutral record, drops it and redoes
        // the branch's older record, which is the newest now.
        {"+1 +2 +3 u u ~n L u M r r a r r M",
         ". . . undo e:2 . undo e:1 . . Undo 1|-Redo|Alt Redo 2 undo e:1 . @60/76<20,60> "
         "redo e:n . undo e:1 . redo e:2 . redo e:3 . @0/56 "},
    };
    for (const auto& [script, log] : cases) {
        UseBuffer(1024);
        aEditor.aText.clear();
        EXPECT_EQ(Run(script), log) << script;
    }
    aBuffer->SetFixedMark(true);
    aBuffer->init();
    EXPECT_EQ(Run("M u"), "@-/- u! ");
    EXPECT_FALSE(aBuffer->IsFixedMark());
}

TEST_F(UndoBufferTest, RefusedRecordsLeaveTheHistoryUnchanged) {
    UseBuffer(64);
    Run("+kept");
    const std::vector<uint8_t> before(aBuffer->GetBlock(), aBuffer->GetBlock() + 20);
    struct {
        uint32_t aAlloc, aLength;
        const char* aMessage;
    } const cases[] = {
        {68, 20, "Undo size greater than the buffer"},
        {12, 12, "Undo size less than minimum"},
        {34, 20, "Undo size not a multiple of 4"},
        {20, 40, "Undo length greater than its size"}, // would overwrite the kept record
        {20, 8, "Undo length less than minimum"},
        {64, 64, ""}, // the whole buffer: the only record
    };
    for (const auto& test : cases) {
        std::vector<uint32_t> storage(16, 0);
        auto* record = reinterpret_cast<TUndoer::TUndoData*>(storage.data());
        record->aAllocSize = test.aAlloc;
        record->aLength = test.aLength;
        try {
            aBuffer->StoreData(*record);
            EXPECT_EQ("", std::string(test.aMessage));
        } catch (const TError& error) {
            EXPECT_EQ(error, test.aMessage);
            EXPECT_EQ(std::vector<uint8_t>(aBuffer->GetBlock(), aBuffer->GetBlock() + 20), before);
        }
        EXPECT_EQ(aBuffer->GetLast(), 0u);
    }
}

// Lengths and allocations after a resize are the model test's; the reports are these.
TEST_F(UndoBufferTest, ResizeReportsTooShortRecordsAndCallsOutsideAnUndo) {
    Run("+" + std::string(40, 'a') + " +b");
    aEditor.aAnswer = false;
    aEditor.aDuringApply = [&](TUndoBuffer* pBuffer) {
        EXPECT_ASSERTS(EXPECT_FALSE(pBuffer->Resize(12)),
                       "AllocSize >= sizeof(TUndoer::TUndoData)");
        EXPECT_EQ(UndoRecordAt(*pBuffer, 0).GetLength(), 56u);
    };
    aBuffer->Undo();
    EXPECT_ASSERTS(EXPECT_TRUE(aBuffer->Resize(200)), "aUndoing");
}

TEST_F(UndoBufferTest, ListenersHearActionsInOrder) {
    TTextUndoer other(aLog, "o");
    aEditor.aPending = "typed";
    aBuffer->StartAction(&aEditor);
    aBuffer->StartAction(&other);
    EXPECT_EQ(Run("L"), "open open complete e . open open complete o Undo |-Redo|-Alt Redo ");
    aBuffer->CompleteAction();
    EXPECT_EQ(Run(""), "") << "nothing is open any more";
    aBuffer->UnregisterListener(this);
    EXPECT_ASSERTS(aBuffer->UnregisterListener(this), "false");
    aBuffer->StartAction(&aEditor);
    EXPECT_ASSERTS(aBuffer->Undo(), "aHandler==__null", "aHandler==__null"); // Undo, Resize
    EXPECT_EQ(Run(""), "undo e: ");
}

TEST_F(UndoBufferTest, FailuresInsideTheOwnerLeaveTheBufferUsable) {
    aEditor.aDuringApply = [&](TUndoBuffer*) { aEditor.Edit(*aBuffer, "again"); };
    Run("+1");
    EXPECT_THROW(aBuffer->Undo(), TError);
    EXPECT_FALSE(aBuffer->IsUndoing());
    aEditor.aDuringApply = nullptr;
    aEditor.aText = std::string(2000, 'x');
    aEditor.aPending = "y";
    aBuffer->StartAction(&aEditor);
    EXPECT_THROW(aBuffer->CompleteAction(), TError);
    EXPECT_TRUE(aBuffer->Undo()) << "not completing any more";
}

// An owner that undoes while it completes its action is told so, and the undo is done.
TEST_F(UndoBufferTest, UndoWhileAnActionCompletesIsReportedAndDone) {
    Run("+1 +2");
    aEditor.aDuringComplete = [](TUndoBuffer* pBuffer) {
        EXPECT_ASSERTS(EXPECT_TRUE(pBuffer->Undo()), "!aCompleting", "!aCompleting"); // and Resize
    };
    aBuffer->StartAction(&aEditor);
    EXPECT_EQ(Run(""), "open ");
    aBuffer->CompleteAction();
    EXPECT_EQ(Run(""), "open complete e undo e:1 . ");
}

TEST_F(UndoBufferTest, RecordsOfDestroyedOwnersAreSkipped) {
    std::unique_ptr<TTextUndoer> gone(new TTextUndoer(aLog, "g"));
    Run("+1");
    gone->Edit(*aBuffer, "g1");
    gone->Edit(*aBuffer, "g2");
    const std::vector<uint32_t> orphan = TTextUndoer::MakeRecord(gone.get(), "", false);
    gone.reset();
    EXPECT_EQ(Run("L u L r M r M"), ". . Undo |-Redo|-Alt Redo undo e: . -Undo|Redo 1|-Alt Redo "
                                    "redo e:1 . @36/52 . @0/52 ");
    EXPECT_FALSE(TUndoBuffer::Recover(*reinterpret_cast<const TUndoer::TUndoData*>(orphan.data())));
    // A gone owner's neutral record just after the fork: AltRedo steps over it to the fork
    // point, not further.
    UseBuffer(1024);
    gone.reset(new TTextUndoer(aLog, "g"));
    Run("+1 +2 u");
    gone->Edit(*aBuffer, "g", true);
    Run("~n");
    gone.reset();
    EXPECT_EQ(Run("a"), "undo e:1 . . redo e:2 . ");
}

// Thousands of random operations on buffers of several sizes (16386 is not a multiple of 4;
// 65536 keeps allocations on shrinks of up to 63 bytes), each step compared with the model.
TEST(UndoBufferModel, AgreesWithTheListModelAtEveryStep) {
    for (unsigned long size : {64ul, 256ul, 1000ul, 4096ul, 16386ul, 65536ul}) {
        std::mt19937 random{unsigned(size)};
        NSUndoModel::THarness harness(size,
                                      [&](unsigned pBound) { return unsigned(random() % pBound); });
        for (int step = 0; step < 5000; ++step)
            ASSERT_EQ(harness.Step(), "") << "size " << size << ", step " << step;
    }
}

} // namespace
