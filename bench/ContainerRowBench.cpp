// Container rows. Tree build: a project of 10 mixers x 200 sources with 2 filters each, every
// filter parameter keyed with 50 keys, read into rows beside wxXmlDocument::Load of the same
// text, and written back with GetXmlImage beside wxXmlDocument::Save of the document. Naming:
// 1,000 sources all named "Clip" inserted into one mixer, beside 1,000 distinct names.
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"

#include "support/ParamUndoRound.h"
#include "support/TestContainerRows.h"

#include <wx/mstream.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

const wchar_t* const SEQ = L"<seq-list><seg begin=\"0\" end=\"1000\"/></seq-list>";

wxString Filter(int pIndex) {
    wxString keys;
    for (int k = 0; k < 50; ++k)
        keys += wxString::Format(L"<key time=\"%d\" to=\"%d\" kind=\"1\"/>", k * 20, k * 20 + 20);
    return wxString::Format(L"<filter type=\"Opacity\" name=\"F%d\">", pIndex) + SEQ +
           L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Opacity\"><value>" + keys +
           L"</value></param></param-list><mask shown=\"0\"/></filter>";
}

wxString Project() {
    const wxString filters = Filter(1) + Filter(2);
    wxString mixers;
    for (int m = 0; m < 10; ++m) {
        wxString sources;
        for (int s = 0; s < 200; ++s)
            sources += wxString::Format(L"<source type=\"Empty\" name=\"S%d\">", s) + SEQ +
                       L"<param-list shown=\"0\"/><fltr-list shown=\"1\">" + filters +
                       L"</fltr-list></source>";
        mixers += wxString::Format(L"<mixer type=\"test-mix\" name=\"M%d\">", m) + SEQ +
                  L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">" +
                  sources + L"</src-list></mixer>";
    }
    return L"<mixer type=\"test-mix\" name=\"Project\">" + wxString(SEQ) +
           L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">" + mixers +
           L"</src-list></mixer>";
}

const std::string& ProjectText() {
    static const std::string theText = Project().utf8_string();
    return theText;
}

std::unique_ptr<wxXmlDocument> Load() {
    wxMemoryInputStream input(ProjectText().data(), ProjectText().length());
    return std::make_unique<wxXmlDocument>(input);
}

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

} // namespace
