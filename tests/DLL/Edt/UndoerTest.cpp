#include "DLL/Edt/Undoer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TPlainUndoer : public TUndoer {
public:
    bool ApplyUndo(TUndoData*, TUndoBuffer*, bool) override { return true; }
};

TEST(Undoer, RecordsNameTheirOwnerByAHandleNeverGivenAgain) {
    std::unique_ptr<TPlainUndoer> owner(new TPlainUndoer);
    TUndoer::TUndoData header{16, 16, 0, 0};
    header.SetUndoer(owner.get());
    EXPECT_EQ(header.GetUndoer(), owner.get());
    EXPECT_EQ(owner->UndoAction(&header, false) + owner->UndoAction(&header, true), "UndoRedo");
    TPlainUndoer copy(*owner);
    const uint32_t kept = copy.GetHandle();
    copy = *owner;
    EXPECT_NE(kept, header.aUndoer) << "a copy is an undoer of its own";
    EXPECT_EQ(copy.GetHandle(), kept) << "and keeps its handle when assigned";
    owner.reset();
    const TPlainUndoer successor; // may well live at the same address
    EXPECT_EQ(header.GetUndoer(), nullptr);
    EXPECT_EQ(TUndoer::FromHandle(kept), &copy);
}

} // namespace
