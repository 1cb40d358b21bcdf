#include "Host.h"

#include "ALL/Number.h"
#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "MediaLibrary.h"

#include <algorithm>

namespace {

// Clears pStatic when it names pHost: another host may be current, and must stay so.
template <class TInterface>
void Leave(TInterface*& pStatic, const TZVHost* pHost) {
    if (pStatic == pHost)
        pStatic = nullptr;
}

} // namespace

TZVHost::TZVHost(bool pAcceptChanges, std::ostream& pMessages)
    : aMessages(pMessages), aAcceptChanges(pAcceptChanges) {
    IZVProject::theCurrentProject = this;
    ITimeSelection::theSingleton = this;
    IRowSelection::theSingleton = this;
    IStreamFactory::theDialogBuilder = this;
    // Directly: replacing a listener through RegisterListener is reported as misuse.
    IEditorListener::theListener = this;
}

TZVHost::~TZVHost() {
    DropProject();
    Leave(IZVProject::theCurrentProject, this);
    Leave(ITimeSelection::theSingleton, this);
    Leave(IRowSelection::theSingleton, this);
    Leave(IStreamFactory::theDialogBuilder, this);
    Leave(IEditorListener::theListener, this);
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
    DropProject();
    aRoot = pRoot;
    aLibrary = std::move(pLibrary);
    aRowLibrary = aLibrary ? aLibrary.get() : IZVLibrary::theLibrary;
    // The records name rows by path: applied to another project they would change it.
    for (TUndoBuffer* history : aHistories)
        history->init();
    if (aRoot)
        SetFormulaRate(aFormat);
}

void TZVHost::DropProject() {
    // The rows leave their media entries through the module's library as they die: it must
    // be theirs, whichever document is current.
    IZVLibrary* const current = IZVLibrary::theLibrary;
    if (aRoot)
        IZVLibrary::theLibrary = aRowLibrary;
    delete aRoot;
    aRoot = nullptr;
    IZVLibrary::theLibrary = current;
    aLibrary.reset();
    aRowLibrary = nullptr;
}

void TZVHost::AddHistory(TUndoBuffer& pHistory) {
    aHistories.push_back(&pHistory);
}

void TZVHost::RemoveHistory(TUndoBuffer& pHistory) {
    aHistories.erase(std::remove(aHistories.begin(), aHistories.end(), &pHistory),
                     aHistories.end());
}

void TZVHost::SetFormulaRate(const TMediaFormat& pFormat) {
    // "time" is in milliseconds; a rate below one frame a second counts as one rather than
    // none.
    TZVFormula::SetFrameRate(std::max(1, RoundToInt(pFormat.aRate / 1000.0, roundNEAREST)));
}
