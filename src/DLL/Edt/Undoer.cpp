#include "DLL/Edt/Undoer.h"

#include "DLL/Edt/UndoBuffer.h"

#include <unordered_map>

namespace {

// Handles are not reused, so a record whose owner is gone never reaches a newer undoer that
// happens to live at the same address.
struct TUndoerTable {
    std::unordered_map<uint32_t, TUndoer*> aLive;
    uint32_t aLastHandle = 0;
};

TUndoerTable& Table() {
    static TUndoerTable theTable;
    return theTable;
}

uint32_t Register(TUndoer* pUndoer) {
    TUndoerTable& table = Table();
    do
        ++table.aLastHandle;
    while (table.aLastHandle == 0 || table.aLive.count(table.aLastHandle) != 0);
    table.aLive[table.aLastHandle] = pUndoer;
    return table.aLastHandle;
}

} // namespace

TUndoer::TUndoer() : aHandle(Register(this)) {}

TUndoer::TUndoer(const TUndoer&) : aHandle(Register(this)) {}

TUndoer& TUndoer::operator=(const TUndoer&) {
    return *this;
}

TUndoer::~TUndoer() {
    Table().aLive.erase(aHandle);
}

wxString TUndoer::UndoAction(TUndoData*, bool pRedo) {
    return pRedo ? TUndoBuffer::theDefaultRedoAction : TUndoBuffer::theDefaultUndoAction;
}

void TUndoer::CompleteAction(TUndoBuffer*) {}

TUndoer* TUndoer::FromHandle(uint32_t pHandle) {
    if (pHandle == 0)
        return nullptr;
    const TUndoerTable& table = Table();
    const auto found = table.aLive.find(pHandle);
    return found == table.aLive.end() ? nullptr : found->second;
}
