// Concrete container rows for tests, benchmarks and fuzz targets, until the module's own main
// rows exist, and helpers to build trees of them: a mixer "test-mix" without parameters and a
// simple source "clip" with three real parameters "p1" to "p3". RegisterTestContainers() enters
// both factories once. Header only.
#pragma once

#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/SourceRow.h"

#include <memory>
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

// A source "colour-clip" whose parameters are a colour "Back" and its three components.
class TTestColorSourceRow : public TTestContainerRow<TZVSimpleSourceRow, 4> {
public:
    const wxString& GetSubType() const override { return TheSubType; }
    const TControlInfo* GetControlTab() const override {
        static const TControlInfo theControls[] = {
            TControlInfo(0, TTypeDef(paramTypeCOLOR), L"Back", true),
            TControlInfo(1, TTypeDef(paramTypeINTEGER), L"", true),
            TControlInfo(2, TTypeDef(paramTypeINTEGER), L"", true),
            TControlInfo(3, TTypeDef(paramTypeINTEGER), L"", true)};
        return theControls;
    }
    inline static wxString TheSubType;
};

// Registers "test-mix", "clip" and "colour-clip" (once).
inline void RegisterTestContainers() {
    if (TTestMixerRow::TheSubType.empty())
        RegisterRowClass<TTestMixerRow, TZVMixerRow>(L"test-mix", 0);
    if (TTestSourceRow::TheSubType.empty())
        RegisterRowClass<TTestSourceRow, TZVSimpleSourceRow>(L"clip", 0);
    if (TTestColorSourceRow::TheSubType.empty())
        RegisterRowClass<TTestColorSourceRow, TZVSimpleSourceRow>(L"colour-clip", 0);
}

// The stored "clip" pName holding the sequence list pSeq, its parameters unkeyed, filtered by
// pFilters.
inline wxString ClipXml(const wxString& pName, const wxString& pSeq,
                        const wxString& pFilters = wxString()) {
    wxString params = L"<param-list shown=\"0\">";
    for (int i = 1; i <= 3; ++i)
        params += wxString::Format(L"<param type=\"Standard\" name=\"p%d\"><value/></param>", i);
    return L"<source type=\"clip\" name=\"" + pName + L"\">" + pSeq + params +
           L"</param-list><fltr-list shown=\"0\">" + pFilters + L"</fltr-list></source>";
}

// The stored mixer "M" holding the clip "A", filtered by the opacity "F" masked by the clip
// "K", then pLast; every row holds the sequence list pSeq.
inline wxString FilteredMixerXml(const wxString& pSeq, const wxString& pLast) {
    const wxString filter = L"<filter type=\"Opacity\" name=\"F\">" + pSeq +
                            L"<param-list shown=\"0\"><param type=\"Standard\" "
                            L"name=\"Opacity\"><value/></param></param-list><mask shown=\"0\">" +
                            ClipXml(L"K", pSeq) + L"</mask></filter>";
    return L"<mixer type=\"test-mix\" name=\"M\">" + pSeq +
           L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">" +
           ClipXml(L"A", pSeq, filter) + pLast + L"</src-list></mixer>";
}

// A complete row of the class TRow named pName, unattached.
template <typename TRow>
TRow* MakeRow(const wxString& pName) {
    TRow* row = new TRow;
    row->CreateDefault(pName);
    return row;
}

// A complete filter of a registered sub-type named pName, unattached.
inline TZVFilterRow* MakeFilter(const wxString& pSubType, const wxString& pName) {
    TZVFilterRow* filter = TZVFilterRow::theFactorySet->at(pSubType)->Create();
    filter->CreateDefault(pName);
    return filter;
}

// A root mixer as the host makes one: shown at 0, height 0, its sources shown.
inline std::unique_ptr<TTestMixerRow> MakeTestRoot() {
    RegisterTestContainers();
    std::unique_ptr<TTestMixerRow> root(new TTestMixerRow);
    root->CompleteCreate();
    root->aHeight = 0;
    root->ShowAt(0);
    root->SetRootRow();
    root->ShowSource(true);
    return root;
}

// Logs the name of every stream row it is applied to; answers false at the row named aStopAt.
class TRowCollector : public TZVStreamRow::IStreamTreeOperation {
public:
    bool Apply(TZVStreamRow* pRow) override {
        aRows.push_back(pRow);
        aLog += pRow->aName + L" ";
        return pRow->aName != aStopAt;
    }
    std::vector<TZVStreamRow*> aRows;
    wxString aLog;
    wxString aStopAt = L"-";
};

// Logs the names of the rows it is given.
class TSubStreamLog : public TZVStreamRow::ISubStreamList {
public:
    void Add(TZVStreamRow* pRow) override { aLog += pRow->aName + L" "; }
    wxString aLog;
};
