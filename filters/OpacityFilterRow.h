// TZVOpacityFilterRow ("Opacity"): a picture filter with one parameter, the opacity of its
// output in percent (0 to 100, 100 by default). It takes a mask.
#pragma once

#include "StandInFilterRow.h"

class TZVOpacityFilterRow : public TStandInFilterRow<TZVOpacityFilterRow, TZVVideoFilterRow> {
public:
    ~TZVOpacityFilterRow() override;

    // The "Opacity" entry.
    static const TControlInfo& Control();
    static wxIcon* GetIcon();
    // Makes a new TZVOpacityFilterStream the row's render stream.
    void SetDefault() override;

    static wxString TheSubType;
    static IZVStreamDisplayInfo* theDisplayInfo;
    static bool theHasVideoFlag;
    static int theParamControlIndexTab[1];
    // No setups; one entry so the factory has somewhere to point.
    static int theSetupControlIndexTab[1];
};
