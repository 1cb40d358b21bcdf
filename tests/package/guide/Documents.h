// Several open documents. The module serves one project at a time: the current project, the
// media library, the selections, the editor listener, the formulas' frame rate and the graph
// slots are the process's. A host that keeps several projects open makes one current before
// any work on it (loading, editing, undoing, saving, rendering): undo records and graph slots
// name rows by path from the current root, and media rows write their texts through the
// current library. Documents close in any order, current or not (TZVHost's destructor).
#pragma once

#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Row/Library.h"
#include "DLL/Row/ParamGraph.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/RowSelection.h"
#include "DLL/Row/StreamFactory.h"
#include "host/Host.h"

#include <wx/xml/xml.h>

#include <memory>

struct TDocument {
    TZVHost& aHost;
    // The library its rows play: the host's own, or aHost.GetLibrary() once TZVProjectFile::Load
    // loaded it, which stays the host's library object while the host lives (every Load
    // refills it).
    IZVLibrary* aLibrary;
    // Its graph slots and colours while another document is current.
    std::unique_ptr<wxXmlNode> aGraphs;
    std::unique_ptr<wxXmlNode> aColours;
};

// Makes pTo current; pFrom (null when none is) keeps its graph slots and colours until it is
// current again.
inline void SwitchDocument(TDocument* pFrom, TDocument& pTo) {
    if (pFrom) {
        pFrom->aGraphs.reset(new wxXmlNode(wxXML_ELEMENT_NODE, L"graph-list"));
        pFrom->aColours.reset(new wxXmlNode(wxXML_ELEMENT_NODE, L"color-list"));
        GraphSaveXml(pFrom->aGraphs.get());
        GraphSaveColoursXml(pFrom->aColours.get());
    }
    IZVProject::theCurrentProject = &pTo.aHost;
    ITimeSelection::theSingleton = &pTo.aHost;
    IRowSelection::theSingleton = &pTo.aHost;
    IStreamFactory::theDialogBuilder = &pTo.aHost;
    IEditorListener::theListener = &pTo.aHost;
    IZVLibrary::theLibrary = pTo.aLibrary;
    TZVHost::SetFormulaRate(pTo.aHost.aFormat);
    GraphSetDefaultColours();
    if (pTo.aColours)
        GraphLoadColoursXml(pTo.aColours.get());
    // Frees every slot, then fills pTo's: their paths resolve from pTo's root, now current.
    const wxXmlNode noSlots;
    GraphLoadXml(pTo.aGraphs ? pTo.aGraphs.get() : &noSlots);
}
