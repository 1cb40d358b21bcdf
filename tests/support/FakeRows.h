// Recording stand-ins for the row tree and for the host's current project and time
// selection, as the drawing of selections and keys sees them. Header only, so that
// benchmarks can use them too.
#pragma once

#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/StreamRow.h"

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

// A row with a band on screen and the row shown below it.
class TFakeRow : public TZVBaseRow {
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
class TFakeRootRow : public TZVStreamRow {
public:
    explicit TFakeRootRow(std::initializer_list<std::pair<int, int>> pBands = {}) {
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

    TZVStreamRow* aRoot;

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
