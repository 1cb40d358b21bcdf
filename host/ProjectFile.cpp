#include "ProjectFile.h"

#include "ALL/Error.h"
#include "ALL/XmlTree.h"
#include "DLL/Row/MainRow.h"
#include "DLL/Row/ParamGraph.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "FileName.h"
#include "Host.h"
#include "MediaLibrary.h"
#include "PartFile.h"
#include "ProjectReader.h"

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <list>
#include <new>
#include <string>
#include <utility>

namespace {

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

// The module names the root by its empty name and empty type, and the row types by their
// class: the user reads which row and which type.
wxString UserMessage(const wxString& pMessage) {
    static const std::pair<const wchar_t*, const wchar_t*> theFactories[] = {
        {L"No factory is registered for TZVMixerRow subtype ", L"unknown mixer type \""},
        {L"No factory is registered for TZVSimpleSourceRow subtype ", L"unknown source type \""},
        {L"No factory is registered for TZVFilterRow subtype ", L"unknown filter type \""}};
    wxString rest;
    for (const auto& factory : theFactories)
        if (pMessage.StartsWith(factory.first, &rest))
            return factory.second + rest + L"\"";
    const wxString root = L"the root mixer";
    if (pMessage.EndsWith(L" Mixer  ", &rest))
        return rest + L" " + root;
    if (pMessage.EndsWith(L" for ") || pMessage.EndsWith(L" of "))
        return pMessage + root;
    return pMessage;
}

// Prints the errors of every formula that did not parse or bind: its row's path, where in
// the text (when the error has a place) and the message. pBound: every formula bound.
void PrintFormulaErrors(TZVStreamRow& pRoot, bool pBound, std::ostream& pMessages) {
    std::list<TZVParamRow*> params;
    pRoot.ListParam(params);
    for (const TZVParamRow* param : params) {
        TZVFormula* formula = dynamic_cast<TZVFormula*>(param->aFormula);
        if (!formula)
            continue;
        const std::string row =
            "formula of " + TZVFileName::ShownText(TZVFormula::GetRowName(param));
        for (const NSExpression::TParseError& error : formula->GetErrors()) {
            pMessages << row;
            if (error.aPosition >= 0)
                pMessages << " at character " << error.aPosition;
            pMessages << ": " << UserMessage(error.aMessage).utf8_string() << "\n";
        }
        // A call of an unknown function fails to bind without a message of its own; binding
        // a bound formula again changes nothing.
        if (!pBound && formula->GetErrors().empty() && !formula->Resolve())
            pMessages << row
                      << ": it calls a function that does not exist (there are round, "
                         "floor, sin, cos, tan, log and exp)\n";
    }
}

// The format's numbers: {element ("" for "format"), attribute, lowest, highest, unit}, the
// range being what a render can take; a number without a unit is not rendered and has no
// range here. Audio ranges count only when the audio is enabled.
struct TFormatNumber {
    const wchar_t* aElement;
    const wchar_t* aAttribute;
    long long aMin;
    long long aMax;
    const char* aUnit;
};

const TFormatNumber theFormatNumbers[] = {
    {L"", L"duration", 0, INT_MAX, "frames"},
    {L"video", L"width", 0, INT_MAX, "pixels"},
    {L"video", L"height", 0, INT_MAX, "pixels"},
    {L"video", L"rate", 1, INT_MAX, "thousandths of a frame a second"},
    {L"audio", L"rate", 1, INT_MAX, "samples a second"},
    {L"audio", L"channel", 1, 65535, "channels"},
    {L"audio", L"bits", 0, 0, nullptr},
    {L"audio", L"tag", 0, 0, nullptr},
};

// Refuses a number of the format that is not a decimal integer as the format's reader takes
// it (blanks before it and a sign allowed), or that no render can take, naming the attribute
// and its value; an absent one is left to the format's own reader, which names what it misses.
void CheckFormatNumbers(const wxXmlNode* pFormat) {
    for (const TFormatNumber& number : theFormatNumbers) {
        const wxXmlNode* element = pFormat;
        if (*number.aElement) {
            element = pFormat->GetChildren();
            while (element && element->GetName() != number.aElement)
                element = element->GetNext();
        }
        wxString text;
        if (!element || !element->GetAttribute(number.aAttribute, &text))
            continue;
        const wxString name =
            wxString(number.aElement) + (*number.aElement ? L" " : L"") + number.aAttribute;
        const wchar_t* const digits = text.wc_str();
        wchar_t* end = nullptr;
        errno = 0;
        const long long value = std::wcstoll(digits, &end, 10);
        if (end == digits || *end)
            throw TError(
                wxString::Format(L"the format's %ls \"%ls\" is not a decimal integer", name, text));
        if (!number.aUnit ||
            (number.aElement == std::wstring(L"audio") && element->HasAttribute(L"disabled")) ||
            (errno == 0 && value >= number.aMin && value <= number.aMax))
            continue;
        throw TError(wxString::Format(L"the format's %ls \"%ls\" is out of range: %lld to %lld %s",
                                      name, text, number.aMin, number.aMax, number.aUnit));
    }
}

// The host's elements after the root mixer: the graph slots and their colours, each
// written only when it holds something, so that a project without them saves as it was read.
const wchar_t* const GRAPH_LIST = L"graph-list";
const wchar_t* const COLOR_LIST = L"color-list";

// pSave fills the element.
template <class TSave>
void AddHostElement(NSXml::TChildAppender& pProject, const wchar_t* pName, TSave pSave) {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, pName);
    pSave(element);
    if (element->GetChildren())
        pProject.Append(element);
    else
        delete element;
}

// Leaves out of the graph slots pList those that hold no row of pRoot's project: another
// document's rows may hold some (a host made while it is open is current), which are not this
// project's to save.
void KeepOwnSlots(wxXmlNode& pList, const TZVStreamRow& pRoot) {
    for (wxXmlNode* slot = pList.GetChildren(); slot;) {
        wxXmlNode* const next = slot->GetNext();
        long index = -1;
        const TZVParamRow* row =
            slot->GetAttribute(L"idx").ToLong(&index) ? GraphGetParam(int(index)) : nullptr;
        if (!row || !pRoot.IsAncestorOf(row)) {
            pList.RemoveChild(slot);
            delete slot;
        }
        slot = next;
    }
}

// Fills the graph slots from pList, leaving out, with a message, each slot whose path does not
// resolve: the reader would stop at the first and drop the slots after it.
void LoadGraphSlots(const wxXmlNode& pList, std::ostream& pMessages) {
    wxXmlNode found(wxXML_ELEMENT_NODE, GRAPH_LIST);
    NSXml::TChildAppender slots(&found);
    for (const wxXmlNode* slot = pList.GetChildren(); slot; slot = slot->GetNext()) {
        try {
            if (slot->GetType() == wxXML_ELEMENT_NODE)
                TZVBaseRow::GetRowFromPath(slot, nullptr);
            slots.Append(new wxXmlNode(*slot));
        } catch (const TError& error) {
            pMessages << "graph slots: " << UserMessage(error).utf8_string() << "\n";
        }
    }
    GraphLoadXml(&found);
}

// Read once the formulas are bound, as the slots name rows by path. Every project starts from
// the default palette and no slot: another document's rows may still hold some. A slot path
// that does not resolve is printed and the rest of the file still loads.
void LoadHostElements(const wxXmlNode* pMixer, std::ostream& pMessages) {
    GraphSetDefaultColours();
    const wxXmlNode noSlots;
    GraphLoadXml(&noSlots);
    for (const wxXmlNode* node = pMixer->GetNext(); node; node = node->GetNext()) {
        if (node->GetName() == COLOR_LIST)
            GraphLoadColoursXml(node);
        if (node->GetName() == GRAPH_LIST)
            LoadGraphSlots(*node, pMessages);
    }
}

// The module's statics as they stand, to be put back.
class TCurrentDocument {
public:
    void Restore() const {
        IZVProject::theCurrentProject = aProject;
        ITimeSelection::theSingleton = aTimeSelection;
        IRowSelection::theSingleton = aRowSelection;
        IStreamFactory::theDialogBuilder = aDialogBuilder;
        IEditorListener::theListener = aListener;
        IZVLibrary::theLibrary = aLibrary;
    }

private:
    IZVProject* const aProject = IZVProject::theCurrentProject;
    ITimeSelection* const aTimeSelection = ITimeSelection::theSingleton;
    IRowSelection* const aRowSelection = IRowSelection::theSingleton;
    IDialogBuilder* const aDialogBuilder = IStreamFactory::theDialogBuilder;
    IEditorListener* const aListener = IEditorListener::theListener;
    IZVLibrary* const aLibrary = IZVLibrary::theLibrary;
};

// The document of pHost's project, which it has.
void BuildDocument(wxXmlDocument& pDocument, const TZVHost& pHost) {
    wxXmlNode* project = new wxXmlNode(wxXML_ELEMENT_NODE, L"project");
    pDocument.SetRoot(project);
    NSXml::TChildAppender children(project);
    const TZVStreamRow& root = *pHost.GetRootRow();
    children.Append(pHost.aFormat.GetXmlImage());
    children.Append(root.GetXmlImage());
    AddHostElement(children, GRAPH_LIST, [&](wxXmlNode* pList) {
        GraphSaveXml(pList);
        KeepOwnSlots(*pList, root);
    });
    AddHostElement(children, COLOR_LIST, GraphSaveColoursXml);
}

// Throws TError when a text under pNode holds a byte of a name that is not UTF-8 (a media text
// made to resolve from another folder): no project file can hold it, and wxWidgets would cut
// the file short there.
void CheckTexts(const wxXmlNode& pNode) {
    for (const wxXmlNode* child = pNode.GetChildren(); child; child = child->GetNext()) {
        const wxString& text = child->GetContent();
        if (child->GetType() == wxXML_TEXT_NODE &&
            std::any_of(text.begin(), text.end(), [](const wxUniChar pChar) {
                return pChar.GetValue() >= 0xD800 && pChar.GetValue() <= 0xDFFF;
            }))
            throw TError(L"the text \"" + text +
                         L"\" holds a name that is not UTF-8, which a project file cannot hold");
        CheckTexts(*child);
    }
}

} // namespace

void TZVProjectFile::CheckSavable(const TZVHost& pHost) {
    // A file without the root mixer would not load.
    if (!pHost.GetRootRow())
        throw TError(L"the host has no project: there is nothing to save");
    // Another document's library would write its texts for this one's media rows, and the
    // graph slots are the current document's.
    if (!pHost.IsCurrent())
        throw TError(L"the project is not the current document: make it current to save it");
}

std::unique_ptr<wxXmlDocument> TZVProjectFile::ReadDocument(const wxString& pPath) {
    return TZVProjectReader::Read(pPath, MAX_DEPTH);
}

void TZVProjectFile::Load(const wxString& pPath, TZVHost& pHost, bool pOffline) {
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
    CheckFormatNumbers(format);
    // The rows are read and bound in their own document, whichever was current: the module
    // reads them with the current project's format and the module's library (default keys take
    // the rate, media rows enter their texts) and binds references from the current root. A
    // read that fails gives the host its format back, and the module the current document.
    const TCurrentDocument open;
    const std::unique_ptr<wxXmlNode> openFormat(pHost.aFormat.GetXmlImage());
    pHost.MakeCurrent();
    std::unique_ptr<TZVMediaLibrary> library;
    TZVMainMixerRow* root = nullptr;
    const auto restore = [&] {
        library.reset();
        open.Restore();
        pHost.aFormat.ValueFromXml(openFormat.get());
    };
    try {
        pHost.aFormat.ValueFromXml(format);
        library.reset(new TZVMediaLibrary(TZVFileName::ProjectFolder(pPath), pOffline,
                                          pHost.aMessages, pHost.aQuiet));
        root = new TZVMainMixerRow;
        root->CompleteCreate(pHost.aFormat.aDuration);
        // The stored sequences replace the one CompleteCreate made, rather than overlap it.
        root->Inherit(true);
        // On a throw the root has deleted itself.
        root->CreateAllChildren(mixer);
    } catch (const TError& error) {
        restore();
        throw TError(UserMessage(error));
    } catch (const std::bad_alloc&) {
        // Memory that ran out while the rows were read leaves the open document as a refused
        // file does; the caller says it.
        restore();
        throw;
    }
    pHost.SetProject(root, std::move(library));
    // Every formula is tried, and each one that fails is said, whatever the others did.
    PrintFormulaErrors(*root, root->AddListeners(false), pHost.aMessages);
    LoadHostElements(mixer, pHost.aMessages);
}

void TZVProjectFile::Save(const wxString& pPath, const TZVHost& pHost) {
    // Refused before the file is opened: opening makes a temporary file, and a FIFO's waits for
    // a reader.
    CheckSavable(pHost);
    // Written beside the file and renamed over it: the old file stays whole until the new
    // one is.
    TZVPartFile file(TZVFileName::Bytes(pPath));
    Save(file, pPath, pHost);
}

void TZVProjectFile::Save(TZVPartFile& pFile, const wxString& pPath, const TZVHost& pHost) {
    CheckSavable(pHost);
    std::string text;
    {
        // The media texts resolve from where the file goes.
        const TZVMediaLibrary::TSaveFolder folder(pHost.GetLibrary(),
                                                  TZVFileName::ProjectFolder(pPath));
        try {
            text = SaveText(pHost);
        } catch (const TError& pError) {
            pFile.Fail(TZVFileName::Bytes(pError));
            throw TError(TZVFileName::Text(pFile.Error()));
        }
    }
    if (!pFile.IsOpen() || !pFile.Write(text.data(), text.size()) || !pFile.Publish(true))
        throw TError(TZVFileName::Text(pFile.Error()));
}

std::string TZVProjectFile::SaveText(const TZVHost& pHost) {
    CheckSavable(pHost);
    wxXmlDocument document;
    BuildDocument(document, pHost);
    CheckTexts(*document.GetRoot());
    wxMemoryOutputStream stream;
    document.Save(stream, 1);
    std::string text(stream.GetLength(), '\0');
    stream.CopyTo(&text[0], text.size());
    return text;
}
