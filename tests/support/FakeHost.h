// Recording stand-ins for the host's objects that rows call: each installs itself in its
// static for its lifetime and logs what it is asked. The project and the time selection are
// in FakeRows.h.
#pragma once

#include "DLL/Bas/EvaluateContext.h"
#include "DLL/Row/BaseRow.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/RowSelection.h"
#include "DLL/Row/StreamFactory.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class TFakeRowSelection : public IRowSelection {
public:
    TFakeRowSelection();
    ~TFakeRowSelection();

    bool IsSelected(const TZVBaseRow* pRow) override { return aSelected.count(pRow) > 0; }

    std::set<const TZVBaseRow*> aSelected;
};

// Logs "stream:<name> " and "param:<name> ".
class TUndoCompilerLog : public TZVBaseRow::IUndoCompiler {
public:
    void AddStreamRow(TZVStreamRow* pRow) override;
    void AddParamRow(TZVParamRow* pRow) override;

    std::string aLog;
};

// Hands out one slot per (render key, index, flag) and logs each request as
// "key,index,flag ".
class TFakeEvaluateContext : public IEvaluateContext {
public:
    IFormula** GetParamSlot(int pRenderKey, int pIndex, bool pFlag) const override;

    mutable std::map<std::tuple<int, int, bool>, IFormula*> aSlots;
    mutable std::string aLog;
};

// Records every row handed to TZVBaseRow::theSelListener while it lives, with its name.
class TSelListenerLog {
public:
    TSelListenerLog();
    ~TSelListenerLog();
    TSelListenerLog(const TSelListenerLog&) = delete;
    TSelListenerLog& operator=(const TSelListenerLog&) = delete;

    std::vector<const TZVBaseRow*> aRows;
    std::vector<wxString> aNames;

private:
    static void Record(TZVBaseRow* pRow);
    static TSelListenerLog* theCurrent;
};

// A panel builder that hands out numbered panels and logs "build <n> <count>/<params> " and
// "destroy <n> " (0 for a null panel).
class TFakeDialogBuilder : public IDialogBuilder {
public:
    TFakeDialogBuilder();
    ~TFakeDialogBuilder();

    IZVStreamDisplayInfo* BuildPanel(wxScrolledWindow* pWindow, int pId, const TControlInfo* pTable,
                                     int pCount, int pParamCount) override;
    void DestroyPanel(IZVStreamDisplayInfo* pPanel) override;

    std::string aLog;

private:
    // Panels are addresses in this array, numbered 1 to 15; never dereferenced.
    char aPanels[16];
    int aBuilt = 0;
};
