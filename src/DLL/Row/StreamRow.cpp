#include "DLL/Row/StreamRow.h"

#include "DLL/Row/ParamRow.h"

#include <algorithm>

TZVStreamRow::~TZVStreamRow() {
    for (TZVParamRow* param : aParamTab)
        delete param;
}

TZVParamRow* TZVStreamRow::GetPrevParam(int pIndex) const {
    // An index beyond the table scans from its end.
    const size_t start = std::min(static_cast<size_t>(std::max(pIndex, 0)), aParamTab.size());
    for (size_t i = start; i-- > 0;)
        if (TZVParamRow* param = EnabledParamAt(i))
            return param;
    return nullptr;
}

TZVParamRow* TZVStreamRow::GetNextParam(int pIndex) const {
    // A negative index scans from the table's start.
    for (size_t i = pIndex < 0 ? 0 : static_cast<size_t>(pIndex) + 1; i < aParamTab.size(); ++i)
        if (TZVParamRow* param = EnabledParamAt(i))
            return param;
    return nullptr;
}

TZVParamRow* TZVStreamRow::EnabledParamAt(size_t pIndex) const {
    TZVParamRow* param = aParamTab[pIndex];
    return param && param->aIsEnabled ? param : nullptr;
}
