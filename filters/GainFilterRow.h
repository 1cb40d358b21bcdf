// TZVGainFilterRow ("Gain"): a sound filter with one parameter, its gain in decibels (-96 to
// 24, 0 by default). It takes no mask.
#pragma once

#include "StandInFilterRow.h"

class TZVGainFilterRow : public TStandInFilterRow<TZVGainFilterRow, TZVAudioFilterRow> {
public:
    ~TZVGainFilterRow() override;

    // The "Gain" entry.
    static const TControlInfo& Control();
    static wxIcon* GetIcon();
    // Makes a new TZVGainFilterStream the row's render stream.
    void SetDefault() override;

    static wxString TheSubType;
    static IZVStreamDisplayInfo* theDisplayInfo;
    static bool theHasVideoFlag;
    static int theParamControlIndexTab[1];
    // No setups; one entry so the factory has somewhere to point.
    static int theSetupControlIndexTab[1];
};
