#include "OpacityFilterRow.h"

#include "OpacityFilterStream.h"

wxString TZVOpacityFilterRow::TheSubType;
IZVStreamDisplayInfo* TZVOpacityFilterRow::theDisplayInfo = nullptr;
bool TZVOpacityFilterRow::theHasVideoFlag = true;
int TZVOpacityFilterRow::theParamControlIndexTab[1] = {0};
int TZVOpacityFilterRow::theSetupControlIndexTab[1] = {-1};

namespace {

const struct TRegistration {
    TRegistration() { RegisterRowClass<TZVOpacityFilterRow, TZVFilterRow>(L"Opacity", 10); }
} theRegistration;

} // namespace

TZVOpacityFilterRow::~TZVOpacityFilterRow() = default;

const TControlInfo& TZVOpacityFilterRow::Control() {
    static const TControlInfo theControl(0, REAL_0_100_D100_CLAMP_PARAM_TYPE(), L"Opacity", true);
    return theControl;
}

wxIcon* TZVOpacityFilterRow::GetIcon() {
    return GetVideoStreamIcon();
}

void TZVOpacityFilterRow::SetDefault() {
    SetRenderStream(new TZVOpacityFilterStream);
}
