// Builds a row element from the input, its element and attribute names taken from a
// dictionary of the stored forms (rows, lists, masks, sub-types, names, shown flags, media
// and their characteristics), reads it under a root mixer of test classes with the module's
// "Empty" source, its media rows and the stand-in filters, and resolves a path built the same
// way. Media rows find their media in a library of two example media and an offline entry.
// Each read gives a TError or a tree whose image reads back to a tree that writes the same
// image again.
#include "ALL/Error.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MediaSourceRow.h"
#include "DLL/Row/MixerRow.h"
#include "FuzzInput.h"
#include "support/FakeLibrary.h"
#include "support/FakeRows.h"
#include "support/TestContainerRows.h"

#include <wx/xml/xml.h>

#include <memory>

namespace {

// An expression text that does not parse is reported by the parameter reader.
const TExpectedAsserts theExpected{"false"};

const wchar_t* const theElements[] = {L"source", L"mixer",    L"filter", L"fltr-list",  L"src-list",
                                      L"mask",   L"seq-list", L"seg",    L"param-list", L"param",
                                      L"value",  L"key",      L"layer",  L"media"};
const wchar_t* const theAttributes[] = {L"type", L"name", L"shown", L"begin",  L"end",
                                        L"time", L"to",   L"kind",  L"render", L"path",
                                        L"l",    L"w",    L"h"};
// "G" and "F~_" are the number images of 2.0 and 1.0, the example media's durations.
const wchar_t* const theValues[] = {
    L"clip",     L"test-mix",   L"Empty",       L"Opacity",     L"Gain",
    L"Standard", L"A",          L"A-1",         L"B9",          L"",
    L"0",        L"1",          L"2",           L"10",          L"-1",
    L"yes",      L"2147483648", L"video-media", L"audio-media", L"50",
    L"160",      L"120",        L"G",           L"F~_",         L"~"};

// The media texts of the library's entries and one it does not hold.
const wchar_t* const theMediaTexts[] = {L"$(media)/clip.mkv", L"$(media)/tone.flac",
                                        L"/nowhere/gone.mkv", L"elsewhere.mkv"};

// The media the rows find, opened once.
const TFakeLibrary& Library() {
    static TFakeLibrary* const theLibrary = [] {
        auto* library = new TFakeLibrary;
        library->Add(ExampleMedia("clip.mkv"), L"$(media)/");
        library->Add(ExampleMedia("tone.flac"), L"$(media)/");
        library->Add(L"/nowhere/gone.mkv", wxString(), true);
        return library;
    }();
    return *theLibrary;
}

wxXmlNode* Element(TFuzzInput& pInput, int pDepth) {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, pInput.Pick(theElements));
    for (unsigned count = pInput.Byte() % 4; count > 0; --count) {
        const wxString name = pInput.Pick(theAttributes);
        if (!element->HasAttribute(name))
            element->AddAttribute(name, pInput.Pick(theValues));
    }
    wxXmlNode* last = nullptr;
    if (element->GetName() == L"media" && pInput.Byte() % 2) {
        last = new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, pInput.Pick(theMediaTexts));
        element->SetChildren(last);
        last->SetParent(element);
    }
    for (unsigned count = pDepth > 0 ? pInput.Byte() % 5 : 0; count > 0 && !pInput.Empty();
         --count) {
        wxXmlNode* child = Element(pInput, pDepth - 1);
        if (last)
            last->SetNext(child);
        else
            element->SetChildren(child);
        child->SetParent(element);
        last = child;
    }
    return element;
}

// The tree read from pElement under a fresh root and written back; null on a TError.
std::unique_ptr<wxXmlNode> ReadAndWrite(const wxXmlNode* pElement, wxXmlNode* pPath) {
    const std::unique_ptr<TTestMixerRow> root = MakeTestRoot();
    // Rows are read while a project is open, as in the host: media rows ask for its rate.
    const TFakeProject project(root.get());
    TZVStreamRow* row = nullptr;
    try {
        row = TZVStreamRow::Create(pElement, root.get(), nullptr);
    } catch (const TError&) {
        Require(root->aSourceChildList.empty());
        return nullptr;
    }
    Require(row && row->aParent == root.get());
    if (pPath) {
        try {
            TZVBaseRow::GetRowFromPath(pPath, root.get());
        } catch (const TError&) {
        }
    }
    return std::unique_ptr<wxXmlNode>(row->GetXmlImage());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    Library();
    TFuzzInput input(pData, pSize);
    const std::unique_ptr<wxXmlNode> element(Element(input, 6));
    const std::unique_ptr<wxXmlNode> path(new wxXmlNode(wxXML_ELEMENT_NODE, L"p"));
    if (!input.Empty())
        path->AddChild(Element(input, 3));
    const std::unique_ptr<wxXmlNode> image = ReadAndWrite(element.get(), path.get());
    if (!image)
        return 0;
    const std::unique_ptr<wxXmlNode> again = ReadAndWrite(image.get(), nullptr);
    Require(again && SameXml(image.get(), again.get()));
    return 0;
}
