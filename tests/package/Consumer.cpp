// The package consumer: a host application built against the installed package alone. It loads
// the example, prints its tree, edits it with undo, saves it, opens the saved file as a second
// document with a media library of its own, then renders one frame and its sound in each
// document and compares them with zvrender's output for the saved file. Around that it holds
// the host library to what the guide promises of documents: formulas at each one's rate
// before any render, documents closed in any order, a history that belongs to one project of
// one document, a failed load that leaves the open document as it was, editors and own
// libraries that outlive their hosts, a load that binds its project in its own document,
// refused saves that open no file, both loaders' graph slots, commands that change nothing, a
// new tab's slots, a folder whose name is not UTF-8, and saves into other folders.
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
#include "host/FileName.h"
#include "host/HostEditor.h"
#include "host/ProjectFile.h"

#include <wx/filename.h>
#include <wx/init.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// The globals that name a document and its library.
std::vector<const void*> Globals() {
    return {IZVProject::theCurrentProject,    IZVLibrary::theLibrary,
            ITimeSelection::theSingleton,     IRowSelection::theSingleton,
            IStreamFactory::theDialogBuilder, IEditorListener::theListener};
}

// No host, library or frame of a closed document is named any more.
bool NoneCurrent() {
    return Globals() == std::vector<const void*>(Globals().size(), nullptr);
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

// A file that does not load: pSaved with a filter of no known type, in pSaved's folder.
std::string Broken(const std::string& pSaved) {
    const std::string broken = wxFileName(pSaved).GetPath().utf8_string() + "/broken.xml";
    WriteFile(broken, Replaced(Replaced(FileBytes(pSaved), "rate=\"25000\"", "rate=\"50000\""),
                               "type=\"Opacity\"", "type=\"Nothing\""));
    return broken;
}

// Loads pPath into pHost; the message of the TError it throws, or "" when it loads.
std::string LoadError(const std::string& pPath, TZVHost& pHost) {
    try {
        TZVProjectFile::Load(wxString::FromUTF8(pPath), pHost);
    } catch (const TError& error) {
        return error.utf8_string();
    }
    return "";
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

// Each command given what the project already holds answers false, changes no byte and leaves
// the history as it was; some first make the change (which answers true), then are given it
// again. The duration made 90 and given 90 again is then taken back by one Undo.
void NoOps(const std::string& pProject) {
    TAppHost host;
    THostEditor editor(host, 1 << 20);
    TZVProjectFile::Load(wxString::FromUTF8(pProject), host);
    TZVStreamRow& root = *host.GetRootRow();
    auto* image = dynamic_cast<TZVParamRow*>(FindRow(root, CLIP + wxString(L"[param:1 - Image]")));
    auto* frames =
        dynamic_cast<TZVParamRow*>(FindRow(root, L"[mixer:Video][source:frames][param:1 - Image]"));
    auto* video = dynamic_cast<TZVStreamRow*>(FindRow(root, L"[mixer:Video]"));
    TZVStreamRow* clip = Clip(host);
    Check(image && frames && video && clip, "the rows of the no-ops are found");
    if (!image || !frames || !video || !clip)
        return;
    const auto select = [&](long pBegin, long pEnd) {
        TRangeList selection;
        selection.push_back(TRange(pBegin, pEnd));
        host.SetTimeSelection(selection);
        return true;
    };
    const std::function<bool()> none;
    const struct {
        const char* aWhat;
        std::function<bool()> aChange;
        std::function<bool()> aNoOp;
    } rows[] = {
        {"the duration it has", none, [&] { return editor.SetDuration(60); }},
        {"the clip image's key at the end of its keys deleted, which the row fills again", none,
         [&] { return editor.DeleteKey(image, 50); }},
        {"the clip image's only key deleted", none, [&] { return editor.DeleteKey(image, 0); }},
        {"a key value given again",
         [&] { return editor.EditKeyValue(image, 0, false, TVariant(42.0)); },
         [&] { return editor.EditKeyValue(image, 0, false, TVariant(42.0)); }},
        {"the continuity a key has", none,
         [&] { return editor.EditKey(image, 0, false, false, contNONE); }},
        {"the formula a row has", none,
         [&] {
             return editor.SetFormula(frames,
                                      L"[mixer:Video][source:clip][param:1 - Image].value / 10");
         }},
        {"a selection moved by 0", none,
         [&] { return select(0, 50) && editor.ShiftSelection(clip, 0, false); }},
        {"an edge dragged by 0", none, [&] { return editor.ResizeEdge(clip, 50, false, 0); }},
        {"a split where a sequence begins", none, [&] { return editor.Split(clip, 0); }},
        {"a join where no sequences meet", none, [&] { return editor.Join(clip, 25); }},
        {"a delete of a selection that holds no sequence", none,
         [&] { return select(52, 58) && editor.DeleteSelection(clip); }},
        {"a scale by 1", none, [&] { return editor.Scale(1.0); }},
        {"a duration given again", [&] { return editor.SetDuration(90); },
         [&] { return editor.SetDuration(90); }},
        {"the setup value it has", none,
         [&] { return editor.EditSetup(video, 0, video->aSetupTab[0]); }},
    };
    for (const auto& row : rows) {
        const bool changed = !row.aChange || row.aChange();
        const std::string text = TZVProjectFile::SaveText(host);
        const wxString undo = editor.UndoLabel();
        const wxString redo = editor.RedoLabel();
        Check(changed && !row.aNoOp() && TZVProjectFile::SaveText(host) == text &&
                  editor.UndoLabel() == undo && editor.RedoLabel() == redo,
              std::string("a no-op answers false, the project and its history as they were: ") +
                  row.aWhat);
    }
    Check(editor.Undo() && root.aSequenceList.front().aEnd == 60,
          "one Undo takes the duration of 90 back to 60");
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
    const std::string error = LoadError(Broken(pSaved), host);
    Check(error == "unknown filter type \"Nothing\"",
          "a file of another rate with an unknown filter: " + error);
    Check(TZVProjectFile::SaveText(host) == edited && IZVLibrary::theLibrary == library &&
              host.GetLibrary() == library && IZVProject::theCurrentProject == &host &&
              editor.UndoLabel() == L"Split" && editor.Undo() &&
              TZVProjectFile::SaveText(host) == saved,
          "the open document stays: its edit, format, media, current and history");
}

// An editor deleted after its host: once the host is gone (and another opened, perhaps where
// it was), the editor's history is empty and it refuses every command; it leaves touching
// nothing of the host.
void EditorAfterHost(const std::string& pSaved) {
    const std::string text = FileBytes(pSaved);
    auto host = std::make_unique<TAppHost>();
    auto editor = std::make_unique<THostEditor>(*host, 1 << 20);
    TZVProjectFile::Load(wxString::FromUTF8(pSaved), *host);
    Check(editor->Split(Clip(*host), 10), "an editor's split");
    host.reset();
    auto next = std::make_unique<TAppHost>();
    TZVProjectFile::Load(wxString::FromUTF8(pSaved), *next);
    TZVStreamRow* const clip = Clip(*next);
    editor->Redo();
    editor->AltRedo();
    Check(editor->UndoLabel() == TUndoBuffer::theDefaultUndoAction && !editor->Undo() &&
              !editor->Split(clip, 10) && !editor->Join(clip, 25) && !editor->Scale(2) &&
              !editor->SetDuration(10) && !editor->DeleteSelection(clip) &&
              !editor->EditSetup(clip, 0, TVariant(1.0)) && TZVProjectFile::SaveText(*next) == text,
          "its host closed: the editor's history is empty, it refuses Undo and every command, "
          "and the document opened next saves as it was read");
    editor.reset();
    Check(IZVProject::theCurrentProject == next.get() && TZVProjectFile::SaveText(*next) == text,
          "the editor deleted after its host: the document opened next stays current and whole");
}

// Each library global names the current host's library, or none: a host with a library of its
// own (made before it, freed after it) closed first or last, beside a second host made while
// it was open, whose load fails. pProject has no graph slots, which no switch puts aside here.
void OwnLibraries(const std::string& pProject, const std::string& pSaved) {
    const std::string text = FileBytes(pProject);
    const std::string broken = Broken(pSaved);
    for (const bool ownFirst : {true, false}) {
        auto library = std::make_unique<TOwnLibrary>(wxFileName(pProject).GetPath());
        auto own = std::make_unique<TAppHost>();
        TDocument o{*own, library.get(), nullptr, nullptr};
        const bool loaded = LoadProject(wxString::FromUTF8(pProject), *own, *library);
        auto second = std::make_unique<TAppHost>();
        const bool made = IZVProject::theCurrentProject == second.get() && !IZVLibrary::theLibrary;
        Check(loaded && made && LoadError(broken, *second) == "unknown filter type \"Nothing\"" &&
                  IZVProject::theCurrentProject == second.get() && !IZVLibrary::theLibrary,
              "a second host made while one with its own library is open is current without a "
              "library, and stays so after its load fails");
        SwitchDocument(nullptr, o);
        Check(TZVProjectFile::SaveText(*own) == text, "the host with its own library, current");
        if (ownFirst) {
            own.reset();
            Check(NoneCurrent(), "the host with its own library closed first: none is current, "
                                 "no library");
            second.reset();
        } else {
            second.reset();
            Check(IZVProject::theCurrentProject == own.get() &&
                      IZVLibrary::theLibrary == library.get() &&
                      TZVProjectFile::SaveText(*own) == text,
                  "the second host closed first: the one with its own library stays current, with "
                  "it");
            own.reset();
            Check(NoneCurrent(), "the host with its own library closed last: none is current, no "
                                 "library");
        }
        library.reset();
        TAppHost next;
        const bool fresh = !IZVLibrary::theLibrary;
        TZVProjectFile::Load(wxString::FromUTF8(pProject), next);
        Check(fresh && IZVLibrary::theLibrary == next.GetLibrary() &&
                  TZVProjectFile::SaveText(next) == text,
              "the next document has no library until it loads, then its own");
    }
}

// A load into a host that is not current binds its formulas in its own document and makes it
// current, whichever was: the document current before can close, and the loaded one renders
// and saves as its file; a load that fails there leaves the current document as it was. A load
// with a library of the host's own there is refused.
void LoadBeside(const std::string& pProject, const std::string& pSaved, const std::string& pWork) {
    const std::string text = FileBytes(pSaved);
    auto current = std::make_unique<TAppHost>();
    TZVProjectFile::Load(wxString::FromUTF8(pProject), *current);
    TDocument c{*current, current->GetLibrary(), nullptr, nullptr};
    TOwnLibrary library(wxFileName(pSaved).GetPath());
    TAppHost loaded;
    TDocument l{loaded, nullptr, nullptr, nullptr};
    SwitchDocument(&l, c);
    const std::string example = TZVProjectFile::SaveText(*current);
    Check(LoadError(Broken(pSaved), loaded) == "unknown filter type \"Nothing\"" &&
              IZVProject::theCurrentProject == current.get() &&
              IZVLibrary::theLibrary == current->GetLibrary() && !loaded.GetRootRow() &&
              TZVProjectFile::SaveText(*current) == example,
          "a load that fails into a host that is not current: the current document stays, with "
          "its library");
    const std::vector<const void*> globals = Globals();
    std::string refusal;
    try {
        LoadProject(wxString::FromUTF8(Broken(pSaved)), loaded, library);
    } catch (const TError& error) {
        refusal = error.utf8_string();
    }
    Check(refusal == "the document is not current: switch to it before loading into it" &&
              Globals() == globals && !loaded.GetRootRow(),
          "a load with its own library into a host that is not current: refused, the globals as "
          "they were");
    TZVProjectFile::Load(wxString::FromUTF8(pSaved), loaded);
    Check(IZVProject::theCurrentProject == &loaded && IZVLibrary::theLibrary == loaded.GetLibrary(),
          "a load into a host that is not current makes it current, with its library");
    current.reset();
    Compare(loaded, pWork, "loaded beside the current document, which then closed");
    Check(TZVProjectFile::SaveText(loaded) == text, "it saves as its file");
}

// A tab loaded again (another file opened into it, then reverted) keeps the library its document
// was given, refilled: switched away and back, it saves as its file.
void Reload(const std::string& pProject, const std::string& pSaved) {
    const std::string again = wxFileName(pSaved).GetPath().utf8_string() + "/reloaded.xml";
    TAppHost tab;
    TZVProjectFile::Load(wxString::FromUTF8(pProject), tab);
    TDocument t{tab, tab.GetLibrary(), nullptr, nullptr};
    TZVProjectFile::Load(wxString::FromUTF8(pSaved), tab);
    TZVProjectFile::Load(wxString::FromUTF8(pSaved), tab);
    TAppHost other;
    TDocument o{other, nullptr, nullptr, nullptr};
    SwitchDocument(&t, o);
    TZVProjectFile::Load(wxString::FromUTF8(pProject), other);
    o.aLibrary = other.GetLibrary();
    SwitchDocument(&o, t);
    TZVProjectFile::Save(wxString::FromUTF8(again), tab);
    Check(t.aLibrary == tab.GetLibrary() && FileBytes(again) == FileBytes(pSaved),
          "a tab loaded again, switched away and back: its library is the one its document kept, "
          "and it saves as its file");
}

// Saves pHost into a FIFO made at pPath, which nothing reads: the message of the TError the save
// throws, or "" when it wrote. A save that still waits for a reader after 10 s is given one, which
// ends it, and answers "waited for a reader".
std::string SaveIntoFifo(const std::string& pPath, const TZVHost& pHost) {
    mkfifo(pPath.c_str(), 0600);
    std::future<std::string> save = std::async(std::launch::async, [&] {
        try {
            TZVProjectFile::Save(wxString::FromUTF8(pPath), pHost);
        } catch (const TError& error) {
            return error.utf8_string();
        }
        return std::string();
    });
    std::string answer;
    if (save.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        answer = save.get();
    } else {
        const int reader = open(pPath.c_str(), O_RDONLY | O_NONBLOCK);
        save.get();
        close(reader);
        answer = "waited for a reader";
    }
    unlink(pPath.c_str());
    return answer;
}

// A save of a document that is not current is refused with a message, nothing written and the
// globals left as they were: another document's library would write the media texts, or none.
// So is a save of a host without a project, which would not load. The file is not opened: a
// FIFO that nothing reads refuses at once.
void RefusedSaves(const std::string& pProject, const std::string& pSaved) {
    const std::string target = wxFileName(pProject).GetPath().utf8_string() + "/not-current.xml";
    const std::string fifo = wxFileName(pProject).GetPath().utf8_string() + "/not-current.fifo";
    const std::string notCurrent =
        "the project is not the current document: make it current to save it";
    // The tab loads pProject, or not; another host is made, loads pSaved and closes, or not.
    const struct {
        const char* aWhat;
        bool aTabLoads;
        bool aOther;
        bool aOtherLoads;
        bool aOtherCloses;
        std::string aRefusal;
    } cases[] = {{"a document that is not current, another document current", true, true, true,
                  false, notCurrent},
                 {"a document that is not current, a second host made", true, true, false, false,
                  notCurrent},
                 {"a document that is not current, the current document closed", true, true, true,
                  true, notCurrent},
                 {"a current host without a project", false, false, false, false,
                  "the host has no project: there is nothing to save"}};
    for (const auto& c : cases) {
        TAppHost tab;
        if (c.aTabLoads)
            TZVProjectFile::Load(wxString::FromUTF8(pProject), tab);
        TDocument t{tab, tab.GetLibrary(), nullptr, nullptr};
        auto other = c.aOther ? std::make_unique<TAppHost>() : nullptr;
        if (c.aOtherLoads)
            TZVProjectFile::Load(wxString::FromUTF8(pSaved), *other);
        if (c.aOtherCloses)
            other.reset();
        const std::vector<const void*> globals = Globals();
        std::string errors;
        try {
            TZVProjectFile::SaveText(tab);
        } catch (const TError& error) {
            errors = error.utf8_string();
        }
        try {
            TZVProjectFile::Save(wxString::FromUTF8(target), tab);
        } catch (const TError& error) {
            errors += "; " + error.utf8_string();
        }
        errors += "; " + SaveIntoFifo(fifo, tab);
        Check(errors == c.aRefusal + "; " + c.aRefusal + "; " + c.aRefusal &&
                  !wxFileName::FileExists(target) && Globals() == globals,
              std::string("a save of ") + c.aWhat +
                  ": refused, no file opened, the globals as they were");
        if (!c.aTabLoads)
            continue;
        SwitchDocument(nullptr, t);
        Check(TZVProjectFile::SaveText(tab) == FileBytes(pProject), "made current, it saves");
    }
}

// Each graph slot is free or holds a row of pHost's project.
bool OwnSlots(const TZVHost& pHost) {
    for (int slot = 0; slot < GRAPH_SLOT_COUNT; ++slot) {
        const TZVParamRow* row = GraphGetParam(slot);
        if (row && !pHost.GetRootRow()->IsAncestorOf(row))
            return false;
    }
    return true;
}

// A new tab loads a file, by either loader, after another tab put a row in slot 2: the slots
// left are the file's, rows of the new tab's project, which it saves. A slot whose path names no
// row, before two that do, is left out by either loader, and the two are kept.
void LoadSlots(const std::string& pProject) {
    const std::string text = FileBytes(pProject);
    // Slots 2 and 7 as a save writes them, to the end of the file.
    const std::string slots = "  <graph idx=\"2\">\n   <mixer path=\"Video\"/>\n"
                              "   <source path=\"frames\"/>\n   <param path=\"1\"/>\n  </graph>\n"
                              "  <graph idx=\"7\">\n   <mixer path=\"Audio\"/>\n"
                              "   <source path=\"clip\"/>\n   <param path=\"1\"/>\n  </graph>\n"
                              " </graph-list>\n</project>";
    const std::string stale = wxFileName(pProject).GetPath().utf8_string() + "/stale-slot.xml";
    WriteFile(stale, Replaced(text, "</project>",
                              " <graph-list>\n  <graph idx=\"1\"><mixer path=\"Gone\"/></graph>\n" +
                                  slots));
    TOwnLibrary library(wxFileName(pProject).GetPath());
    const struct {
        const char* aFile;
        std::string aPath;
        std::string aSaved;
        const char* aLeft;
    } files[] = {{"without graph slots", pProject, text, "no slot left, it saves as its file"},
                 {"with a stale graph slot before slots 2 and 7", stale,
                  Replaced(text, "</project>", " <graph-list>\n" + slots),
                  "slots 2 and 7 left, it saves without the stale one"}};
    for (const auto& file : files) {
        const wxString path = wxString::FromUTF8(file.aPath);
        const struct {
            const char* aLoader;
            std::function<void(TZVHost&)> aLoad;
        } loaders[] = {{"Load", [&](TZVHost& pHost) { TZVProjectFile::Load(path, pHost); }},
                       {"LoadProject", [&](TZVHost& pHost) { LoadProject(path, pHost, library); }}};
        for (const auto& loader : loaders) {
            TAppHost tab;
            TZVProjectFile::Load(wxString::FromUTF8(pProject), tab);
            auto* gain = dynamic_cast<TZVParamRow*>(
                FindRow(*tab.GetRootRow(), L"[mixer:Audio][param:1 - Master Amplif (db)]"));
            const bool set = GraphAddParam(gain, 2) == 2;
            TAppHost next;
            loader.aLoad(next);
            Check(set && OwnSlots(next) && TZVProjectFile::SaveText(next) == file.aSaved,
                  std::string("a file ") + file.aFile + " loaded by " + loader.aLoader +
                      " after another tab set slot 2: " + file.aLeft);
        }
    }
}

// A new tab made while a document with a graph slot is open: given a project of its own, it
// saves none of the other document's slots. Switched to (the step a new tab takes), it has no
// slot, and the other document has its slot back when it is current again.
void NewTab(const std::string& pProject) {
    TAppHost open;
    TZVProjectFile::Load(wxString::FromUTF8(pProject), open);
    TDocument o{open, open.GetLibrary(), nullptr, nullptr};
    auto* gain = dynamic_cast<TZVParamRow*>(
        FindRow(*open.GetRootRow(), L"[mixer:Audio][param:1 - Master Amplif (db)]"));
    const bool set = GraphAddParam(gain, 2) == 2;
    TAppHost tab;
    TDocument t{tab, nullptr, nullptr, nullptr};
    TZVMainMixerRow* root = new TZVMainMixerRow;
    root->CompleteCreate(60);
    tab.SetProject(root, nullptr);
    Check(set && TZVProjectFile::SaveText(tab).find("graph-list") == std::string::npos,
          "a new tab given a project of its own while another document has a graph slot: its "
          "text holds no slot");
    SwitchDocument(&o, t);
    const bool none = !GraphGetParam(2);
    SwitchDocument(&t, o);
    Check(none && GraphGetParam(2) == gain,
          "switched to, the new tab has no slot; the other document has its slot back");
}

// A project in a folder whose name is not UTF-8 ("caf\351"), named by its bytes: the library's
// text of them (TZVFileName::Text) loads it, and it saves as its file; the locale's decoding
// (wxString(bytes)) names no file.
void NotUtf8(const std::string& pProject, const std::string& pWork) {
    const std::string folder = pWork + "/caf\351";
    mkdir(folder.c_str(), 0700);
    const std::string path = folder + "/example.xml";
    WriteFile(path, FileBytes(pProject));
    TAppHost host;
    std::string decoded;
    try {
        TZVProjectFile::Load(wxString(path.c_str()), host);
    } catch (const TError& error) {
        decoded = error.utf8_string();
    }
    TZVProjectFile::Load(TZVFileName::Text(path), host);
    Check(decoded == "no such file" && TZVProjectFile::SaveText(host) == FileBytes(pProject),
          "a project in a folder whose name is not UTF-8: named by TZVFileName::Text it loads and "
          "saves as its file; named by the locale's decoding: " +
              decoded);
}

// A document with its own library saved into another folder, named as it is or through a
// symbolic link to it: its media texts lead from the folder to the media, which the file loaded
// by the folder's real path finds, none offline, and renders as zvrender rendered the original.
void SaveElsewhere(const std::string& pSaved, const std::string& pWork) {
    const std::string folder = pWork + "/elsewhere/deeper";
    wxFileName::Mkdir(wxString::FromUTF8(folder), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    symlink(folder.c_str(), (pWork + "/linked").c_str());
    const struct {
        const char* aFolder;
        std::string aPath;
    } names[] = {{"another folder", folder}, {"a link to another folder", pWork + "/linked"}};
    for (const auto& name : names) {
        const std::string what = std::string("saved through its own library into ") + name.aFolder;
        TOwnLibrary library(wxFileName(pSaved).GetPath());
        auto own = std::make_unique<TAppHost>();
        LoadProject(wxString::FromUTF8(pSaved), *own, library);
        SaveProject(wxString::FromUTF8(name.aPath + "/moved.xml"), *own, library);
        Check(TZVProjectFile::SaveText(*own) == FileBytes(pSaved),
              what + ": the document still saves as its file at home");
        own.reset();
        TAppHost there;
        TZVProjectFile::Load(wxString::FromUTF8(folder + "/moved.xml"), there);
        int offline = 0;
        for (int i = 0; const IZVLibraryMedia* entry = there.GetLibrary()->GetMedia(i); ++i)
            offline += entry->GetMedia() ? 0 : 1;
        Check(offline == 0, what + ", then loaded by the folder's real path: " +
                                std::to_string(offline) + " media offline");
        Compare(there, pWork, what);
    }
}

void Run(const std::string& pProject, const std::string& pZvrender, const std::string& pWork) {
    const std::string folder = wxFileName(pProject).GetPath().utf8_string();
    const std::string saved = folder + "/edited.xml";
    // First: no renderer has set the formulas' frame rate yet.
    Rates(folder, FileBytes(pProject));
    TAppHost hostA;
    TZVProjectFile::Load(wxString::FromUTF8(pProject), hostA);
    TDocument a{hostA, hostA.GetLibrary(), nullptr, nullptr};
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
    NoOps(pProject);
    EditorAfterHost(saved);
    OwnLibraries(pProject, saved);
    LoadBeside(pProject, saved, pWork);
    Reload(pProject, saved);
    RefusedSaves(pProject, saved);
    LoadSlots(pProject);
    NewTab(pProject);
    NotUtf8(pProject, pWork);
    SaveElsewhere(saved, pWork);
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
