#include "DLL/Edt/EditorListener.h"

#include "ALL/Assert.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"

IEditorListener* IEditorListener::theListener = nullptr;

namespace {

// The batch of ChangeParam calls that EndEnableParam reports.
bool theParamEditPending = false;
const TZVParamRow* thePrevParamRow = nullptr;
int thePrevParamTop = 0;
bool thePrevParamOff = false;
const TZVParamRow* theChangedParamRow = nullptr;
int theChangedParamTop = 0;

// Keeps the neighbour of a switched row unless a higher one is already kept.
void RecordPrevParam(const TZVParamRow* pRow, bool pOff) {
    if (thePrevParamRow && pRow->aTop > thePrevParamTop)
        return;
    thePrevParamRow = pRow;
    thePrevParamTop = pRow->aTop;
    thePrevParamOff = pOff;
}

} // namespace

IEditorListener::~IEditorListener() = default;

void IEditorListener::OnRowModified(const TZVBaseRow* pRow, EEditFlag pFlag) {
    if (theListener)
        theListener->DoRowModified(pRow, pFlag);
}

void IEditorListener::OnRowSelect() {
    if (theListener)
        theListener->DoRowSelect();
}

void IEditorListener::SignalUpdate() {
    if (theListener)
        theListener->DoSignalUpdate();
}

void IEditorListener::OnTimeSelect(bool pFirst, bool pSecond) {
    if (theListener)
        theListener->DoTimeSelect(pFirst, pSecond);
}

void IEditorListener::OnToggleRendering(TZVStreamRow* pRow) {
    if (theListener)
        theListener->DoToggleRendering(pRow);
}

void IEditorListener::OnToggleStream(bool pState) {
    if (theListener)
        theListener->DoToggleStream(pState);
}

void IEditorListener::OnDurationChange() {
    if (theListener)
        theListener->DoDurationChange();
}

void IEditorListener::OnParamKeyEdit(const TZVParamRow* pRow, const TRange& pRange) {
    if (theListener)
        theListener->DoParamKeyEdit(pRow, pRange);
}

void IEditorListener::OnStreamSeqEdit(const TZVStreamRow* pRow, const TRange& pRange) {
    if (theListener)
        theListener->DoStreamSeqEdit(pRow, pRange);
}

void IEditorListener::OnKeyToggle(TZVStreamRow* pRow, long pTime) {
    if (theListener)
        theListener->DoKeyToggle(pRow, pTime);
}

void IEditorListener::EndOfParamEdit(bool pState) {
    if (theListener)
        theListener->DoEndOfParamEdit(pState);
}

void IEditorListener::OnProject(bool pState) {
    if (theListener)
        theListener->DoProject(pState);
}

void IEditorListener::UpdateDialog() {
    if (theListener)
        theListener->DoUpdateDialog();
}

void IEditorListener::OnEditUnderMutex(bool pState) {
    if (theListener)
        theListener->DoEditUnderMutex(pState);
}

void IEditorListener::OnMediaParamEdit() {
    if (theListener)
        theListener->DoMediaParamEdit();
}

bool IEditorListener::QueryBox(const wxString& pMessage, const wchar_t* pText) {
    return theListener && theListener->DoQueryBox(pMessage, pText);
}

void IEditorListener::OnKeyEdit(const TStreamEditList& pList, bool pState) {
    EndOfParamEdit(pState);
    // The listener may have gone while it handled the end of the edit.
    if (theListener)
        theListener->DoKeyEdit(pList);
}

void IEditorListener::AllParamDisable(const TZVStreamRow* pStream) {
    if (ZV_ASSERT(pStream != NULL) && pStream->aParent)
        OnRowModified(pStream, editALL_PARAM_DISABLED);
}

void IEditorListener::RegisterListener(IEditorListener* pListener) {
    ZV_ASSERT(theListener == NULL);
    theListener = pListener;
}

void IEditorListener::ChangeParam(const TZVParamRow* pParam, bool pEnable) {
    if (!theListener)
        return;
    theParamEditPending = true;
    // A detached row has no stream to ask for its neighbours.
    if (!ZV_ASSERT(pParam->aParent != NULL))
        return;
    const TZVStreamRow* stream = pParam->aParent;
    if (!stream->aIsParamShown)
        return;
    const TZVParamRow* prev = stream->GetPrevParam(pParam->aIndex);
    if (prev && (pEnable || !stream->GetNextParam(pParam->aIndex)))
        RecordPrevParam(prev, !pEnable);
    if (!theChangedParamRow || pParam->aTop <= theChangedParamTop) {
        theChangedParamRow = pParam;
        theChangedParamTop = pParam->aTop;
    }
}

void IEditorListener::EndEnableParam() {
    if (!theParamEditPending || !theListener)
        return;
    if (thePrevParamRow) {
        OnRowModified(thePrevParamRow,
                      thePrevParamOff ? editPREV_PARAM_LAST : editPREV_PARAM_FOLLOWED);
        thePrevParamRow = nullptr;
    }
    // The listener may have gone while it was told of the neighbour.
    if (theChangedParamRow) {
        OnRowModified(theChangedParamRow, editROW);
        theChangedParamRow = nullptr;
    }
    theParamEditPending = false;
}
