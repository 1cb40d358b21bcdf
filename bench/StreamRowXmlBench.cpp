// The stream part of a row with 30 parameters of 200 keys each: read with CreateChildren
// beside wxXmlDocument loading the same text from memory, and written with GetXmlImage beside
// wxXmlDocument saving the written element into a string.
#include "DLL/Row/StreamRow.h"

#include "support/FakeRows.h"

#include <wx/init.h>
#include <wx/mstream.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The parser's encoding conversions need the library started.
const wxInitializer theInitializer;

const int PARAMS = 30;
const int KEYS = 200;

// A source row of PARAMS real parameters, tables sized.
std::unique_ptr<TFakeStreamRow> NewRow() {
    std::unique_ptr<TFakeStreamRow> row(new TFakeStreamRow(rowKindSOURCE, L"Clip"));
    for (int i = 0; i < PARAMS; ++i) {
        row->aControls.emplace_back(i, TTypeDef(paramTypeREAL), L"P", true);
        row->aParamControls.push_back(i);
    }
    row->aParamCount = PARAMS;
    row->CompleteCreate();
    return row;
}

wxString RowText() {
    wxString text = L"<source type=\"fake\" name=\"Clip\"><seq-list><seg begin=\"0\" end=\"";
    text << KEYS * 10 << L"\"/></seq-list><param-list shown=\"1\">";
    for (int p = 0; p < PARAMS; ++p) {
        text << L"<param type=\"Standard\" name=\"P" << p << L"\"><value>";
        for (int k = 0; k < KEYS; ++k)
            text << L"<key time=\"" << k * 10 << L"\" to=\"" << k * 10 + 10
                 << L"\" kind=\"1\" a=\"G?w\">" << IEEE754Image(k + p / 7.0) << L"</key>";
        text << L"</value></param>";
    }
    return text + L"</param-list></source>";
}

std::unique_ptr<wxXmlDocument> Parse(const wxString& pText) {
    const wxScopedCharBuffer utf8 = pText.utf8_str();
    wxMemoryInputStream stream(utf8.data(), utf8.length());
    std::unique_ptr<wxXmlDocument> document(new wxXmlDocument);
    document->Load(stream);
    return document;
}

void CreateChildren(benchmark::State& pState) {
    const std::unique_ptr<wxXmlDocument> document = Parse(RowText());
    for (auto _ : pState) {
        std::unique_ptr<TFakeStreamRow> row = NewRow();
        const wxXmlNode* node = document->GetRoot();
        row->CreateChildren(node);
        benchmark::DoNotOptimize(row->aKeyList.size());
    }
}
BENCHMARK(CreateChildren)->Unit(benchmark::kMillisecond);

void DocumentLoadPeer(benchmark::State& pState) {
    const wxString text = RowText();
    const wxScopedCharBuffer utf8 = text.utf8_str();
    for (auto _ : pState) {
        wxMemoryInputStream stream(utf8.data(), utf8.length());
        wxXmlDocument document;
        benchmark::DoNotOptimize(document.Load(stream));
    }
}
BENCHMARK(DocumentLoadPeer)->Unit(benchmark::kMillisecond);

// The row read from the text.
std::unique_ptr<TFakeStreamRow> ReadRow() {
    const std::unique_ptr<wxXmlDocument> document = Parse(RowText());
    std::unique_ptr<TFakeStreamRow> row = NewRow();
    const wxXmlNode* node = document->GetRoot();
    row->CreateChildren(node);
    return row;
}

void GetXmlImage(benchmark::State& pState) {
    const std::unique_ptr<TFakeStreamRow> row = ReadRow();
    for (auto _ : pState)
        delete row->GetXmlImage();
}
BENCHMARK(GetXmlImage)->Unit(benchmark::kMillisecond);

void DocumentSavePeer(benchmark::State& pState) {
    wxXmlDocument document;
    document.SetRoot(ReadRow()->GetXmlImage());
    for (auto _ : pState) {
        wxStringOutputStream stream;
        benchmark::DoNotOptimize(document.Save(stream));
    }
}
BENCHMARK(DocumentSavePeer)->Unit(benchmark::kMillisecond);

} // namespace
