// TZVParamRow: the row of one time-varying parameter of a stream row.
#pragma once

#include "DLL/Row/BaseRow.h"

class TZVParamRow : public TZVBaseRow {
public:
    TZVParamRow();
    virtual ~TZVParamRow();

    // The stream row the parameter belongs to.
    TZVStreamRow* GetOwnerStream() override;
    // Appends this row.
    void ListParam(std::list<TZVParamRow*>& pList) override;
    // Parameter names need not be unique.
    void DeconflictName() override;
    ERowKind retrieveRowKind() const override;

    // 0-based position of the row in its stream's parameter table.
    int aIndex;
    // The row is enabled: its keys count and its edits are reported.
    bool aIsEnabled;
};
