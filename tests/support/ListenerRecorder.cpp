#include "support/ListenerRecorder.h"

#include "ALL/Range.h"

void TListenerRecorder::DoRowModified(const TZVBaseRow* pRow, EEditFlag pFlag) {
    Add("RowModified", pRow, pFlag);
}
void TListenerRecorder::DoRowSelect() {
    Add("RowSelect");
}
void TListenerRecorder::DoSignalUpdate() {
    Add("SignalUpdate");
}
void TListenerRecorder::DoTimeSelect(bool pFirst, bool pSecond) {
    Add("TimeSelect", nullptr, pFirst * 10 + pSecond);
}
void TListenerRecorder::DoToggleRendering(TZVStreamRow* pRow) {
    Add("ToggleRendering", pRow);
}
void TListenerRecorder::DoToggleStream(bool pState) {
    Add("ToggleStream", nullptr, pState);
}
void TListenerRecorder::DoDurationChange() {
    Add("DurationChange");
}
void TListenerRecorder::DoParamKeyEdit(const TZVParamRow* pRow, const TRange& pRange) {
    Add("ParamKeyEdit", pRow, pRange.aBegin * 1000 + pRange.aEnd);
}
void TListenerRecorder::DoStreamSeqEdit(const TZVStreamRow* pRow, const TRange& pRange) {
    Add("StreamSeqEdit", pRow, pRange.aBegin * 1000 + pRange.aEnd);
}
void TListenerRecorder::DoKeyToggle(TZVStreamRow* pRow, long pTime) {
    Add("KeyToggle", pRow, pTime);
}
void TListenerRecorder::DoEndOfParamEdit(bool pState) {
    Add("EndOfParamEdit", nullptr, pState);
}
void TListenerRecorder::DoKeyEdit(const TStreamEditList& pList) {
    Add("KeyEdit", &pList);
}
void TListenerRecorder::DoProject(bool pState) {
    Add("Project", nullptr, pState);
}
void TListenerRecorder::DoUpdateDialog() {
    Add("UpdateDialog");
}
void TListenerRecorder::DoEditUnderMutex(bool pState) {
    Add("EditUnderMutex", nullptr, pState);
}
void TListenerRecorder::DoMediaParamEdit() {
    Add("MediaParamEdit");
}
bool TListenerRecorder::DoQueryBox(const wxString& pMessage, const wchar_t* pText) {
    Add("QueryBox", pText, long(pMessage.length()));
    return true;
}

void TListenerRecorder::Add(const char* pOp, const void* pObject, long pValue) {
    const auto name = aNames.find(pObject);
    aCalls += pOp + ("(" + (pObject && name != aNames.end() ? name->second : "") + ",") +
              std::to_string(pValue) + ") ";
    if (aLeaveAfter == pOp)
        theListener = nullptr;
}
