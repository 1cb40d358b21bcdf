#include "support/FakeHost.h"

#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"

TFakeRowSelection::TFakeRowSelection() {
    theSingleton = this;
}
TFakeRowSelection::~TFakeRowSelection() {
    theSingleton = nullptr;
}

void TUndoCompilerLog::AddStreamRow(TZVStreamRow* pRow) {
    aLog += "stream:" + pRow->aName.ToStdString() + " ";
}
void TUndoCompilerLog::AddParamRow(TZVParamRow* pRow) {
    aLog += "param:" + pRow->aName.ToStdString() + " ";
}

IFormula** TFakeEvaluateContext::GetParamSlot(int pRenderKey, int pIndex, bool pFlag) const {
    aLog += std::to_string(pRenderKey) + "," + std::to_string(pIndex) + "," +
            std::to_string(pFlag) + " ";
    return &aSlots[std::make_tuple(pRenderKey, pIndex, pFlag)];
}

TSelListenerLog* TSelListenerLog::theCurrent = nullptr;

TSelListenerLog::TSelListenerLog() {
    theCurrent = this;
    TZVBaseRow::theSelListener = &Record;
}
TSelListenerLog::~TSelListenerLog() {
    TZVBaseRow::theSelListener = nullptr;
    theCurrent = nullptr;
}
void TSelListenerLog::Record(TZVBaseRow* pRow) {
    theCurrent->aRows.push_back(pRow);
    theCurrent->aNames.push_back(pRow->aName);
}

TFakeDialogBuilder::TFakeDialogBuilder() {
    IStreamFactory::theDialogBuilder = this;
}
TFakeDialogBuilder::~TFakeDialogBuilder() {
    IStreamFactory::theDialogBuilder = nullptr;
}
IZVStreamDisplayInfo* TFakeDialogBuilder::BuildPanel(wxScrolledWindow*, int, const TControlInfo*,
                                                     int pCount, int pParamCount) {
    ++aBuilt;
    aLog += "build " + std::to_string(aBuilt) + " " + std::to_string(pCount) + "/" +
            std::to_string(pParamCount) + " ";
    return reinterpret_cast<IZVStreamDisplayInfo*>(aPanels + 1 + (aBuilt - 1) % 15);
}
void TFakeDialogBuilder::DestroyPanel(IZVStreamDisplayInfo* pPanel) {
    const long number = pPanel ? reinterpret_cast<char*>(pPanel) - aPanels : 0;
    aLog += "destroy " + std::to_string(number) + " ";
}
