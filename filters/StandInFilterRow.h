// TStandInFilterRow<TRow, TBase>: what the filters of this module share. Each has one
// parameter (TRow::Control()) and no setups; TRow holds the class statics a factory reads
// (defined in its own unit, before its registration there).
#pragma once

#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/StreamFactory.h"

template <typename TRow, typename TBase>
class TStandInFilterRow : public TBase {
public:
    const wxString& GetSubType() const override { return TRow::TheSubType; }
    wxIcon* GetTypeIcon() const override { return TRow::GetIcon(); }
    bool HasVideo() const override { return TRow::theHasVideoFlag; }
    IZVStreamDisplayInfo* GetDisplayInfo() const override { return TRow::theDisplayInfo; }
    int GetParamCount() const override { return 1; }
    int GetSetupCount() const override { return 0; }
    int GetControlCount() const override { return 1; }
    int GetParamControl(int pIndex) const override {
        return pIndex == 0 ? TRow::theParamControlIndexTab[0] : -1;
    }
    int GetSetupControl(int) const override { return -1; }
    const TControlInfo* GetControlTab() const override { return &TRow::Control(); }
    wxIcon* GetParamTypeIcon(int) const override { return GetParamIcon(); }
};
