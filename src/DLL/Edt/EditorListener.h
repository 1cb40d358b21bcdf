// IEditorListener: the host's listener for every change the editor must follow, and the
// static relays through which the rows report to it. Without a registered listener every
// relay does nothing. Parameter rows switched on and off in one batch are reported once,
// at the end of the batch, for the topmost rows concerned.
#pragma once

#include <wx/string.h>

class TRange;
class TStreamEditList;
class TZVBaseRow;
class TZVParamRow;
class TZVStreamRow;

class IEditorListener {
public:
    // What changed in a row reported by DoRowModified.
    enum EEditFlag {
        editROW = 0,                 // a parameter row switched on or off
        editNAME = 1,                // a row's name
        editICON = 2,                // a row's icon
        editALL_PARAM_DISABLED = 3,  // a stream row's last enabled parameter switched off
        editPREV_PARAM_LAST = 4,     // the row is now the last enabled one of its stream
        editPREV_PARAM_FOLLOWED = 5, // an enabled parameter now follows the row
        editWAVEFORM = 6             // an audio row's waveform must be drawn again
    };

    // Does not unregister the listener.
    virtual ~IEditorListener();

    virtual void DoRowModified(const TZVBaseRow* pRow, EEditFlag pFlag) = 0;
    virtual void DoRowSelect() = 0;
    virtual void DoSignalUpdate() = 0;
    virtual void DoTimeSelect(bool pFirst, bool pSecond) = 0;
    virtual void DoToggleRendering(TZVStreamRow* pRow) = 0;
    virtual void DoToggleStream(bool pState) = 0;
    virtual void DoDurationChange() = 0;
    virtual void DoParamKeyEdit(const TZVParamRow* pRow, const TRange& pRange) = 0;
    virtual void DoStreamSeqEdit(const TZVStreamRow* pRow, const TRange& pRange) = 0;
    virtual void DoKeyToggle(TZVStreamRow* pRow, long pTime) = 0;
    virtual void DoEndOfParamEdit(bool pState) = 0;
    virtual void DoKeyEdit(const TStreamEditList& pList) = 0;
    virtual void DoProject(bool pState) = 0;
    virtual void DoUpdateDialog() = 0;
    virtual void DoEditUnderMutex(bool pState) = 0;
    virtual void DoMediaParamEdit() = 0;
    virtual bool DoQueryBox(const wxString& pMessage, const wchar_t* pText) = 0;

    // Relays: each calls the listener's operation of the same name (Do in place of On).
    static void OnRowModified(const TZVBaseRow* pRow, EEditFlag pFlag);
    static void OnRowSelect();
    static void SignalUpdate();
    static void OnTimeSelect(bool pFirst, bool pSecond);
    static void OnToggleRendering(TZVStreamRow* pRow);
    static void OnToggleStream(bool pState);
    static void OnDurationChange();
    static void OnParamKeyEdit(const TZVParamRow* pRow, const TRange& pRange);
    static void OnStreamSeqEdit(const TZVStreamRow* pRow, const TRange& pRange);
    static void OnKeyToggle(TZVStreamRow* pRow, long pTime);
    static void EndOfParamEdit(bool pState);
    static void OnProject(bool pState);
    static void UpdateDialog();
    static void OnEditUnderMutex(bool pState);
    static void OnMediaParamEdit();
    // The listener's answer; false without a listener.
    static bool QueryBox(const wxString& pMessage, const wchar_t* pText);

    // DoEndOfParamEdit with pState, then DoKeyEdit with pList if a listener is still set.
    static void OnKeyEdit(const TStreamEditList& pList, bool pState);
    // Reports a stream row whose last enabled parameter was switched off
    // (editALL_PARAM_DISABLED); the root stream row is not reported. A null row is reported
    // ("pStream != __null") and skipped.
    static void AllParamDisable(const TZVStreamRow* pStream);

    // Installs pListener (not owned; null unregisters). Replacing a listener is reported
    // ("theListener == __null") and done all the same.
    static void RegisterListener(IEditorListener* pListener);

    // Records a parameter row of the current batch switched on (pEnable) or off, for
    // EndEnableParam. Of the batch's rows the topmost (smallest aTop) are kept, the latest
    // among equals. Nothing is recorded without a listener or when the row's stream does
    // not show its parameter rows; a row without a stream is reported
    // ("pParam->aParent != __null") and not recorded.
    static void ChangeParam(const TZVParamRow* pParam, bool pEnable);
    // Ends the batch: reports the recorded neighbour (editPREV_PARAM_LAST or
    // editPREV_PARAM_FOLLOWED) first, then the topmost switched row (editROW), and forgets
    // them. Without a listener the batch stays pending.
    static void EndEnableParam();

    // The host's listener, or null.
    static IEditorListener* theListener;
};
