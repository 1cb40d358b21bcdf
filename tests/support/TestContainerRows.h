// Concrete container rows for tests, benchmarks and fuzz targets, until the module's own main
// rows exist: a mixer "test-mix" without parameters and a simple source "clip" with three real
// parameters "p1" to "p3". RegisterTestContainers() enters both factories once. Header only.
#pragma once

#include "DLL/Row/MixerRow.h"
#include "DLL/Row/SourceRow.h"

#include <vector>

// The class statics and answers a concrete row class gives, for TBase's family.
template <typename TBase, int NParams>
class TTestContainerRow : public TBase {
public:
    wxIcon* GetTypeIcon() const override { return nullptr; }
    bool HasVideo() const override { return true; }
    IZVStreamDisplayInfo* GetDisplayInfo() const override { return nullptr; }
    int GetParamCount() const override { return NParams; }
    int GetSetupCount() const override { return 0; }
    int GetControlCount() const override { return NParams; }
    int GetParamControl(int pIndex) const override { return pIndex; }
    int GetSetupControl(int) const override { return -1; }
    const TControlInfo* GetControlTab() const override { return Controls().data(); }
    wxIcon* GetParamTypeIcon(int) const override { return nullptr; }
    wxIcon* GetSrcRoleIcon(const TZVSourceRow*) const override { return nullptr; }

    static wxIcon* GetIcon() { return nullptr; }
    static const std::vector<TControlInfo>& Controls() {
        static const std::vector<TControlInfo> theControls = [] {
            std::vector<TControlInfo> controls;
            for (int i = 0; i < NParams; ++i)
                controls.emplace_back(i, TTypeDef(paramTypeREAL),
                                      wxString::Format(L"p%d", i + 1).wc_str(), true);
            return controls;
        }();
        return theControls;
    }

    inline static IZVStreamDisplayInfo* theDisplayInfo = nullptr;
    inline static bool theHasVideoFlag = true;
    inline static int theParamControlIndexTab[NParams + 1] = {};
    inline static int theSetupControlIndexTab[1] = {-1};
};

class TTestMixerRow : public TTestContainerRow<TZVMixerRow, 0> {
public:
    const wxString& GetSubType() const override { return TheSubType; }
    inline static wxString TheSubType;
};

class TTestSourceRow : public TTestContainerRow<TZVSimpleSourceRow, 3> {
public:
    const wxString& GetSubType() const override { return TheSubType; }
    inline static wxString TheSubType;
};

// Registers "test-mix" and "clip" (once).
inline void RegisterTestContainers() {
    if (TTestMixerRow::TheSubType.empty())
        RegisterRowClass<TTestMixerRow, TZVMixerRow>(L"test-mix", 0);
    if (TTestSourceRow::TheSubType.empty())
        RegisterRowClass<TTestSourceRow, TZVSimpleSourceRow>(L"clip", 0);
}
