// An editor listener that logs every call it receives, for comparing whole call sequences.
#pragma once

#include "DLL/Edt/EditorListener.h"
#include "DLL/Row/BaseRow.h"

#include <map>
#include <string>

// Logs each call as "Operation(object,number) ", the object by the name given in aNames
// (empty when none was given).
class TListenerRecorder : public IEditorListener {
public:
    void DoRowModified(const TZVBaseRow* pRow, EEditFlag pFlag) override;
    void DoRowSelect() override;
    void DoSignalUpdate() override;
    void DoTimeSelect(bool pFirst, bool pSecond) override;
    void DoToggleRendering(TZVStreamRow* pRow) override;
    void DoToggleStream(bool pState) override;
    void DoDurationChange() override;
    void DoParamKeyEdit(const TZVParamRow* pRow, const TRange& pRange) override;
    void DoStreamSeqEdit(const TZVStreamRow* pRow, const TRange& pRange) override;
    void DoKeyToggle(TZVStreamRow* pRow, long pTime) override;
    void DoEndOfParamEdit(bool pState) override;
    void DoKeyEdit(const TStreamEditList& pList) override;
    void DoProject(bool pState) override;
    void DoUpdateDialog() override;
    void DoEditUnderMutex(bool pState) override;
    void DoMediaParamEdit() override;
    // Answers true.
    bool DoQueryBox(const wxString& pMessage, const wchar_t* pText) override;

    std::map<const void*, std::string> aNames;
    std::string aCalls;
    // The operation after which the listener unregisters itself.
    std::string aLeaveAfter;

private:
    void Add(const char* pOp, const void* pObject = nullptr, long pValue = 0);
};

// Registers a recorder for its lifetime.
class TListenerScope {
public:
    explicit TListenerScope(IEditorListener& pListener) {
        IEditorListener::theListener = &pListener;
    }
    ~TListenerScope() { IEditorListener::theListener = nullptr; }
    TListenerScope(const TListenerScope&) = delete;
    TListenerScope& operator=(const TListenerScope&) = delete;
};

// An undo compiler that logs into a log the editor listener writes as well ("AddParamRow ",
// "AddStreamRow "), so that its place among the reports shows.
class TLoggingUndo : public TZVBaseRow::IUndoCompiler {
public:
    explicit TLoggingUndo(std::string& pLog) : aLog(pLog) {}
    void AddStreamRow(TZVStreamRow*) override { aLog += "AddStreamRow "; }
    void AddParamRow(TZVParamRow*) override { aLog += "AddParamRow "; }
    std::string& aLog;
};
