#include "DLL/Row/MainRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/ColorParamRow.h"
#include "DLL/Row/MediaSourceRow.h"
#include "DLL/Row/SimpleAudioMixerStream.h"
#include "DLL/Row/SimpleMixerVideoStream.h"

#include <wx/intl.h>

// Defined before the registration below, which sets them: one unit, so in this order.
wxString TZVMainMixerRow::theSubType;
wxString TZVMainVideoMixerRow::TheSubType;
wxString TZVSimpleAudioMixerRow::TheSubType;
wxString TZVVideoMediaSourceRow::TheSubType;
wxString TZVAudioMediaSourceRow::TheSubType;

namespace {

// The two mixers are offered to the user; the media rows come from the media library. The
// root has no factory: the host builds it.
const struct TMainRegistration {
    TMainRegistration() {
        RegisterRowClass<TZVMainVideoMixerRow, TZVMixerRow>(L"video-mux", 10);
        RegisterRowClass<TZVSimpleAudioMixerRow, TZVMixerRow>(L"audio-mux", 10);
        RegisterRowClass<TZVVideoMediaSourceRow, TZVSimpleSourceRow>(L"video-media", -1);
        RegisterRowClass<TZVAudioMediaSourceRow, TZVSimpleSourceRow>(L"audio-media", -1);
    }
} theMainRegistration;

// Decibels; the range is shown, not enforced.
TTypeDef GainType() {
    TTypeDef type(paramTypeREAL);
    type.aInteger = false;
    type.aRangeCheck = false;
    type.aDefault = TVariant(0.0);
    type.aMin = TVariant(-100.0);
    type.aMax = TVariant(50.0);
    type.aSlope = 0.0;
    return type;
}

} // namespace

// The root.

TZVMainMixerRow::~TZVMainMixerRow() = default;

const wxString& TZVMainMixerRow::GetSubType() const {
    return theSubType;
}

wxIcon* TZVMainMixerRow::GetTypeIcon() const {
    ZV_FAIL("false");
    return nullptr;
}

bool TZVMainMixerRow::HasVideo() const {
    return true;
}

IZVStreamDisplayInfo* TZVMainMixerRow::GetDisplayInfo() const {
    return nullptr;
}

int TZVMainMixerRow::GetParamCount() const {
    return 0;
}

int TZVMainMixerRow::GetSetupCount() const {
    return 0;
}

int TZVMainMixerRow::GetControlCount() const {
    return 0;
}

int TZVMainMixerRow::GetParamControl(int) const {
    return 0;
}

int TZVMainMixerRow::GetSetupControl(int) const {
    return 0;
}

const TControlInfo* TZVMainMixerRow::GetControlTab() const {
    return nullptr;
}

wxIcon* TZVMainMixerRow::GetParamTypeIcon(int) const {
    ZV_FAIL("false");
    return nullptr;
}

wxIcon* TZVMainMixerRow::GetSrcRoleIcon(const TZVSourceRow* pSource) const {
    if (pSource && pSource->GetSubType() == TZVMainVideoMixerRow::TheSubType)
        return GetVideoStreamIcon();
    return GetAudioStreamIcon();
}

bool TZVMainMixerRow::MayInsertSource(const TZVSourceRow*) const {
    return false;
}

bool TZVMainMixerRow::MayRemoveSource(const TZVSourceRow*) const {
    return true;
}

bool TZVMainMixerRow::HasAudio() const {
    return true;
}

void TZVMainMixerRow::CompleteCreate(long pDuration) {
    aHeight = 0;
    TZVStreamRow::CompleteCreate();
    SetDefault();
    SetInitSequence(pDuration);
    ShowAt(0);
    ShowSource(true);
    SetRootRow();
}

// The video mixer.

TZVMainVideoMixerRow::~TZVMainVideoMixerRow() = default;

wxIcon* TZVMainVideoMixerRow::GetParamTypeIcon(int) const {
    throw TError(L"Mixer has only colour rows");
}

wxIcon* TZVMainVideoMixerRow::GetSrcRoleIcon(const TZVSourceRow*) const {
    return GetSourceMixIcon();
}

void TZVMainVideoMixerRow::OnSetupUpdate(int pSetup) {
    TZVColorParamRow* colour =
        aParamTab.empty() ? nullptr : dynamic_cast<TZVColorParamRow*>(aParamTab[0]);
    if (!colour) {
        ZV_FAIL("dynamic_cast<TZVColorParamRow*>(GetParam(0)) returned NULL");
        return;
    }
    colour->OnSetupUpdate(pSetup);
}

void TZVMainVideoMixerRow::SetDefault() {
    SetRenderStream(new TZVSimpleMixerVideoStream);
}

wxIcon* TZVMainVideoMixerRow::GetIcon() {
    return GetVideoMixerIcon();
}

const TControlInfo* TZVMainVideoMixerRow::getTheControlInfoTab() {
    static const TControlInfo theTab[] = {
        TControlInfo(0, COLOR_PARAM_TYPE(), L"Background colour", true),
        [] {
            TControlInfo setup(0, FLAG_PARAM_TYPE(), L"Show colour components", true);
            setup.aKind = TControlInfo::categorySETUP | TControlInfo::kindUPDATE;
            return setup;
        }(),
        TControlInfo(1, TZVColorCompParamRow::ComponentType(), nullptr, false),
        TControlInfo(2, TZVColorCompParamRow::ComponentType(), nullptr, false),
        TControlInfo(3, TZVColorCompParamRow::ComponentType(), nullptr, false)};
    return theTab;
}

// The audio mixer.

TZVSimpleAudioMixerRow::~TZVSimpleAudioMixerRow() = default;

wxIcon* TZVSimpleAudioMixerRow::GetParamTypeIcon(int) const {
    return GetMainAmplifIcon();
}

wxIcon* TZVSimpleAudioMixerRow::GetSrcRoleIcon(const TZVSourceRow*) const {
    return GetSourceMixIcon();
}

void TZVSimpleAudioMixerRow::SetDefault() {
    SetRenderStream(new TZVSimpleAudioMixerStream);
}

wxIcon* TZVSimpleAudioMixerRow::GetIcon() {
    return GetAudioMixerIcon();
}

const TControlInfo* TZVSimpleAudioMixerRow::getTheControlInfoTab() {
    static const TControlInfo theTab[] = {
        TControlInfo(0, GainType(), wxGetTranslation(L"Master Amplif (db)").wc_str(), true)};
    return theTab;
}
