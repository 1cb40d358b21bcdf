// Loading a project with a media library of the host's own, in the order the reference host
// keeps (TZVProjectFile::Load, host/ProjectFile.cpp). The host must be the current document
// (SwitchDocument) and pLibrary the module's library before the rows are read: media rows
// enter their texts into the library as they are read, and references between parameters are
// bound from the current project's root. pLibrary must outlive the rows: they leave their
// entries as they die.
#pragma once

#include "ALL/Error.h"
#include "ALL/XmlTree.h"
#include "DLL/Row/MainRow.h"
#include "DLL/Row/ParamGraph.h"
#include "host/Host.h"
#include "host/ProjectFile.h"

#include <wx/xml/xml.h>

#include <memory>

// Fills the graph slots that pList names, leaving each one whose path names no row empty:
// GraphLoadXml throws at the first such path, and would leave every slot after it empty too.
// False when one was left empty.
inline bool LoadGraphSlots(const wxXmlNode& pList) {
    wxXmlNode found(wxXML_ELEMENT_NODE, L"graph-list");
    NSXml::TChildAppender slots(&found);
    bool whole = true;
    for (const wxXmlNode* slot = pList.GetChildren(); slot; slot = slot->GetNext())
        try {
            if (slot->GetType() == wxXML_ELEMENT_NODE)
                TZVBaseRow::GetRowFromPath(slot, nullptr);
            slots.Append(new wxXmlNode(*slot));
        } catch (const TError&) {
            whole = false;
        }
    GraphLoadXml(&found);
    return whole;
}

// Throws TError when pHost is not the current document, or when the file or the tree does not
// read; pHost then keeps the project, the format and the library it had, and the globals are
// as they were. False when some formula did not bind (its errors are in its
// TZVFormula; the parameter reads undefined) or a graph slot names no row (the slot stays
// empty): the project is loaded all the same.
inline bool LoadProject(const wxString& pPath, TZVHost& pHost, IZVLibrary& pLibrary) {
    // Only the host's selections and editor listener may serve its rows while they are read.
    if (IZVProject::theCurrentProject != &pHost)
        throw TError(L"the document is not current: switch to it before loading into it");
    const std::unique_ptr<wxXmlDocument> document = TZVProjectFile::ReadDocument(pPath);
    const wxXmlNode* format = document->GetRoot()->GetChildren();
    const wxXmlNode* mixer = format ? format->GetNext() : nullptr;
    if (!mixer || format->GetName() != L"format" || mixer->GetName() != L"mixer")
        throw TError(L"not a project: \"format\" and \"mixer\" expected");
    // The rows are read with the file's format (default keys take its rate) and pLibrary;
    // the open project keeps its own when they do not read.
    const std::unique_ptr<wxXmlNode> openFormat(pHost.aFormat.GetXmlImage());
    IZVLibrary* const openLibrary = IZVLibrary::theLibrary;
    IZVLibrary::theLibrary = &pLibrary;
    TZVMainMixerRow* root = nullptr;
    try {
        pHost.aFormat.ValueFromXml(format);
        root = new TZVMainMixerRow;
        root->CompleteCreate(pHost.aFormat.aDuration);
        // The stored sequences replace the one CompleteCreate made, which they would overlap.
        root->Inherit(true);
        // On a throw the root deletes itself, and whatever was read below it.
        root->CreateAllChildren(mixer);
    } catch (const TError&) {
        IZVLibrary::theLibrary = openLibrary;
        pHost.aFormat.ValueFromXml(openFormat.get());
        throw;
    }
    // The open project goes (its rows leave the library they play), its history is emptied
    // and the formulas take the format's rate.
    pHost.SetProject(root, nullptr);
    // Every formula is bound whatever another did, from the root now current.
    bool whole = root->AddListeners(false);
    // The graph slots name rows by path: read last. Every project starts from the palette and
    // the file's slots alone (another document's rows may hold some).
    GraphSetDefaultColours();
    const wxXmlNode noSlots;
    GraphLoadXml(&noSlots);
    for (const wxXmlNode* node = mixer->GetNext(); node; node = node->GetNext())
        if (node->GetName() == L"color-list")
            GraphLoadColoursXml(node);
        else if (node->GetName() == L"graph-list")
            whole = LoadGraphSlots(*node) && whole;
    return whole;
}
