#include "Host.h"

#include "ALL/Number.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "MediaLibrary.h"

#include <algorithm>

TZVHost::TZVHost(bool pAcceptChanges, std::ostream& pMessages)
    : aMessages(pMessages), aAcceptChanges(pAcceptChanges),
      aPrevProject(IZVProject::theCurrentProject), aPrevTimeSelection(ITimeSelection::theSingleton),
      aPrevRowSelection(IRowSelection::theSingleton),
      aPrevDialogBuilder(IStreamFactory::theDialogBuilder),
      aPrevListener(IEditorListener::theListener) {
    IZVProject::theCurrentProject = this;
    ITimeSelection::theSingleton = this;
    IRowSelection::theSingleton = this;
    IStreamFactory::theDialogBuilder = this;
    // Directly: replacing a listener through RegisterListener is reported as misuse.
    IEditorListener::theListener = this;
}

TZVHost::~TZVHost() {
    SetProject(nullptr, nullptr);
    IZVProject::theCurrentProject = aPrevProject;
    ITimeSelection::theSingleton = aPrevTimeSelection;
    IRowSelection::theSingleton = aPrevRowSelection;
    IStreamFactory::theDialogBuilder = aPrevDialogBuilder;
    IEditorListener::theListener = aPrevListener;
}

bool TZVHost::DoQueryBox(const wxString& pMessage, const wchar_t* pTitle) {
    if (aQuiet && aAcceptChanges)
        return true;
    wxString text = pMessage;
    text.Trim();
    text.Replace(L"\n", L"; ");
    aMessages << wxString(pTitle).utf8_string() << ": " << text.utf8_string() << " ("
              << (aAcceptChanges ? "accepted" : "refused") << ")\n";
    return aAcceptChanges;
}

void TZVHost::SetProject(TZVStreamRow* pRoot, std::unique_ptr<TZVMediaLibrary> pLibrary) {
    delete aRoot;
    aRoot = pRoot;
    aLibrary = std::move(pLibrary);
    if (aRoot)
        SetFormulaRate(aFormat);
}

void TZVHost::SetFormulaRate(const TMediaFormat& pFormat) {
    // "time" is in milliseconds; a rate below one frame a second counts as one rather than
    // none.
    TZVFormula::SetFrameRate(std::max(1, RoundToInt(pFormat.aRate / 1000.0, roundNEAREST)));
}
