// Container rows. Tree build: a project of 10 mixers x 200 sources with 2 filters each, every
// filter parameter keyed with 50 keys, read into rows beside wxXmlDocument::Load of the same
// text, and written back with GetXmlImage beside wxXmlDocument::Save of the document. Naming:
// 1,000 sources all named "Clip" inserted into one mixer, beside 1,000 distinct names; a mixer
// of 1,000 to 32,000 sources of one name read from its document, beside as many distinct
// names, with the time per source.
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"

#include "TreeProject.h"

#include "support/ParamUndoRound.h"
#include "support/TestContainerRows.h"

#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using NSTreeProject::Load;
using NSTreeProject::ProjectText;

void DocumentLoad(benchmark::State& pState) {
    for (auto _ : pState)
        benchmark::DoNotOptimize(Load());
    pState.counters["bytes"] = double(ProjectText().length());
}
BENCHMARK(DocumentLoad)->Unit(benchmark::kMillisecond);

void RowTreeRead(benchmark::State& pState) {
    const std::unique_ptr<wxXmlDocument> document = Load();
    for (auto _ : pState) {
        const std::unique_ptr<TTestMixerRow> root = MakeTestRoot();
        const wxXmlNode* element = document->GetRoot();
        TZVSourceRow::Create(element, root.get(), nullptr);
    }
}
BENCHMARK(RowTreeRead)->Unit(benchmark::kMillisecond);

void DocumentSave(benchmark::State& pState) {
    const std::unique_ptr<wxXmlDocument> document = Load();
    for (auto _ : pState) {
        wxString text;
        wxStringOutputStream output(&text);
        document->Save(output, wxXML_NO_INDENTATION);
    }
}
BENCHMARK(DocumentSave)->Unit(benchmark::kMillisecond);

void RowTreeImage(benchmark::State& pState) {
    const std::unique_ptr<wxXmlDocument> document = Load();
    const std::unique_ptr<TTestMixerRow> root = MakeTestRoot();
    const wxXmlNode* element = document->GetRoot();
    TZVSourceRow* tree = TZVSourceRow::Create(element, root.get(), nullptr);
    for (auto _ : pState)
        delete tree->GetXmlImage();
}
BENCHMARK(RowTreeImage)->Unit(benchmark::kMillisecond);

// The records of every row the edit told pUndo about, taken as the host takes them.
void TakeRecords(TTreeUndo& pUndo) {
    for (TZVStreamRow* row : pUndo.aStreams)
        delete row->MakeUndoList();
    for (TZVParamRow* row : pUndo.aParams) {
        wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
        row->MakeUndoImage(&element);
    }
    pUndo = TTreeUndo();
}

void SplitJoinAtRoot(benchmark::State& pState) {
    const std::unique_ptr<wxXmlDocument> document = Load();
    const std::unique_ptr<TTestMixerRow> root = MakeTestRoot();
    const wxXmlNode* element = document->GetRoot();
    TZVSourceRow* tree = TZVSourceRow::Create(element, root.get(), nullptr);
    TTreeUndo undo;
    for (auto _ : pState) {
        tree->SplitJoinAt(510, &undo, true);
        TakeRecords(undo);
        tree->SplitJoinAt(510, &undo, false);
        TakeRecords(undo);
    }
    pState.counters["edits"] = benchmark::Counter(2, benchmark::Counter::kIsIterationInvariant);
}
BENCHMARK(SplitJoinAtRoot)->Unit(benchmark::kMillisecond);

// 1,000 sources into one mixer, all named "Clip" (pState.range(0) 1) or all distinct.
void InsertSources(benchmark::State& pState) {
    for (auto _ : pState) {
        const std::unique_ptr<TTestMixerRow> root = MakeTestRoot();
        for (int i = 0; i < 1000; ++i)
            root->InsertSource(MakeRow<TZVEmptySourceRow>(pState.range(0)
                                                              ? wxString(L"Clip")
                                                              : wxString::Format(L"Clip%d", i)),
                               nullptr);
    }
}
BENCHMARK(InsertSources)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A mixer of pCount empty sources, all named "clip" or each its own name.
std::unique_ptr<wxXmlDocument> SourcesDocument(int pCount, bool pOneName) {
    const wxString sequence = NSTreeProject::Sequence();
    wxString sources;
    for (int i = 0; i < pCount; ++i)
        sources += L"<source type=\"Empty\" name=\"" +
                   (pOneName ? wxString(L"clip") : wxString::Format(L"clip%d", i)) + L"\">" +
                   sequence + L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/></source>";
    const wxString text = L"<mixer type=\"test-mix\" name=\"M\">" + sequence +
                          L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/>"
                          L"<src-list shown=\"1\">" +
                          sources + L"</src-list></mixer>";
    wxStringInputStream input(text);
    return std::make_unique<wxXmlDocument>(input);
}

// Reads the mixer of pState.range(0) sources, of one name (pState.range(1) 1) or distinct ones;
// "per_source" is the time per source.
void ReadSourcesOfOneName(benchmark::State& pState) {
    const int count = int(pState.range(0));
    const std::unique_ptr<wxXmlDocument> document = SourcesDocument(count, pState.range(1) != 0);
    for (auto _ : pState) {
        std::unique_ptr<TTestMixerRow> root = MakeTestRoot();
        const wxXmlNode* element = document->GetRoot();
        TZVSourceRow::Create(element, root.get(), nullptr);
        pState.PauseTiming();
        root.reset();
        pState.ResumeTiming();
    }
    pState.SetLabel(pState.range(1) != 0 ? "one name" : "distinct names");
    pState.counters["per_source"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ReadSourcesOfOneName)
    ->ArgsProduct({{1000, 4000, 16000, 32000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

} // namespace
