// The package consumer: a host application built against the installed package alone. It loads
// the example, prints its tree, edits it with undo, saves it, opens the saved file as a second
// document with a media library of its own, then renders one frame and its sound in each
// document and compares them with zvrender's output for the saved file. Around that it holds
// the host library to what the guide promises of documents: formulas at each one's rate
// before any render, documents closed in any order, a history that belongs to one project of
// one document, a failed load that leaves the open document as it was.
//   consumer PROJECT ZVRENDER WORK
#include "ZvrenderOutput.h"
#include "guide/AppHost.h"
#include "guide/Documents.h"
#include "guide/EditWithUndo.h"
#include "guide/LoadProject.h"
#include "guide/OwnLibrary.h"
#include "guide/PrintTree.h"
#include "guide/RenderFrame.h"

#include "ALL/Error.h"
#include "ALL/Variant.h"
#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "host/HostEditor.h"
#include "host/ProjectFile.h"

#include <wx/filename.h>
#include <wx/init.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

namespace {

// The frame rendered and compared: every row of the example plays at it.
const long FRAME = 30;
const wchar_t* const CLIP = L"[mixer:Video][source:clip]";

int theFailures = 0;

// Each line is flushed: a crash keeps the steps before it.
void Check(bool pPassed, const std::string& pWhat) {
    std::cout << (pPassed ? "ok: " : "FAILED: ") << pWhat << std::endl;
    theFailures += pPassed ? 0 : 1;
}

// The row named pName ("[mixer:Audio][param:1 - Master Amplif (db)]") under pRoot, or null.
TZVBaseRow* FindRow(TZVStreamRow& pRoot, const wxString& pName) {
    struct TFind : TZVStreamRow::IStreamTreeOperation {
        explicit TFind(const wxString& pName) : aName(pName) {}
        bool Apply(TZVStreamRow* pRow) override {
            if (TZVFormula::GetRowName(pRow) == aName)
                aFound = pRow;
            for (TZVParamRow* param : pRow->aParamTab)
                if (param && TZVFormula::GetRowName(param) == aName)
                    aFound = param;
            return !aFound;
        }
        const wxString aName;
        TZVBaseRow* aFound = nullptr;
    } find(pName);
    pRoot.ApplyOperation(find);
    return find.aFound;
}

// pText with every pFrom replaced by pTo.
std::string Replaced(std::string pText, const std::string& pFrom, const std::string& pTo) {
    for (size_t at = pText.find(pFrom); at != std::string::npos;
         at = pText.find(pFrom, at + pTo.size()))
        pText.replace(at, pFrom.size(), pTo);
    return pText;
}

void WriteFile(const std::string& pPath, const std::string& pText) {
    std::ofstream(pPath, std::ios::binary) << pText;
}

TZVStreamRow* Clip(const TZVHost& pHost) {
    return dynamic_cast<TZVStreamRow*>(FindRow(*pHost.GetRootRow(), CLIP));
}

// No host, library or frame of a closed document is named any more.
bool NoneCurrent() {
    return !IZVProject::theCurrentProject && !IZVLibrary::theLibrary &&
           !ITimeSelection::theSingleton && !IRowSelection::theSingleton &&
           !IStreamFactory::theDialogBuilder && !IEditorListener::theListener;
}

// The example at 25 and at 50 frames a second with the frames' image reading "time", open
// side by side: before any render, each reads its rate's time at FRAME as it is loaded and
// as it is made current again. Then the two close, in one order or the other.
void Rates(const std::string& pFolder, const std::string& pExample) {
    const std::string timed =
        Replaced(pExample, "[mixer:Video][source:clip][param:1 - Image].value / 10", "time");
    const std::string at50 = Replaced(timed, "rate=\"25000\"", "rate=\"50000\"");
    WriteFile(pFolder + "/at25.xml", timed);
    WriteFile(pFolder + "/at50.xml", at50);
    const auto time = [](const TZVHost& pHost) {
        return dynamic_cast<TZVParamRow*>(
                   FindRow(*pHost.GetRootRow(), L"[mixer:Video][source:frames][param:1 - Image]"))
            ->GetValueAt(double(FRAME))
            .GetDouble();
    };
    for (const bool currentFirst : {false, true}) {
        auto first = std::make_unique<TAppHost>();
        TZVProjectFile::Load(wxString::FromUTF8(pFolder + "/at25.xml"), *first);
        TDocument a{*first, IZVLibrary::theLibrary, nullptr, nullptr};
        const double loaded25 = time(*first);
        auto second = std::make_unique<TAppHost>();
        TZVProjectFile::Load(wxString::FromUTF8(pFolder + "/at50.xml"), *second);
        TDocument b{*second, IZVLibrary::theLibrary, nullptr, nullptr};
        const double loaded50 = time(*second);
        SwitchDocument(&b, a);
        const double current25 = time(*first);
        SwitchDocument(&a, b);
        Check(loaded25 == 1200 && loaded50 == 600 && current25 == 1200 && time(*second) == 600,
              "\"time\" at frame 30, loaded and made current: 1200 ms at 25 frames a second, 600 "
              "at 50");
        if (currentFirst) {
            second.reset();
            Check(NoneCurrent(), "the current document closed first: none is current");
        } else {
            first.reset();
            Check(IZVProject::theCurrentProject == &b.aHost &&
                      IZVLibrary::theLibrary == b.aLibrary &&
                      TZVProjectFile::SaveText(b.aHost) == at50,
                  "the other document closed first: the current one stays current and whole");
        }
        first.reset();
        second.reset();
        Check(NoneCurrent(), "both closed: none is current");
    }
}

// Edits document A: a key, a formula and a split, each undone and redone.
void Edit(TAppHost& pHost, THostEditor& pEditor) {
    TZVStreamRow& root = *pHost.GetRootRow();
    auto* gain =
        dynamic_cast<TZVParamRow*>(FindRow(root, L"[mixer:Audio][param:1 - Master Amplif (db)]"));
    auto* image =
        dynamic_cast<TZVParamRow*>(FindRow(root, L"[mixer:Video][source:frames][param:1 - Image]"));
    auto* clip = Clip(pHost);
    Check(gain && image && clip, "the rows to edit are found");
    if (!gain || !image || !clip)
        return;
    const auto edit = [&](const std::string& pWhat, auto pEdit) {
        const bool done = EditWithUndo(pHost, pEditor, pEdit);
        Check(done, pWhat + ", undone and redone: \"" + pEditor.UndoLabel().utf8_string() + "\"");
    };
    edit("a key added", [&] { return pEditor.EditKey(gain, 20, false, false, contNONE); });
    Check(pHost.aKeyEdits > 0, "the window was told of the key edits");
    edit("a formula changed", [&] {
        return pEditor.SetFormula(image, L"[mixer:Video][source:clip][param:1 - Image].value / 5");
    });
    edit("a sequence split", [&] { return pEditor.Split(clip, 25); });
    // A graph slot, saved with the project and kept by each document.
    Check(GraphAddParam(gain, -1) == 8, "the gain is in graph slot 8");
}

// Renders FRAME of the current document and compares it with zvrender's files in pWork.
void Compare(const TZVHost& pHost, const std::string& pWork, const std::string& pDocument) {
    const TRenderedFrame frame = RenderFrame(pHost, FRAME);
    const int width = pHost.aFormat.aWidth;
    const int height = pHost.aFormat.aHeight;
    Check(SamePixels(frame, width, height, pWork + "/zvrender30.png") == long(width) * height,
          pDocument + ": frame 30, " + std::to_string(width * height) + " pixels as zvrender's");
    Check(!frame.aSound.empty() && frame.aSound == WavSamples(pWork + "/zvrender.wav"),
          pDocument + ": its sound, " + std::to_string(frame.aSound.size()) +
              " samples as zvrender's");
}

// One host and editor through three loads: the example, split and not saved, then the saved
// file pSaved, split and not saved, then a file that does not load.
void History(const std::string& pExample, const std::string& pSaved) {
    TAppHost host;
    THostEditor editor(host, 1 << 20);
    TZVProjectFile::Load(wxString::FromUTF8(pExample), host);
    Check(editor.Split(Clip(host), 25), "the example split");
    TZVProjectFile::Load(wxString::FromUTF8(pSaved), host);
    const std::string saved = FileBytes(pSaved);
    Check(editor.UndoLabel() == TUndoBuffer::theDefaultUndoAction && !editor.Undo() &&
              TZVProjectFile::SaveText(host) == saved,
          "another project loaded: the history is empty, Undo answers false, the project saves "
          "as it was read");
    Check(editor.Split(Clip(host), 10), "the saved file split");
    const std::string edited = TZVProjectFile::SaveText(host);
    const IZVLibrary* const library = IZVLibrary::theLibrary;
    const std::string broken = wxFileName(pSaved).GetPath().utf8_string() + "/broken.xml";
    WriteFile(broken, Replaced(Replaced(saved, "rate=\"25000\"", "rate=\"50000\""),
                               "type=\"Opacity\"", "type=\"Nothing\""));
    try {
        TZVProjectFile::Load(wxString::FromUTF8(broken), host);
        Check(false, "a file with an unknown filter loaded");
    } catch (const TError& error) {
        Check(error == L"unknown filter type \"Nothing\"",
              "a file of another rate with an unknown filter: " + error.utf8_string());
    }
    Check(TZVProjectFile::SaveText(host) == edited && IZVLibrary::theLibrary == library &&
              host.GetLibrary() == library && IZVProject::theCurrentProject == &host &&
              editor.UndoLabel() == L"Split" && editor.Undo() &&
              TZVProjectFile::SaveText(host) == saved,
          "the open document stays: its edit, format, media, current and history");
}

void Run(const std::string& pProject, const std::string& pZvrender, const std::string& pWork) {
    const std::string folder = wxFileName(pProject).GetPath().utf8_string();
    const std::string saved = folder + "/edited.xml";
    // First: no renderer has set the formulas' frame rate yet.
    Rates(folder, FileBytes(pProject));
    TAppHost hostA;
    TZVProjectFile::Load(wxString::FromUTF8(pProject), hostA);
    TDocument a{hostA, IZVLibrary::theLibrary, nullptr, nullptr};
    PrintTree(*hostA.GetRootRow(), std::cout);
    THostEditor editor(hostA, 1 << 20);
    Edit(hostA, editor);
    TZVProjectFile::Save(wxString::FromUTF8(saved), hostA);
    const std::string text = FileBytes(saved);
    Check(text == TZVProjectFile::SaveText(hostA), "saved as the snapshot reads");
    {
        // The library outlives the rows that play it.
        TOwnLibrary libraryB(wxFileName(saved).GetPath());
        TAppHost hostB;
        TDocument b{hostB, &libraryB, nullptr, nullptr};
        SwitchDocument(&a, b);
        Check(LoadProject(wxString::FromUTF8(saved), hostB, libraryB),
              "the saved file loaded again with the host's own library");
        PrintTree(*hostB.GetRootRow(), std::cout);
        Check(TZVProjectFile::SaveText(hostB) == text, "it saves as it was read");
        const std::string command = pZvrender + " -q --frames 30..30 --png " + pWork +
                                    "/zvrender%d.png --wav " + pWork + "/zvrender.wav " + saved;
        Check(std::system(command.c_str()) == 0, "zvrender rendered the saved file");
        Compare(hostB, pWork, "the file loaded again");
        Check(!editor.Undo() && !editor.Split(Clip(hostA), 10) &&
                  TZVProjectFile::SaveText(hostB) == text,
              "the edited document's editor, while the file loaded again is current: Undo and "
              "a split are refused, nothing changes");
        SwitchDocument(&b, a);
        Check(GraphGetParam(8) ==
                  FindRow(*hostA.GetRootRow(), L"[mixer:Audio][param:1 - Master Amplif (db)]"),
              "the edited document has its graph slot back");
        Compare(hostA, pWork, "the edited document");
        Check(TZVProjectFile::SaveText(hostA) == text, "the edited document is as it was saved");
        Check(editor.Undo() && Clip(hostA)->aSequenceList.size() == 1 &&
                  editor.UndoLabel() == L"Formula",
              "its history goes on: the split undone");
    }
    Check(IZVProject::theCurrentProject == &hostA && IZVLibrary::theLibrary == a.aLibrary &&
              Clip(hostA)->aSequenceList.size() == 1,
          "the file loaded again closed: the edited document stays current");
    History(pProject, saved);
    Check(TAppHost::theAssertCount == 0, "no assertion reports");
}

} // namespace

int main(int pArgc, char** pArgv) {
    wxInitializer initializer;
    if (pArgc != 4 || !initializer.IsOk()) {
        std::cerr << "usage: consumer PROJECT ZVRENDER WORK\n";
        return 2;
    }
    wxSetAssertHandler(TAppHost::ReportAssert);
    wxImage::AddHandler(new wxPNGHandler);
    try {
        Run(pArgv[1], pArgv[2], pArgv[3]);
    } catch (const TError& error) {
        Check(false, "no error: " + error.utf8_string());
    }
    return theFailures == 0 ? 0 : 1;
}
