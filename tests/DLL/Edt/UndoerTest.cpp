#include "DLL/Edt/Undoer.h"

#include "DLL/Edt/UndoBuffer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TPlainUndoer : public TUndoer {
public:
    bool ApplyUndo(TUndoData*, TUndoBuffer*, bool) override { return true; }
};

TEST(Undoer, RecordsNameTheirOwnerUntilItIsDestroyed) {
    std::unique_ptr<TPlainUndoer> owner(new TPlainUndoer);
    TUndoer::TUndoData header{16, 16, 0, 0};
    EXPECT_EQ(header.GetUndoer(), nullptr);
    header.SetUndoer(owner.get());
    EXPECT_NE(header.aUndoer, 0u);
    EXPECT_EQ(header.GetUndoer(), owner.get());
    const uint32_t handle = header.aUndoer;
    owner.reset();
    EXPECT_EQ(header.GetUndoer(), nullptr);
    const TPlainUndoer successor; // may well live at the same address
    EXPECT_NE(successor.GetHandle(), handle);
    EXPECT_EQ(TUndoer::FromHandle(handle), nullptr);
}

TEST(Undoer, CopiesAreUndoersOfTheirOwn) {
    TPlainUndoer first;
    TPlainUndoer second(first);
    EXPECT_NE(first.GetHandle(), second.GetHandle());
    const uint32_t kept = second.GetHandle();
    second = first;
    EXPECT_EQ(second.GetHandle(), kept);
    EXPECT_EQ(TUndoer::FromHandle(kept), &second);
}

TEST(Undoer, DefaultsLabelWithTheBufferTextsAndCompleteNothing) {
    TPlainUndoer owner;
    TUndoer::TUndoData header{16, 16 | TUndoer::UNDO_NEUTRAL_BIT, 0, 0};
    EXPECT_EQ(owner.UndoAction(&header, false), "Undo");
    EXPECT_EQ(owner.UndoAction(&header, true), "Redo");
    header.SetLength(40);
    EXPECT_TRUE(header.IsNeutral());
    EXPECT_EQ(header.GetLength(), 40u);
    TUndoBuffer buffer(64);
    owner.CompleteAction(&buffer);
    EXPECT_EQ(buffer.GetCurrent(), TUndoBuffer::NO_POSITION);
}

} // namespace
