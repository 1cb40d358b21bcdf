// TZVGainFilterRow ("Gain"): a sound filter with one parameter, its gain in decibels (-96 to
// 24, 0 by default). It takes no mask.
#pragma once

#include "DLL/Row/FilterRow.h"

class TZVGainFilterRow : public TZVAudioFilterRow {
public:
    ~TZVGainFilterRow() override;

    const wxString& GetSubType() const override;
    wxIcon* GetTypeIcon() const override;
    bool HasVideo() const override;
    IZVStreamDisplayInfo* GetDisplayInfo() const override;
    int GetParamCount() const override;
    int GetSetupCount() const override;
    int GetControlCount() const override;
    int GetParamControl(int pIndex) const override;
    int GetSetupControl(int pIndex) const override;
    const TControlInfo* GetControlTab() const override;
    wxIcon* GetParamTypeIcon(int pIndex) const override;

    static wxIcon* GetIcon();

    static wxString TheSubType;
    static IZVStreamDisplayInfo* theDisplayInfo;
    static bool theHasVideoFlag;
    static int theParamControlIndexTab[1];
    // No setups; one entry so the factory has somewhere to point.
    static int theSetupControlIndexTab[1];
};
