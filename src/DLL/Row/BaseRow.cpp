#include "DLL/Row/BaseRow.h"

#include "DLL/Row/Project.h"
#include "DLL/Row/StreamRow.h"

TZVBaseRow::TZVBaseRow() : aTop(0), aParent(nullptr), aHeight(24) {}

TZVBaseRow::~TZVBaseRow() = default;

TZVBaseRow* TZVBaseRow::GetRowAt(int pY) {
    if (pY < 0)
        return nullptr;
    TZVStreamRow* root = IZVProject::theCurrentProject->GetRootRow();
    return root ? root->GetRow(pY) : nullptr;
}

void TZVBaseRow::MarkKeyAt(int) const {}

TZVBaseRow* TZVBaseRow::GetRow(int pY) {
    return pY < aTop + aHeight ? this : nullptr;
}

TZVBaseRow* TZVBaseRow::GetNextRow() const {
    return nullptr;
}
