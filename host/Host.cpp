#include "Host.h"

#include "ALL/Number.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "FileName.h"
#include "HostEditor.h"
#include "MediaLibrary.h"
#include "REDarodo/Media.h"

#include <algorithm>
#include <vector>

namespace {

// Clears pStatic when it names pHost: another host may be current, and must stay so.
template <class TInterface>
void Leave(TInterface*& pStatic, const TZVHost* pHost) {
    if (pStatic == pHost)
        pStatic = nullptr;
}

// The names of the media that the module's library holds, the longest first, so that where one
// begins another the whole is found.
std::vector<wxString> MediaNames() {
    std::vector<wxString> names;
    const IZVLibrary* const library = IZVLibrary::theLibrary;
    for (int i = 0; const IZVLibraryMedia* entry = library ? library->GetMedia(i) : nullptr; ++i)
        if (const TZVMedia* media = entry->GetMedia(); media && !media->GetFilename().empty())
            names.push_back(media->GetFilename());
    std::stable_sort(names.begin(), names.end(), [](const wxString& p1, const wxString& p2) {
        return p1.length() > p2.length();
    });
    return names;
}

// pText, a message of the module's, on one line: its line breaks as "; ", and the names of
// media in it as every message shows names (TZVFileName::ShownText), so that a line break in a
// name is shown, not taken as the message's.
std::string OneLine(const wxString& pText) {
    const std::vector<wxString> names = MediaNames();
    std::string line;
    wxString plain;
    for (size_t at = 0; at < pText.length();) {
        const auto name = std::find_if(names.begin(), names.end(), [&](const wxString& pName) {
            return pText.compare(at, pName.length(), pName) == 0;
        });
        if (name == names.end()) {
            plain += pText[at++];
            continue;
        }
        plain.Replace(L"\n", L"; ");
        line += TZVFileName::ShownText(plain) + TZVFileName::ShownText(*name);
        plain.clear();
        at += name->length();
    }
    plain.Replace(L"\n", L"; ");
    return line + TZVFileName::ShownText(plain);
}

} // namespace

TZVHost::TZVHost(bool pAcceptChanges, std::ostream& pMessages)
    : aMessages(pMessages), aAcceptChanges(pAcceptChanges) {
    MakeCurrent();
}

TZVHost::~TZVHost() {
    for (THostEditor* editor : aEditors)
        editor->Detach();
    const bool current = IZVProject::theCurrentProject == this;
    DropRows();
    aLibrary.reset();
    // With none current, no library is the module's: the one this host's rows played may be
    // freed after it.
    if (current)
        IZVLibrary::theLibrary = nullptr;
    Leave(IZVProject::theCurrentProject, this);
    Leave(ITimeSelection::theSingleton, this);
    Leave(IRowSelection::theSingleton, this);
    Leave(IStreamFactory::theDialogBuilder, this);
    Leave(IEditorListener::theListener, this);
}

void TZVHost::MakeCurrent() {
    IZVProject::theCurrentProject = this;
    ITimeSelection::theSingleton = this;
    IRowSelection::theSingleton = this;
    IStreamFactory::theDialogBuilder = this;
    // Directly: replacing a listener through RegisterListener is reported as misuse.
    IEditorListener::theListener = this;
    // Another host's library would take this host's media rows.
    IZVLibrary::theLibrary = aRowLibrary;
}

bool TZVHost::DoQueryBox(const wxString& pMessage, const wchar_t* pTitle) {
    if (aQuiet && aAcceptChanges)
        return true;
    wxString text = pMessage;
    text.Trim();
    aMessages << wxString(pTitle).utf8_string() << ": " << OneLine(text) << " ("
              << (aAcceptChanges ? "accepted" : "refused") << ")\n";
    return aAcceptChanges;
}

void TZVHost::SetProject(TZVStreamRow* pRoot, std::unique_ptr<TZVMediaLibrary> pLibrary) {
    DropRows();
    aRoot = pRoot;
    if (pLibrary && aLibrary) {
        // The host's library object stays: a document that kept it finds the new media there.
        // The previous project's go with pLibrary.
        aLibrary->Swap(*pLibrary);
        if (IZVLibrary::theLibrary == pLibrary.get())
            IZVLibrary::theLibrary = aLibrary.get();
    } else {
        aLibrary = std::move(pLibrary);
    }
    aRowLibrary = aLibrary ? aLibrary.get() : IZVLibrary::theLibrary;
    // The records name rows by path: applied to another project they would change it.
    for (THostEditor* editor : aEditors)
        editor->GetBuffer().init();
    if (aRoot)
        SetFormulaRate(aFormat);
}

bool TZVHost::IsCurrent() const {
    return IZVProject::theCurrentProject == this && IZVLibrary::theLibrary == aRowLibrary;
}

void TZVHost::DropRows() {
    // The rows leave their media entries through the module's library as they die: it must
    // be theirs, whichever document is current.
    IZVLibrary* const current = IZVLibrary::theLibrary;
    if (aRoot)
        IZVLibrary::theLibrary = aRowLibrary;
    delete aRoot;
    aRoot = nullptr;
    IZVLibrary::theLibrary = current;
}

void TZVHost::AddEditor(THostEditor& pEditor) {
    aEditors.push_back(&pEditor);
}

void TZVHost::RemoveEditor(THostEditor& pEditor) {
    aEditors.erase(std::remove(aEditors.begin(), aEditors.end(), &pEditor), aEditors.end());
}

void TZVHost::SetFormulaRate(const TMediaFormat& pFormat) {
    // "time" is in milliseconds; a rate below one frame a second counts as one rather than
    // none.
    TZVFormula::SetFrameRate(std::max(1, RoundToInt(pFormat.aRate / 1000.0, roundNEAREST)));
}
