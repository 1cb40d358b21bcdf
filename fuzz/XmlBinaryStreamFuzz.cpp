// The compact XML stream reader over raw bytes: no crash, no read past the data, and every
// tree it returns (whole or partial) is written and read back identically.
#include "DLL/Edt/XmlBinaryStream.h"
#include "FuzzInput.h"

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

std::vector<uint8_t> Write(const wxXmlNode* pNode) {
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pNode);
    if (!stream.IsOk()) {
        std::fprintf(stderr, "a tree read back could not be written\n");
        std::abort();
    }
    return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetSize());
}

void CheckRoundTrip(const wxXmlNode* pNode) {
    const std::vector<uint8_t> bytes = Write(pNode);
    wxMemoryInputStream input(bytes.data(), bytes.size());
    const TBinaryStreamToXmlNode reader(input);
    const std::unique_ptr<wxXmlNode> back(reader.getNextTextOrNode(reader.getNextMarker()));
    if (!back || Write(back.get()) != bytes) {
        std::fprintf(stderr, "what the writer wrote did not read back identically\n");
        std::abort();
    }
}

std::unique_ptr<wxXmlNode> Read(const TBinaryStreamToXmlNode& pReader, int pPartial) {
    const EMarkerKind marker = pReader.getNextMarker();
    if (pPartial == 0)
        return std::unique_ptr<wxXmlNode>(pReader.getNextTextOrNode(marker));
    if (marker != markerNODE)
        return nullptr;
    return std::unique_ptr<wxXmlNode>(pReader.getNodeContent(pPartial == 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    // An exact-size copy, so that any read past the end is caught.
    const std::vector<uint8_t> bytes(pData, pData + pSize);
    for (int partial = 0; partial < 3; ++partial) {
        wxMemoryInputStream input(bytes.data(), bytes.size());
        const std::unique_ptr<wxXmlNode> tree = Read(TBinaryStreamToXmlNode(input), partial);
        const std::unique_ptr<wxXmlNode> inPlace =
            Read(TBinaryStreamToXmlNode(bytes.data(), bytes.size()), partial);
        if (!tree != !inPlace || (tree && Write(tree.get()) != Write(inPlace.get()))) {
            std::fprintf(stderr, "the bytes read in place gave another tree\n");
            std::abort();
        }
        if (tree)
            CheckRoundTrip(tree.get());
    }
    // Passing over the root's children finds the damage that reading them finds.
    const TBinaryStreamToXmlNode reader(bytes.data(), bytes.size());
    EMarkerKind next = markerNONE;
    if (reader.getNextMarker() == markerNODE) {
        const std::unique_ptr<wxXmlNode> head(reader.getNodeHead(next));
        const bool skipped = !reader.IsEndOfData() && reader.SkipChildren(next);
        wxMemoryInputStream input(bytes.data(), bytes.size());
        if (skipped != bool(Read(TBinaryStreamToXmlNode(input), 0))) {
            std::fprintf(stderr, "passing over the children disagreed with reading them\n");
            std::abort();
        }
    }
    return 0;
}
