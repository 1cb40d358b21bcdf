// A row image of 10,001 elements written to and read from the compact stream, against
// wxXmlDocument saving it to memory and loading it back.
#include "DLL/Edt/XmlBinaryStream.h"

#include "ALL/XmlTree.h"

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// A mixer with 100 sources of 9 parameters with 10 keys each.
wxXmlNode* RowImage() {
    wxXmlNode* mixer = new wxXmlNode(wxXML_ELEMENT_NODE, "mixer");
    mixer->AddAttribute("type", "video-mux");
    for (int source = 0; source < 100; ++source) {
        wxXmlNode* row = new wxXmlNode(wxXML_ELEMENT_NODE, "source");
        row->AddAttribute("type", "video-media");
        row->AddAttribute("name", wxString::Format("Clip %d", source));
        row->AddAttribute("path", wxString::Format("media/clip%03d.avi", source));
        for (int param = 0; param < 9; ++param) {
            wxXmlNode* parameter = new wxXmlNode(wxXML_ELEMENT_NODE, "param");
            parameter->AddAttribute("name", wxString::Format("Param%d", param));
            for (int key = 0; key < 10; ++key) {
                wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, "key");
                element->AddAttribute("begin", wxString::Format("%d", key * 1000));
                element->AddAttribute("end", wxString::Format("%d", key * 1000 + 1000));
                element->AddAttribute("v", "?Q@jW^b");
                element->AddAttribute("a", "?R~bXN");
                element->AddAttribute("cont", "SMOOTH");
                NSXml::AppendChild(parameter, element);
            }
            NSXml::AppendChild(row, parameter);
        }
        NSXml::AppendChild(mixer, row);
    }
    return mixer;
}

std::vector<uint8_t> CompactImage(const wxXmlNode* pRoot) {
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pRoot);
    return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetSize());
}

void BM_CompactWrite(benchmark::State& pState) {
    const std::unique_ptr<wxXmlNode> root(RowImage());
    for (auto _ : pState) {
        TXmlNodeToBinaryStream stream;
        stream.convertNode(root.get());
        benchmark::DoNotOptimize(stream.GetData());
    }
}
BENCHMARK(BM_CompactWrite)->Unit(benchmark::kMicrosecond);

void BM_CompactRead(benchmark::State& pState) {
    const std::unique_ptr<wxXmlNode> root(RowImage());
    const std::vector<uint8_t> bytes = CompactImage(root.get());
    for (auto _ : pState) {
        wxMemoryInputStream input(bytes.data(), bytes.size());
        const TBinaryStreamToXmlNode reader(input);
        delete reader.getNextTextOrNode(reader.getNextMarker());
    }
}
BENCHMARK(BM_CompactRead)->Unit(benchmark::kMicrosecond);

void BM_XmlDocumentSave(benchmark::State& pState) {
    wxXmlDocument document;
    document.SetRoot(RowImage());
    for (auto _ : pState) {
        wxMemoryOutputStream output;
        document.Save(output, wxXML_NO_INDENTATION);
        benchmark::DoNotOptimize(output.GetLength());
    }
}
BENCHMARK(BM_XmlDocumentSave)->Unit(benchmark::kMicrosecond);

void BM_XmlDocumentLoad(benchmark::State& pState) {
    wxXmlDocument source;
    source.SetRoot(RowImage());
    wxMemoryOutputStream output;
    source.Save(output, wxXML_NO_INDENTATION);
    std::vector<char> text(output.GetLength());
    output.CopyTo(text.data(), text.size());
    for (auto _ : pState) {
        wxMemoryInputStream input(text.data(), text.size());
        wxXmlDocument document;
        benchmark::DoNotOptimize(document.Load(input));
    }
}
BENCHMARK(BM_XmlDocumentLoad)->Unit(benchmark::kMicrosecond);

} // namespace
