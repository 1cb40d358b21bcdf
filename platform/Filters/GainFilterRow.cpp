#include "GainFilterRow.h"

#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/StreamFactory.h"

#include <vector>

wxString TZVGainFilterRow::TheSubType;
IZVStreamDisplayInfo* TZVGainFilterRow::theDisplayInfo = nullptr;
bool TZVGainFilterRow::theHasVideoFlag = false;
int TZVGainFilterRow::theParamControlIndexTab[1] = {0};
int TZVGainFilterRow::theSetupControlIndexTab[1] = {-1};

namespace {

// Decibels, 0 (unchanged) by default.
TTypeDef GainType() {
    TTypeDef type(paramTypeREAL);
    type.aDefault = TVariant(0.0);
    type.aMin = TVariant(-96.0);
    type.aMax = TVariant(24.0);
    type.aRangeCheck = true;
    return type;
}

const std::vector<TControlInfo>& Controls() {
    static const std::vector<TControlInfo> theControls{TControlInfo(0, GainType(), L"Gain", true)};
    return theControls;
}

const struct TRegistration {
    TRegistration() { RegisterRowClass<TZVGainFilterRow, TZVFilterRow>(L"Gain", 20); }
} theRegistration;

} // namespace

TZVGainFilterRow::~TZVGainFilterRow() = default;

const wxString& TZVGainFilterRow::GetSubType() const {
    return TheSubType;
}

wxIcon* TZVGainFilterRow::GetTypeIcon() const {
    return GetIcon();
}

bool TZVGainFilterRow::HasVideo() const {
    return false;
}

IZVStreamDisplayInfo* TZVGainFilterRow::GetDisplayInfo() const {
    return theDisplayInfo;
}

int TZVGainFilterRow::GetParamCount() const {
    return 1;
}

int TZVGainFilterRow::GetSetupCount() const {
    return 0;
}

int TZVGainFilterRow::GetControlCount() const {
    return int(Controls().size());
}

int TZVGainFilterRow::GetParamControl(int pIndex) const {
    return pIndex == 0 ? theParamControlIndexTab[0] : -1;
}

int TZVGainFilterRow::GetSetupControl(int) const {
    return -1;
}

const TControlInfo* TZVGainFilterRow::GetControlTab() const {
    return Controls().data();
}

wxIcon* TZVGainFilterRow::GetParamTypeIcon(int) const {
    return GetParamIcon();
}

wxIcon* TZVGainFilterRow::GetIcon() {
    return GetAudioStreamIcon();
}
