// TZVConcreteRow<TRow, TBase, ...>: what a concrete stream row class of the module answers from
// its class statics, which its factory reads too. TRow gives TheSubType, GetIcon() and
// getTheControlInfoTab(); the template holds the statics that need no constructor (constant
// initialised, so registration at start-up finds them ready), one set per class.
#pragma once

#include "DLL/Row/StreamFactory.h"
#include "DLL/Row/StreamRow.h"

#include <wx/string.h>

class IZVStreamDisplayInfo;

template <typename TRow, typename TBase, int NParams, int NSetups, bool VHasVideo>
class TZVConcreteRow : public TBase {
public:
    enum { paramTOTAL = NParams, setupTOTAL = NSetups };

    const wxString& GetSubType() const override { return TRow::TheSubType; }
    wxIcon* GetTypeIcon() const override { return TRow::GetIcon(); }
    bool HasVideo() const override { return theHasVideoFlag; }
    IZVStreamDisplayInfo* GetDisplayInfo() const override { return theDisplayInfo; }
    int GetParamCount() const override { return NParams; }
    int GetSetupCount() const override { return NSetups; }
    int GetControlCount() const override { return NParams + NSetups; }
    // -1 for an index the class does not have.
    int GetParamControl(int pIndex) const override {
        return pIndex >= 0 && pIndex < NParams ? theParamControlIndexTab[pIndex] : -1;
    }
    int GetSetupControl(int pIndex) const override {
        return pIndex >= 0 && pIndex < NSetups ? theSetupControlIndexTab[pIndex] : -1;
    }
    const TControlInfo* GetControlTab() const override { return TRow::getTheControlInfoTab(); }

    // The host's panel, set by the factory's dialog.
    inline static IZVStreamDisplayInfo* theDisplayInfo = nullptr;
    inline static bool theHasVideoFlag = VHasVideo;
    // Control index of each parameter and setup, filled at registration.
    inline static int theParamControlIndexTab[NParams > 0 ? NParams : 1] = {};
    inline static int theSetupControlIndexTab[NSetups > 0 ? NSetups : 1] = {};
};
