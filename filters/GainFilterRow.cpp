#include "GainFilterRow.h"

#include "GainFilterStream.h"

wxString TZVGainFilterRow::TheSubType;
IZVStreamDisplayInfo* TZVGainFilterRow::theDisplayInfo = nullptr;
bool TZVGainFilterRow::theHasVideoFlag = false;
int TZVGainFilterRow::theParamControlIndexTab[1] = {0};
int TZVGainFilterRow::theSetupControlIndexTab[1] = {-1};

namespace {

const struct TRegistration {
    TRegistration() { RegisterRowClass<TZVGainFilterRow, TZVFilterRow>(L"Gain", 20); }
} theRegistration;

// Decibels, 0 (unchanged) by default.
TTypeDef GainType() {
    TTypeDef type(paramTypeREAL);
    type.aDefault = TVariant(0.0);
    type.aMin = TVariant(-96.0);
    type.aMax = TVariant(24.0);
    type.aRangeCheck = true;
    return type;
}

} // namespace

TZVGainFilterRow::~TZVGainFilterRow() = default;

const TControlInfo& TZVGainFilterRow::Control() {
    static const TControlInfo theControl(0, GainType(), L"Gain", true);
    return theControl;
}

wxIcon* TZVGainFilterRow::GetIcon() {
    return GetAudioStreamIcon();
}

void TZVGainFilterRow::SetDefault() {
    SetRenderStream(new TZVGainFilterStream);
}
