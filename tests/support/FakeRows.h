// Recording stand-ins for the row tree and for the host's current project and time selection:
// concrete parameter and stream rows whose kind, counts and control table the test sets, rows
// laid out as bands for the drawing of selections and keys, and a key marker. Header only, so
// that benchmarks and fuzz targets can use them too.
#pragma once

#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/StreamFactory.h"
#include "DLL/Row/StreamRow.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TFakeParamRow : public TZVParamRow {
public:
    explicit TFakeParamRow(const TTypeDef& pTypeDef = TTypeDef(paramTypeREAL))
        : TZVParamRow(pTypeDef) {
        setRowKind();
    }

    const wxString& GetSubType() const override { return aSubType; }
    const ITimeList& GetKeyTimeList() const override { return aKeyList; }
    // The parent's sequences; none without a parent.
    const TRangeList& GetSequenceList() const override {
        static const TRangeList theNone;
        return aParent ? aParent->aSequenceList : theNone;
    }
    wxIcon* GetRoleIcon() const override { return nullptr; }
    wxIcon* GetTypeIcon() const override { return nullptr; }
    TZVBaseRow* GetNextRow() const override { return nullptr; }
    TZVBaseRow* GetPrevModRow() const override { return nullptr; }
    bool IsLastSibling() const override { return false; }

    wxString aSubType = L"Standard";
};

class TFakeStreamRow : public TZVStreamRow {
public:
    explicit TFakeStreamRow(ERowKind pKind = rowKindSOURCE, const wxString& pName = wxString())
        : aKind(pKind) {
        setRowKind();
        aName = pName;
    }
    ~TFakeStreamRow() override { destroy(); }

    const wxString& GetSubType() const override { return aSubType; }
    wxIcon* GetRoleIcon() const override { return nullptr; }
    wxIcon* GetTypeIcon() const override { return nullptr; }
    TZVBaseRow* GetPrevModRow() const override { return nullptr; }
    void DeconflictName() override { aLog += "DeconflictName "; }
    ERowKind retrieveRowKind() const override { return aKind; }
    void AttachParent(TZVStreamRow*, const TZVStreamRow*) override {}
    bool HasVideo() const override { return false; }
    IZVStreamDisplayInfo* GetDisplayInfo() const override { return nullptr; }
    // The table's size unless the test sets a count.
    int GetParamCount() const override {
        return aParamCount < 0 ? int(aParamTab.size()) : aParamCount;
    }
    int GetSetupCount() const override { return aSetupCount; }
    int GetControlCount() const override { return int(aControls.size()); }
    // The index tables; a look-up out of their range throws std::out_of_range.
    int GetParamControl(int pIndex) const override { return aParamControls.at(size_t(pIndex)); }
    int GetSetupControl(int pIndex) const override { return aSetupControls.at(size_t(pIndex)); }
    const TControlInfo* GetControlTab() const override { return aControls.data(); }
    wxIcon* GetParamTypeIcon(int) const override { return nullptr; }
    wxIcon* GetSrcRoleIcon(const TZVSourceRow*) const override { return nullptr; }
    TZVBaseRow* GetRowAfterParam() const override { return aRowAfterParam; }
    using TZVStreamRow::GetRowAfterParam;
    TZVBaseRow* GetTopRow() const override { return nullptr; }
    TZVBaseRow* GetRowAfter() const override { return nullptr; }
    TZVStreamRow* GetNextSibling() override { return nullptr; }
    void Detach() override {}
    void ListSubStream(ISubStreamList&) override {}
    void ParamGrow(int pDelta) override { aLog += "ParamGrow(" + std::to_string(pDelta) + ") "; }

    // A parameter row "p<index>" at the end of the table, linked under this row (hidden).
    TFakeParamRow* AddParam(bool pEnabled, int pHeight = 24) {
        TFakeParamRow* param = new TFakeParamRow;
        param->aIndex = int(aParamTab.size());
        param->aIsEnabled = pEnabled;
        param->aHeight = pHeight;
        param->aName = wxString::Format(L"p%d", param->aIndex);
        param->SetParent(this, false);
        aParamTab.push_back(param);
        return param;
    }
    // Makes this row a root: shown at 0, height 0, level -1; the name is kept for the logs.
    void MakeRoot() {
        const wxString name = aName;
        aName.clear();
        aHeight = 0;
        ShowAt(0);
        SetRootRow();
        aName = name;
    }
    using TZVStreamRow::SetRenderStream;

    ERowKind aKind;
    wxString aSubType = L"fake";
    int aParamCount = -1;
    int aSetupCount = 0;
    std::vector<TControlInfo> aControls;
    std::vector<int> aParamControls;
    std::vector<int> aSetupControls;
    TZVBaseRow* aRowAfterParam = nullptr;
    // "ParamGrow(d) " and "DeconflictName " as they come.
    std::string aLog;
};

// A row with a band on screen and the row shown below it.
class TFakeRow : public TFakeParamRow {
public:
    TFakeRow(int pTop, int pHeight) : aNext(nullptr) {
        aTop = pTop;
        aHeight = pHeight;
    }
    TZVBaseRow* GetNextRow() const override { return aNext; }

    TZVBaseRow* aNext;
};

// A root laid out as the real one (top 0, height 0) over rows given as (top, height) bands and
// shown in that order; it finds a row by y as the real rows do, walking them from the top.
class TFakeRootRow : public TFakeStreamRow {
public:
    explicit TFakeRootRow(std::initializer_list<std::pair<int, int>> pBands = {})
        : TFakeStreamRow(rowKindMIXER) {
        aHeight = 0;
        for (const std::pair<int, int>& band : pBands)
            AddRow(band.first, band.second);
    }

    TFakeRow& AddRow(int pTop, int pHeight) {
        aRows.push_back(std::make_unique<TFakeRow>(pTop, pHeight));
        if (aRows.size() > 1)
            aRows[aRows.size() - 2]->aNext = aRows.back().get();
        return *aRows.back();
    }
    TFakeRow& Row(size_t pIndex) { return *aRows[pIndex]; }

    using TFakeStreamRow::GetRow;
    TZVBaseRow* GetRow(int pY) override {
        for (TZVBaseRow* row = aRows.empty() ? nullptr : aRows.front().get(); row;
             row = row->GetNextRow())
            if (TZVBaseRow* hit = row->GetRow(pY))
                return hit;
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<TFakeRow>> aRows;
};

// The current project while it lives, with the given root row (or none).
class TFakeProject : public IZVProject {
public:
    explicit TFakeProject(TZVStreamRow* pRoot = nullptr)
        : aRoot(pRoot), aPrevious(theCurrentProject) {
        theCurrentProject = this;
    }
    ~TFakeProject() override { theCurrentProject = aPrevious; }
    TFakeProject(const TFakeProject&) = delete;
    TFakeProject& operator=(const TFakeProject&) = delete;

    TZVStreamRow* GetRootRow() const override { return aRoot; }
    const TMediaFormat& GetMediaFormat() const override { return aFormat; }

    TZVStreamRow* aRoot;
    TMediaFormat aFormat;

private:
    IZVProject* const aPrevious;
};

// The host's time selection while it lives: settable ranges and mode.
class TFakeTimeSelection : public ITimeSelection {
public:
    explicit TFakeTimeSelection(std::initializer_list<TRange> pRanges = {},
                                bool pKeySelMode = false)
        : aKeySelMode(pKeySelMode), aPrevious(theSingleton) {
        aRanges.assign(pRanges);
        theSingleton = this;
    }
    ~TFakeTimeSelection() override { theSingleton = aPrevious; }
    TFakeTimeSelection(const TFakeTimeSelection&) = delete;
    TFakeTimeSelection& operator=(const TFakeTimeSelection&) = delete;

    const TRangeList& GetRangeList() const override { return aRanges; }
    bool IsKeySelMode() const override { return aKeySelMode; }

    TRangeList aRanges;
    bool aKeySelMode;

private:
    ITimeSelection* const aPrevious;
};

// A key marker that logs the pixels it is told.
class TKeyLog : public IZVKeyMarker {
public:
    void MarkKeyAt(int pX) const override { aMarks.push_back(pX); }

    mutable std::vector<int> aMarks;
};
