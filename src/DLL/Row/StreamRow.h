// TZVStreamRow: the row of one media stream, owner of its parameter rows.
#pragma once

#include "DLL/Row/BaseRow.h"

#include <cstddef>
#include <vector>

class TZVParamRow;

class TZVStreamRow : public TZVBaseRow {
public:
    TZVStreamRow() : aIsParamShown(false) {}
    // Deletes the parameter rows.
    virtual ~TZVStreamRow();

    // The nearest enabled parameter row before pIndex, or null.
    TZVParamRow* GetPrevParam(int pIndex) const;
    // The nearest enabled parameter row after pIndex, or null.
    TZVParamRow* GetNextParam(int pIndex) const;

    // The parameter rows in parameter order, each at its aIndex; owned. An entry may be
    // null while the row is being built.
    std::vector<TZVParamRow*> aParamTab;
    // The parameter block is open: the enabled parameter rows are shown below the row.
    bool aIsParamShown;

private:
    TZVParamRow* EnabledParamAt(size_t pIndex) const;
};
