// The fixed top of every project's row tree: the root mixer (TZVMainMixerRow, built by the
// host) holding the video mixer ("video-mux") and the audio mixer ("audio-mux"). The media
// source rows hang below those two. This unit also registers the four factories at start-up.
#pragma once

#include "DLL/Row/ConcreteRow.h"
#include "DLL/Row/MixerRow.h"

class TZVMainMixerRow : public TZVMixerRow {
public:
    TZVMainMixerRow() = default;
    ~TZVMainMixerRow() override;

    // Empty: the root is written with an empty "type".
    const wxString& GetSubType() const override;
    // The root has no type icon: reported ("false"), null.
    wxIcon* GetTypeIcon() const override;
    bool HasVideo() const override;
    IZVStreamDisplayInfo* GetDisplayInfo() const override;
    // No parameters, setups or controls.
    int GetParamCount() const override;
    int GetSetupCount() const override;
    int GetControlCount() const override;
    int GetParamControl(int pIndex) const override;
    int GetSetupControl(int pIndex) const override;
    const TControlInfo* GetControlTab() const override;
    // Reported ("false"), null.
    wxIcon* GetParamTypeIcon(int pIndex) const override;
    // The video stream icon for the "video-mux" row, the audio stream icon for any other.
    wxIcon* GetSrcRoleIcon(const TZVSourceRow* pSource) const override;
    // The root's two mixers are fixed: none is added, either may go.
    bool MayInsertSource(const TZVSourceRow* pBefore) const override;
    bool MayRemoveSource(const TZVSourceRow* pSource) const override;
    virtual bool HasAudio() const;

    // Finishes the root the host constructed: height 0, tables, one sequence pDuration long,
    // shown at 0 with its sources shown, made the root. The host then empties that sequence
    // (Inherit(true)) before it reads the stored tree with CreateAllChildren, whose own
    // "seq-list" would otherwise overlap it.
    void CompleteCreate(long pDuration);

    static wxString theSubType;
};

class TZVMainVideoMixerRow : public TZVConcreteRow<TZVMainVideoMixerRow, TZVMixerRow, 4, 1, true> {
public:
    ~TZVMainVideoMixerRow() override;

    // Every parameter belongs to the background colour: asking throws TError "Mixer has only
    // colour rows".
    wxIcon* GetParamTypeIcon(int pIndex) const override;
    wxIcon* GetSrcRoleIcon(const TZVSourceRow* pSource) const override;
    // Hands the setup to the colour parameter: "Show colour components" not 0 enables its
    // three components, 0 disables them. Reported, and nothing changes, when parameter 0 is
    // not a colour row.
    void OnSetupUpdate(int pSetup) override;
    // Gives the row a new mixing stream.
    void SetDefault() override;

    static wxIcon* GetIcon();
    // Background colour, "Show colour components", the colour's three components.
    static const TControlInfo* getTheControlInfoTab();

    static wxString TheSubType;
};

class TZVSimpleAudioMixerRow
    : public TZVConcreteRow<TZVSimpleAudioMixerRow, TZVMixerRow, 1, 0, false> {
public:
    ~TZVSimpleAudioMixerRow() override;

    wxIcon* GetParamTypeIcon(int pIndex) const override;
    wxIcon* GetSrcRoleIcon(const TZVSourceRow* pSource) const override;
    // Gives the row a new mixing stream.
    void SetDefault() override;

    static wxIcon* GetIcon();
    // "Master Amplif (db)", a gain in decibels whose range is not enforced.
    static const TControlInfo* getTheControlInfoTab();

    static wxString TheSubType;
};
