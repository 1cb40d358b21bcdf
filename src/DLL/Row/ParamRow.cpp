#include "DLL/Row/ParamRow.h"

TZVParamRow::TZVParamRow() : aIndex(0), aIsEnabled(false) {}

TZVParamRow::~TZVParamRow() = default;

TZVStreamRow* TZVParamRow::GetOwnerStream() {
    return aParent;
}

void TZVParamRow::ListParam(std::list<TZVParamRow*>& pList) {
    pList.push_back(this);
}

void TZVParamRow::DeconflictName() {}

ERowKind TZVParamRow::retrieveRowKind() const {
    return rowKindPARAM;
}
