#include "OpacityFilterRow.h"

#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/StreamFactory.h"

#include <vector>

wxString TZVOpacityFilterRow::TheSubType;
IZVStreamDisplayInfo* TZVOpacityFilterRow::theDisplayInfo = nullptr;
bool TZVOpacityFilterRow::theHasVideoFlag = true;
int TZVOpacityFilterRow::theParamControlIndexTab[1] = {0};
int TZVOpacityFilterRow::theSetupControlIndexTab[1] = {-1};

namespace {

const std::vector<TControlInfo>& Controls() {
    static const std::vector<TControlInfo> theControls{
        TControlInfo(0, REAL_0_100_D100_CLAMP_PARAM_TYPE(), L"Opacity", true)};
    return theControls;
}

const struct TRegistration {
    TRegistration() { RegisterRowClass<TZVOpacityFilterRow, TZVFilterRow>(L"Opacity", 10); }
} theRegistration;

} // namespace

TZVOpacityFilterRow::~TZVOpacityFilterRow() = default;

const wxString& TZVOpacityFilterRow::GetSubType() const {
    return TheSubType;
}

wxIcon* TZVOpacityFilterRow::GetTypeIcon() const {
    return GetIcon();
}

bool TZVOpacityFilterRow::HasVideo() const {
    return true;
}

IZVStreamDisplayInfo* TZVOpacityFilterRow::GetDisplayInfo() const {
    return theDisplayInfo;
}

int TZVOpacityFilterRow::GetParamCount() const {
    return 1;
}

int TZVOpacityFilterRow::GetSetupCount() const {
    return 0;
}

int TZVOpacityFilterRow::GetControlCount() const {
    return int(Controls().size());
}

int TZVOpacityFilterRow::GetParamControl(int pIndex) const {
    return pIndex == 0 ? theParamControlIndexTab[0] : -1;
}

int TZVOpacityFilterRow::GetSetupControl(int) const {
    return -1;
}

const TControlInfo* TZVOpacityFilterRow::GetControlTab() const {
    return Controls().data();
}

wxIcon* TZVOpacityFilterRow::GetParamTypeIcon(int) const {
    return GetParamIcon();
}

wxIcon* TZVOpacityFilterRow::GetIcon() {
    return GetVideoStreamIcon();
}
