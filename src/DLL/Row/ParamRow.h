// TZVParamRow: the row of one time-varying parameter of a stream row.
#pragma once

#include "DLL/Row/BaseRow.h"

class TZVParamRow : public TZVBaseRow {
public:
    TZVParamRow();
    virtual ~TZVParamRow();

    // 0-based position of the row in its stream's parameter table.
    int aIndex;
    // The row is enabled: its keys count and its edits are reported.
    bool aIsEnabled;
};
