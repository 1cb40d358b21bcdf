#include "DLL/Edt/UndoBuffer.h"

#include "UndoBufferCheck.h"
#include "support/AssertCapture.h"

#include "ALL/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> TLog;

// An editor whose document is a text. A record holds the text before the edit; applying it
// swaps that text with the document's through Resize, so the next application goes back.
class TTextUndoer : public TUndoer {
public:
    TTextUndoer(TLog& pLog, const std::string& pName) : aLog(pLog), aName(pName) {}

    std::string aText;
    bool aAnswer = true;
    std::string aPending; // stored by CompleteAction when not empty
    std::function<void(TUndoBuffer*)> aDuringApply;

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
        aLog.push_back((pRedo ? "redo " : "undo ") + aName + ":" + before);
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
        aLog.push_back("complete " + aName);
        if (!aPending.empty())
            Edit(*pBuffer, aPending);
    }

private:
    TLog& aLog;
    std::string aName;
};

class UndoBufferTest : public testing::Test, public TUndoBuffer::IListener {
protected:
    UndoBufferTest() { UseBuffer(1024); }

    void UseBuffer(unsigned long pSize) {
        aBuffer.reset(new TUndoBuffer(pSize));
        aBuffer->RegisterListener(this);
    }
    void OnUndoStateChange(bool pActionOpen) override {
        aLog.push_back(pActionOpen ? "listener open" : "listener changed");
    }
    void TearDown() override { EXPECT_EQ(CheckUndoBuffer(*aBuffer), ""); }

    // Each step is followed by the invariant check.
    void Edit(const std::string& pText, bool pNeutral = false) {
        aEditor.Edit(*aBuffer, pText, pNeutral);
        ASSERT_EQ(CheckUndoBuffer(*aBuffer), "") << "after storing " << pText;
    }
    bool Undo() {
        const bool result = aBuffer->Undo();
        EXPECT_EQ(CheckUndoBuffer(*aBuffer), "") << "after Undo";
        return result;
    }
    void Redo() {
        aBuffer->Redo();
        EXPECT_EQ(CheckUndoBuffer(*aBuffer), "") << "after Redo";
    }
    void AltRedo() {
        aBuffer->AltRedo();
        EXPECT_EQ(CheckUndoBuffer(*aBuffer), "") << "after AltRedo";
    }
    std::string Label(bool pRedo) {
        wxString label;
        const bool found = aBuffer->UndoAction(label, pRedo);
        return (found ? "" : "(none) ") + label.ToStdString();
    }
    std::string AltLabel() {
        wxString label;
        const bool found = aBuffer->AltRedoAction(label);
        return (found ? "" : "(none) ") + label.ToStdString();
    }
    TLog TakeLog() { return std::move(aLog); }
    unsigned long LengthAt(TUndoBuffer::TPosition pPosition) const {
        return reinterpret_cast<const TUndoer::TUndoData*>(aBuffer->GetBlock() + pPosition)
            ->GetLength();
    }

    TLog aLog;
    TTextUndoer aEditor{aLog, "e"};
    std::unique_ptr<TUndoBuffer> aBuffer;
};

TEST_F(UndoBufferTest, FreshBufferHasNothingToApply) {
    EXPECT_FALSE(Undo());
    Redo();
    AltRedo();
    EXPECT_EQ(Label(false), "(none) Undo");
    EXPECT_EQ(Label(true), "(none) Redo");
    EXPECT_EQ(AltLabel(), "(none) Alt Redo");
    EXPECT_EQ(aBuffer->GetMark(), aBuffer->GetCurrent());
    EXPECT_EQ(TakeLog(), TLog());
}

TEST_F(UndoBufferTest, UndoAndRedoSwapTheStateThroughResize) {
    Edit("one");
    Edit("three33");
    EXPECT_EQ(Label(false), "Undo one");
    EXPECT_EQ(TakeLog(), TLog({"listener changed", "listener changed"}));
    EXPECT_TRUE(Undo());
    EXPECT_EQ(aEditor.aText, "one");
    EXPECT_EQ(LengthAt(0), 16u + 7) << "the record now holds the undone text";
    EXPECT_EQ(Label(true), "Redo three33");
    EXPECT_TRUE(Undo());
    EXPECT_FALSE(Undo());
    EXPECT_EQ(aEditor.aText, "");
    Redo();
    Redo();
    Redo();
    EXPECT_EQ(aEditor.aText, "three33");
    EXPECT_EQ(TakeLog(),
              TLog({"undo e:one", "listener changed", "undo e:", "listener changed", "redo e:one",
                    "listener changed", "redo e:three33", "listener changed"}));
}

TEST_F(UndoBufferTest, RefusedRecordsLeaveTheHistoryUnchanged) {
    UseBuffer(64);
    Edit("kept");
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
    };
    for (const auto& test : cases) {
        std::vector<uint32_t> storage(16, 0);
        auto* record = reinterpret_cast<TUndoer::TUndoData*>(storage.data());
        record->aAllocSize = test.aAlloc;
        record->aLength = test.aLength;
        try {
            aBuffer->StoreData(*record);
            ADD_FAILURE() << test.aMessage;
        } catch (const TError& error) {
            EXPECT_EQ(error, test.aMessage);
        }
        EXPECT_EQ(std::vector<uint8_t>(aBuffer->GetBlock(), aBuffer->GetBlock() + 20), before);
        EXPECT_EQ(aBuffer->GetLast(), 0u);
    }
    std::vector<uint32_t> full(16, 0);
    reinterpret_cast<TUndoer::TUndoData*>(full.data())->aAllocSize = 64;
    reinterpret_cast<TUndoer::TUndoData*>(full.data())->aLength = 64;
    aBuffer->StoreData(*reinterpret_cast<TUndoer::TUndoData*>(full.data()));
    EXPECT_EQ(aBuffer->GetLast(), 0u) << "a record of the whole buffer is the only one";
}

TEST_F(UndoBufferTest, FullBufferDropsTheOldestRecords) {
    UseBuffer(100);
    aEditor.aText = std::string(20, 'z');
    Edit(std::string(20, 'a'));
    Edit(std::string(20, 'b'));
    Edit(std::string(20, 'c')); // 3 x 36 bytes: the first record goes
    EXPECT_TRUE(Undo());
    EXPECT_TRUE(Undo());
    EXPECT_FALSE(Undo());
    EXPECT_EQ(aEditor.aText, std::string(20, 'a'));
}

TEST_F(UndoBufferTest, StoringAfterUndoDiscardsTheUndoneRecords) {
    Edit("1");
    Edit("2");
    Edit("3");
    Undo();
    Undo();
    Edit("x");
    TakeLog();
    Redo();
    EXPECT_EQ(TakeLog(), TLog());
    EXPECT_EQ(AltLabel(), "(none) Alt Redo");
}

TEST_F(UndoBufferTest, StoringAfterUndoingEverythingKeepsOnlyTheNewRecord) {
    Edit("1");
    Edit("22");
    Undo();
    Undo();
    Edit("x");
    EXPECT_EQ(aBuffer->GetLast(), 0u);
    EXPECT_TRUE(Undo());
    EXPECT_FALSE(Undo());
}

TEST_F(UndoBufferTest, NeutralStoreKeepsTheUndoneRecordsAsAlternativeBranch) {
    Edit("1");
    Edit("2");
    Edit("3"); // records: "2" (newest), "1", ""
    Undo();
    Undo(); // text "1"
    Edit("n", true);
    TakeLog();
    Redo();
    EXPECT_EQ(TakeLog(), TLog());
    EXPECT_EQ(Label(true), "(none) Redo");
    EXPECT_EQ(AltLabel(), "Alt Redo 2") << "the older of the two undone records";
    AltRedo();
    EXPECT_EQ(TakeLog(), TLog({"undo e:1", "listener changed", "redo e:2", "listener changed"}));
    EXPECT_EQ(aBuffer->GetAltBranch(), TUndoBuffer::NO_POSITION);
    Redo();
    EXPECT_EQ(aEditor.aText, "3");
    TakeLog();
    Redo();
    EXPECT_EQ(TakeLog(), TLog()) << "the branch's first record is the newest now";
}

TEST_F(UndoBufferTest, WithABranchUndoLandsOnTheForkPoint) {
    Edit("1");
    Edit("2");
    Undo();
    Edit("n", true); // branch: the record of "2"
    const TUndoBuffer::TPosition fork = aBuffer->GetAltBranch() + aBuffer->GetAltSize();
    Undo();
    EXPECT_EQ(aBuffer->GetCurrent(), fork);
    TakeLog();
    Redo();
    EXPECT_EQ(TakeLog(), TLog({"redo e:n", "listener changed"})) << "the newest, not the branch";
}

TEST_F(UndoBufferTest, MarkStaysOnTheMarkedState) {
    Edit("1");
    EXPECT_EQ(aBuffer->GetMark(), TUndoBuffer::TPosition(16)) << "the state before the record";
    Undo(); // the record grows to hold "1": the mark moves with the position past it
    EXPECT_EQ(aBuffer->GetCurrent(), aBuffer->GetMark());
    Redo();
    aBuffer->MarkCurrentState();
    Edit("n", true);
    EXPECT_EQ(aBuffer->GetMark(), aBuffer->GetCurrent()) << "a neutral record moves it along";
    Undo();
    EXPECT_EQ(aBuffer->GetMark(), aBuffer->GetCurrent()) << "and undoing it too";
    Redo();
    aBuffer->SetFixedMark(true);
    Edit("m", true);
    EXPECT_EQ(aBuffer->GetMark(), TUndoBuffer::TPosition(20)) << "a fixed mark stays";
    Edit("y");
    EXPECT_EQ(aBuffer->GetMark(), TUndoBuffer::TPosition(40)) << "and moves with the data";
}

TEST_F(UndoBufferTest, MarkOnADroppedStateIsCleared) {
    UseBuffer(64);
    Edit("1");
    Edit("22");
    Edit(std::string(20, 'x'));
    EXPECT_EQ(aBuffer->GetMark(), TUndoBuffer::TPosition(56)) << "the state of the empty text";
    Edit(std::string(40, 'y')); // keeps only the record of "22"
    EXPECT_EQ(aBuffer->GetMark(), TUndoBuffer::NO_POSITION);
    aBuffer->SetFixedMark(true);
    aBuffer->MarkCurrentState();
    Edit("z"); // nothing is retained: the mark keeps its state, before the new record
    EXPECT_EQ(aBuffer->GetLast(), 0u);
    EXPECT_EQ(aBuffer->GetMark(), TUndoBuffer::TPosition(56));
}

TEST_F(UndoBufferTest, ResizeKeepsSmallShrinksAndRefusesTooShortRecords) {
    UseBuffer(4096); // shrinks of fewer than 4 bytes keep the allocation
    Edit(std::string(40, 'a'));
    Edit("b");
    struct {
        unsigned long aLength;
        bool aResult;
        unsigned long aAllocAfter;
    } const cases[] = {
        {56, true, 56}, {53, true, 56}, {52, true, 52}, {200, true, 200}, {5000, false, 200}};
    for (const auto& test : cases) {
        aEditor.aDuringApply = [&](TUndoBuffer* pBuffer) {
            EXPECT_EQ(pBuffer->Resize(test.aLength), test.aResult) << test.aLength;
            EXPECT_EQ(reinterpret_cast<const TUndoer::TUndoData*>(pBuffer->GetBlock())->aAllocSize,
                      test.aAllocAfter);
        };
        aEditor.aAnswer = false;
        Undo();
    }
    aEditor.aDuringApply = [&](TUndoBuffer* pBuffer) {
        EXPECT_ASSERTS(EXPECT_FALSE(pBuffer->Resize(12)),
                       "AllocSize >= sizeof(TUndoer::TUndoData)");
        EXPECT_EQ(LengthAt(0), 200u);
    };
    Undo();
    EXPECT_ASSERTS(EXPECT_TRUE(aBuffer->Resize(LengthAt(0))), "aUndoing");
}

TEST_F(UndoBufferTest, GrowthThatCannotFitDropsTheRecordWithTheOlderOnes) {
    UseBuffer(128);
    Edit("1");
    Edit("2");
    Edit(std::string(60, '3'));
    Undo(); // the newest record now holds 60 letters
    aEditor.aText = std::string(100, 'x');
    EXPECT_TRUE(Undo()) << "the owner applied it, though its growth failed";
    EXPECT_EQ(aBuffer->GetCurrent(), 76u) << "everything left is undone";
    EXPECT_EQ(aBuffer->GetLast(), 0u);
}

TEST_F(UndoBufferTest, OldestRecordGrowingInPlaceStaysInsideTheBlock) {
    UseBuffer(65536); // shrinks below 64 bytes keep the allocation
    std::vector<uint32_t> roomy = TTextUndoer::MakeRecord(&aEditor, "", false);
    reinterpret_cast<TUndoer::TUndoData*>(roomy.data())->aAllocSize = 4096;
    aBuffer->StoreData(*reinterpret_cast<TUndoer::TUndoData*>(roomy.data()));
    aEditor.aText = std::string(63472, 'b');
    Edit("c"); // the roomy record is now the oldest, 48 bytes from the end
    ASSERT_EQ(aBuffer->GetLast(), 63488u);
    aEditor.aText = std::string(63472, 'd');
    Undo();
    aEditor.aText = std::string(4020, 'e');
    Undo(); // a shrink of the allocation by 60 keeps it: 4036 bytes from 48 before the end
    EXPECT_EQ(aBuffer->GetLast(), 0u);
    EXPECT_EQ(aBuffer->GetCurrent(), 63488u);
}

TEST_F(UndoBufferTest, ListenersHearActionsInOrder) {
    TTextUndoer other(aLog, "o");
    aEditor.aPending = "typed";
    aBuffer->StartAction(&aEditor);
    aBuffer->StartAction(&other);
    EXPECT_EQ(Label(false), "Undo ");
    EXPECT_EQ(TakeLog(), TLog({"listener open", "listener open", "complete e", "listener changed",
                               "listener open", "listener open", "complete o"}));
    EXPECT_EQ(aEditor.aText, "typed");
    aBuffer->CompleteAction();
    EXPECT_EQ(TakeLog(), TLog()) << "nothing is open any more";
    aBuffer->UnregisterListener(this);
    EXPECT_ASSERTS(aBuffer->UnregisterListener(this), "false");
    aBuffer->StartAction(&aEditor);
    EXPECT_ASSERTS(Undo(), "aHandler==__null", "aHandler==__null"); // Undo, then Resize
    EXPECT_EQ(TakeLog(), TLog({"undo e:"}));
}

TEST_F(UndoBufferTest, FailuresInsideTheOwnerLeaveTheBufferUsable) {
    aEditor.aDuringApply = [&](TUndoBuffer*) { aEditor.Edit(*aBuffer, "again"); };
    Edit("1");
    EXPECT_THROW(aBuffer->Undo(), TError);
    EXPECT_FALSE(aBuffer->IsUndoing());
    aEditor.aDuringApply = nullptr;
    aEditor.aText = std::string(2000, 'x');
    aEditor.aPending = "y";
    aBuffer->StartAction(&aEditor);
    EXPECT_THROW(aBuffer->CompleteAction(), TError);
    EXPECT_TRUE(Undo()) << "not completing any more";
}

TEST_F(UndoBufferTest, RecordsOfDestroyedOwnersAreSkipped) {
    std::unique_ptr<TTextUndoer> gone(new TTextUndoer(aLog, "g"));
    Edit("1");
    gone->Edit(*aBuffer, "g1");
    gone->Edit(*aBuffer, "g2");
    const std::vector<uint32_t> orphan = TTextUndoer::MakeRecord(gone.get(), "", false);
    gone.reset();
    aBuffer->StartAction(gone.get());
    EXPECT_EQ(Label(false), "Undo ");
    TakeLog();
    EXPECT_TRUE(Undo());
    EXPECT_EQ(TakeLog(), TLog({"undo e:", "listener changed"}));
    EXPECT_EQ(Label(true), "Redo 1");
    Redo();
    EXPECT_EQ(aBuffer->GetCurrent(), 36u);
    Redo();
    EXPECT_EQ(aBuffer->GetCurrent(), 0u) << "stepped over both to the newest";
    EXPECT_EQ(TakeLog(), TLog({"redo e:1", "listener changed", "listener changed"}));
    EXPECT_FALSE(TUndoBuffer::Recover(*reinterpret_cast<const TUndoer::TUndoData*>(orphan.data())));
}

TEST_F(UndoBufferTest, InitEmptiesTheHistory) {
    Edit("1");
    aBuffer->SetFixedMark(true);
    aBuffer->init();
    EXPECT_EQ(aBuffer->GetCurrent(), TUndoBuffer::NO_POSITION);
    EXPECT_FALSE(aBuffer->IsFixedMark());
    EXPECT_FALSE(Undo());
}

} // namespace
