// TZVHost: the command-line host's side of the module, without a window: the current
// project (its format and root row), a time selection the host's commands set, an empty row
// selection, a panel builder that builds no panel, and an editor listener that follows
// nothing but answers the module's questions by a fixed policy. Made, it installs itself in
// the module's statics (it is the current document, without a library yet); hosts close in
// any order, and when one goes the statics that name it, and the library when it was the
// current one, name nothing. The module's library names the current host's, or nothing.
#pragma once

#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Row/Project.h"
#include "DLL/Row/RowSelection.h"
#include "DLL/Row/StreamFactory.h"
// Whole: a caller of SetProject destroys the library argument it makes (nullptr included).
#include "MediaLibrary.h"

#include <memory>
#include <ostream>
#include <vector>

class THostEditor;

class TZVHost : public IZVProject,
                public ITimeSelection,
                public IRowSelection,
                public IDialogBuilder,
                public IEditorListener {
public:
    // pAcceptChanges: the answer to "Media has changed"; the questions and notes go to
    // pMessages.
    TZVHost(bool pAcceptChanges, std::ostream& pMessages);
    // Deletes the root row and the media library; the statics that name this host are cleared,
    // and the module's library too when this host is current. Its editors live on, detached.
    ~TZVHost() override;
    TZVHost(const TZVHost&) = delete;
    TZVHost& operator=(const TZVHost&) = delete;

    TZVStreamRow* GetRootRow() const override { return aRoot; }
    const TMediaFormat& GetMediaFormat() const override { return aFormat; }
    const TRangeList& GetRangeList() const override { return aSelection; }
    bool IsKeySelMode() const override { return false; }
    bool IsSelected(const TZVBaseRow*) override { return false; }
    // No panel: there is no window to build it in.
    IZVStreamDisplayInfo* BuildPanel(wxScrolledWindow*, int, const TControlInfo*, int,
                                     int) override {
        return nullptr;
    }
    void DestroyPanel(IZVStreamDisplayInfo*) override {}

    // The editor's notifications change nothing here.
    void DoRowModified(const TZVBaseRow*, EEditFlag) override {}
    void DoRowSelect() override {}
    void DoSignalUpdate() override {}
    void DoTimeSelect(bool, bool) override {}
    void DoToggleRendering(TZVStreamRow*) override {}
    void DoToggleStream(bool) override {}
    void DoDurationChange() override {}
    void DoParamKeyEdit(const TZVParamRow*, const TRange&) override {}
    void DoStreamSeqEdit(const TZVStreamRow*, const TRange&) override {}
    void DoKeyToggle(TZVStreamRow*, long) override {}
    void DoEndOfParamEdit(bool) override {}
    void DoKeyEdit(const TStreamEditList&) override {}
    void DoProject(bool) override {}
    void DoUpdateDialog() override {}
    void DoEditUnderMutex(bool) override {}
    void DoMediaParamEdit() override {}
    // Prints the question with the answer the policy gives, unless quiet and accepted.
    bool DoQueryBox(const wxString& pMessage, const wchar_t* pTitle) override;

    // Makes pRoot and pLibrary (owned; the rows play the library's media, or without one the
    // module's library of now, which must outlive them) the project's, deleting the previous
    // root, then the previous media. A host that has a library keeps that object, which takes
    // pLibrary's media (and is the module's library in its place when pLibrary was); without
    // pLibrary the host's library is freed. Empties the histories and, with a root, makes the
    // formulas' frame rate the format's.
    void SetProject(TZVStreamRow* pRoot, std::unique_ptr<TZVMediaLibrary> pLibrary);
    // The editors of the project (not owned), each registered while it lives: a project set
    // empties their histories, and the host's end detaches them.
    void AddEditor(THostEditor& pEditor);
    void RemoveEditor(THostEditor& pEditor);
    // Makes the formulas' frame rate ("time", "image") pFormat's, in whole frames a second, at
    // least one.
    static void SetFormulaRate(const TMediaFormat& pFormat);
    // The project's media library: null until a project is set with one, then the same object
    // for as long as the host lives, whatever project is set with a library next.
    const TZVMediaLibrary* GetLibrary() const { return aLibrary.get(); }
    TZVMediaLibrary* GetLibrary() { return aLibrary.get(); }
    // The selected time ranges, which sequence drags and deletes act on.
    void SetTimeSelection(const TRangeList& pRanges) { aSelection = pRanges; }

    TMediaFormat aFormat;
    std::ostream& aMessages;
    // Quiet (-q): offline media, what the media report while they are read (their libraries
    // are made so) and changed media accepted are not printed; a refusal still is.
    bool aQuiet = false;

private:
    // The loader makes the host it loads into current; the writer writes only the current one.
    friend class TZVProjectFile;

    // Installs the host in the module's statics, and the library its rows play (none without
    // a project) as the module's library.
    void MakeCurrent();
    // The module's project is this host, and its library the one the host's rows play.
    bool IsCurrent() const;
    // Deletes the root, its rows leaving the library they play.
    void DropRows();

    TZVStreamRow* aRoot = nullptr;
    std::unique_ptr<TZVMediaLibrary> aLibrary;
    // The library the rows play, owned or not.
    IZVLibrary* aRowLibrary = nullptr;
    std::vector<THostEditor*> aEditors;
    const bool aAcceptChanges;
    TRangeList aSelection;
};
