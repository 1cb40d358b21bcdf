#include "ProjectFile.h"

#include "ALL/Error.h"
#include "ALL/XmlTree.h"
#include "DLL/Row/MainRow.h"
#include "DLL/Row/ParamGraph.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "Host.h"
#include "MediaLibrary.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <cstdio>
#include <list>
#include <vector>

namespace {

// Keeps the last message wxWidgets logs while it lives, instead of showing it.
class TLogCapture : public wxLog {
public:
    TLogCapture() : aPrevious(wxLog::SetActiveTarget(this)) {}
    ~TLogCapture() override { wxLog::SetActiveTarget(aPrevious); }

    wxString aLast;

protected:
    void DoLogRecord(wxLogLevel, const wxString& pMessage, const wxLogRecordInfo&) override {
        aLast = pMessage;
    }

private:
    wxLog* const aPrevious;
};

// Whether an element of the tree under pRoot (at depth 1) lies deeper than pLimit. Walks
// without recursion.
bool TooDeep(const wxXmlNode* pRoot, int pLimit) {
    int depth = 1;
    const wxXmlNode* node = pRoot;
    for (;;) {
        if (depth > pLimit && node->GetType() == wxXML_ELEMENT_NODE)
            return true;
        if (node->GetChildren()) {
            node = node->GetChildren();
            ++depth;
            continue;
        }
        while (depth > 1 && !node->GetNext()) {
            node = node->GetParent();
            --depth;
        }
        if (depth == 1)
            return false;
        node = node->GetNext();
    }
}

// Frees the document's tree without recursion: wxXmlNode frees its children recursively.
void FreeFlat(wxXmlDocument& pDocument) {
    std::vector<wxXmlNode*> pending{pDocument.DetachRoot()};
    while (!pending.empty()) {
        wxXmlNode* node = pending.back();
        pending.pop_back();
        if (!node)
            continue;
        for (wxXmlNode* child = node->GetChildren(); child; child = child->GetNext())
            pending.push_back(child);
        node->SetChildren(nullptr);
        delete node;
    }
}

// The element child of pParent at pPosition (0-based, every node counted), named pName.
const wxXmlNode* Child(const wxXmlNode* pParent, int pPosition, const wchar_t* pName) {
    const wxXmlNode* node = pParent->GetChildren();
    for (int i = 0; node && i < pPosition; ++i)
        node = node->GetNext();
    if (!node || node->GetType() != wxXML_ELEMENT_NODE || node->GetName() != pName)
        throw TError(
            wxString::Format(L"element %d of the project is not \"%ls\"", pPosition + 1, pName));
    return node;
}

// Prints the errors of the formulas that did not bind, with their rows.
void PrintFormulaErrors(TZVStreamRow& pRoot, std::ostream& pMessages) {
    std::list<TZVParamRow*> params;
    pRoot.ListParam(params);
    for (const TZVParamRow* param : params) {
        const TZVFormula* formula = dynamic_cast<const TZVFormula*>(param->aFormula);
        if (!formula)
            continue;
        for (const NSExpression::TParseError& error : formula->GetErrors())
            pMessages << "formula of " << param->GetRowDesignation().utf8_string() << ", position "
                      << error.aPosition << ": " << error.aMessage.utf8_string() << "\n";
    }
}

// The host's elements after the root mixer: the graph slots and their colours, each
// written only when it holds something, so that a project without them saves as it was read.
const wchar_t* const GRAPH_LIST = L"graph-list";
const wchar_t* const COLOR_LIST = L"color-list";

void AddHostElement(NSXml::TChildAppender& pProject, const wchar_t* pName,
                    void (*pSave)(wxXmlNode*)) {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, pName);
    pSave(element);
    if (element->GetChildren())
        pProject.Append(element);
    else
        delete element;
}

// Read once the formulas are bound, as the slots name rows by path; the rows of the previous
// project freed theirs. Every project starts from the default palette; a slot path that does
// not resolve is printed and the rest of the file still loads.
void LoadHostElements(const wxXmlNode* pMixer, std::ostream& pMessages) {
    GraphSetDefaultColours();
    for (const wxXmlNode* node = pMixer->GetNext(); node; node = node->GetNext()) {
        if (node->GetName() == COLOR_LIST)
            GraphLoadColoursXml(node);
        if (node->GetName() != GRAPH_LIST)
            continue;
        try {
            GraphLoadXml(node);
        } catch (const TError& error) {
            pMessages << "graph slots: " << error.utf8_string() << "\n";
        }
    }
}

// The document of pHost's project.
void BuildDocument(wxXmlDocument& pDocument, const TZVHost& pHost) {
    wxXmlNode* project = new wxXmlNode(wxXML_ELEMENT_NODE, L"project");
    pDocument.SetRoot(project);
    NSXml::TChildAppender children(project);
    children.Append(pHost.aFormat.GetXmlImage());
    if (pHost.GetRootRow())
        children.Append(pHost.GetRootRow()->GetXmlImage());
    AddHostElement(children, GRAPH_LIST, GraphSaveXml);
    AddHostElement(children, COLOR_LIST, GraphSaveColoursXml);
}

} // namespace

std::unique_ptr<wxXmlDocument> TZVProjectFile::ReadDocument(const wxString& pPath) {
    if (!wxFileName::FileExists(pPath))
        throw TError(L"no such file");
    std::unique_ptr<wxXmlDocument> document(new wxXmlDocument);
    TLogCapture log;
    if (!document->Load(pPath))
        throw TError(log.aLast.empty() ? wxString(L"not an XML file") : log.aLast);
    if (TooDeep(document->GetRoot(), MAX_DEPTH)) {
        FreeFlat(*document);
        throw TError(wxString::Format(L"elements nested deeper than %d", MAX_DEPTH));
    }
    return document;
}

void TZVProjectFile::Load(const wxString& pPath, TZVHost& pHost, bool pOffline) {
    pHost.SetProject(nullptr, nullptr);
    const std::unique_ptr<wxXmlDocument> document = ReadDocument(pPath);
    const wxXmlNode* project = document->GetRoot();
    if (project->GetName() != L"project")
        throw TError(
            wxString::Format(L"the root element is \"%ls\", not \"project\"", project->GetName()));
    const wxXmlNode* format = Child(project, 0, L"format");
    const wxXmlNode* mixer = Child(project, 1, L"mixer");
    if (mixer->GetAttribute(L"type") != wxString())
        throw TError(
            wxString::Format(L"the root mixer has the type \"%ls\"", mixer->GetAttribute(L"type")));
    pHost.aFormat.ValueFromXml(format);
    std::unique_ptr<TZVMediaLibrary> library(new TZVMediaLibrary(
        wxFileName(pPath).GetPath(wxPATH_GET_VOLUME, wxPATH_NATIVE), pOffline, pHost.aMessages));
    TZVMainMixerRow* root = new TZVMainMixerRow;
    root->CompleteCreate(pHost.aFormat.aDuration);
    // The stored sequences replace the one CompleteCreate made, rather than overlap it.
    root->Inherit(true);
    // On a throw the root has deleted itself.
    root->CreateAllChildren(mixer);
    pHost.SetProject(root, std::move(library));
    if (!root->AddListeners(false))
        PrintFormulaErrors(*root, pHost.aMessages);
    LoadHostElements(mixer, pHost.aMessages);
}

void TZVProjectFile::Save(const wxString& pPath, const TZVHost& pHost) {
    wxXmlDocument document;
    BuildDocument(document, pHost);
    const wxString part = pPath + L".part";
    TLogCapture log;
    if (!document.Save(part, 1) || !wxRenameFile(part, pPath, true)) {
        wxRemoveFile(part);
        throw TError(log.aLast.empty() ? wxString(L"cannot write the file") : log.aLast);
    }
}

std::string TZVProjectFile::SaveText(const TZVHost& pHost) {
    wxXmlDocument document;
    BuildDocument(document, pHost);
    wxMemoryOutputStream stream;
    document.Save(stream, 1);
    std::string text(stream.GetLength(), '\0');
    stream.CopyTo(&text[0], text.size());
    return text;
}
