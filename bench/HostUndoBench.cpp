// Undo plus redo of a split at the root of the tree-build project, through the host's undo
// buffer (one record of every row's sequences and keys, replayed row by row), beside the
// snapshot undo of a simple editor: each undo and each redo takes the whole tree's XML image,
// then rebuilds the tree from the other image as the host builds a root.
// Counters: the record's bytes, the saved project's and their ratio.
#include "HostUndo.h"
#include "TreeProject.h"

#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Row/MainRow.h"

#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/TestContainerRows.h"

#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

const long SPLIT = 510;

// The root read from pElement as the host reads a project, its listeners added.
std::unique_ptr<TZVMainMixerRow> BuildRoot(const wxXmlNode& pElement) {
    RegisterTestContainers();
    std::unique_ptr<TZVMainMixerRow> root = LoadMainRoot(&pElement, NSTreeProject::DURATION);
    root->AddListeners(false);
    return root;
}

// The tree as the host saves it.
wxString Saved(const TZVMainMixerRow& pRoot) {
    wxXmlDocument document;
    document.SetRoot(pRoot.GetXmlImage());
    wxString text;
    wxStringOutputStream output(&text);
    document.Save(output, wxXML_NO_INDENTATION);
    return text;
}

// The project read and split through the host's undo compiler, its text as saved before and
// after.
struct TSplitProject {
    TSplitProject()
        : aRoot(BuildRoot(*NSTreeProject::Load()->GetRoot())), aProject(aRoot.get()),
          aBefore(Saved(*aRoot)), aBuffer(BUFFER_SIZE), aUndo(aBuffer) {
        aUndo.BeginAction(THostUndo::undoActionSPLIT, L"Split");
        if (!aRoot->SplitJoinAt(SPLIT, &aUndo, true))
            throw std::runtime_error("the split changed nothing");
        aBuffer.CompleteAction();
        aAfter = Saved(*aRoot);
    }
    void Expect(const wxString& pText, const char* pWhat) const {
        if (Saved(*aRoot) != pText)
            throw std::runtime_error(pWhat);
    }
    void SetBytes(benchmark::State& pState, unsigned long pRecord) const {
        const double project = double(aBefore.utf8_string().length());
        pState.counters["project_bytes"] = project;
        pState.counters["record_bytes"] = double(pRecord);
        pState.counters["record_share"] = double(pRecord) / project;
    }

    // Generous: the record of every row's sequences and keys is far smaller than the project.
    static const unsigned long BUFFER_SIZE = 64ul << 20;
    std::unique_ptr<TZVMainMixerRow> aRoot;
    TFakeProject aProject;
    const wxString aBefore;
    wxString aAfter;
    TUndoBuffer aBuffer;
    THostUndo aUndo;
};

void UndoBufferUndoRedo(benchmark::State& pState) {
    TSplitProject project;
    TUndoBuffer& buffer = project.aBuffer;
    if (buffer.GetCurrent() == TUndoBuffer::NO_POSITION)
        throw std::runtime_error("the split left no record");
    const auto& record =
        *reinterpret_cast<const TUndoer::TUndoData*>(buffer.GetBlock() + buffer.GetCurrent());
    project.SetBytes(pState, record.GetLength());
    buffer.Undo();
    project.Expect(project.aBefore, "undo missed the project before the split");
    buffer.Redo();
    project.Expect(project.aAfter, "redo missed the project after the split");
    for (auto _ : pState) {
        buffer.Undo();
        buffer.Redo();
    }
}
BENCHMARK(UndoBufferUndoRedo)->Unit(benchmark::kMillisecond);

void SnapshotUndoRedo(benchmark::State& pState) {
    TSplitProject project;
    // The snapshots a simple editor takes: the whole tree before and after the split.
    const std::unique_ptr<wxXmlNode> after(project.aRoot->GetXmlImage());
    project.aBuffer.Undo();
    const std::unique_ptr<wxXmlNode> before(project.aRoot->GetXmlImage());
    const auto rebuild = [&project](const wxXmlNode& pImage) {
        project.aRoot.reset();
        project.aRoot = BuildRoot(pImage);
        project.aProject.aRoot = project.aRoot.get();
    };
    project.SetBytes(pState, project.aBefore.utf8_string().length());
    rebuild(*before);
    project.Expect(project.aBefore, "the rebuild missed the project before the split");
    rebuild(*after);
    project.Expect(project.aAfter, "the rebuild missed the project after the split");
    for (auto _ : pState) {
        // Without a record of the edit, redo needs the state that undo leaves: snapshot it.
        const std::unique_ptr<wxXmlNode> forRedo(project.aRoot->GetXmlImage());
        rebuild(*before);
        const std::unique_ptr<wxXmlNode> forUndo(project.aRoot->GetXmlImage());
        rebuild(*after);
    }
}
BENCHMARK(SnapshotUndoRedo)->Unit(benchmark::kMillisecond);

} // namespace
