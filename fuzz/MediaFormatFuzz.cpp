// Feeds generated "format" trees to TMediaFormat::ValueFromXml. A tree starts as the written
// image of a format whose fields come from the input, then the input edits it: attributes
// removed, added or given other values, elements renamed, removed, added or swapped, text
// and comment nodes put in. Reading must end in a TError or in a consistent format; a format
// that reads writes itself back, and that image reads again to the same format and XML.
#include "ALL/Error.h"
#include "DLL/Edt/MediaFormat.h"
#include "FuzzInput.h"

#include <wx/xml/xml.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

const wchar_t* const NAMES[] = {L"format", L"video",    L"audio",  L"codec",   L"duration",
                                L"width",  L"height",   L"rate",   L"channel", L"bits",
                                L"tag",    L"disabled", L"fourcc", L"quality", L"id",
                                L"Format", L""};
const wchar_t* const VALUES[] = {
    L"0",          L"1",           L"2",          L"8",          L"16",    L"24",
    L"-1",         L"-5",          L"100",        L"541544016",  L"65535", L"65537",
    L"2147483647", L"-2147483648", L"2147483648", L"4294967295", L"12a",   L"",
    L" 7",         L"+3",          L"3",          L"0x10",       L"1e3",   L"101"};

void Collect(wxXmlNode* pNode, std::vector<wxXmlNode*>& pNodes) {
    pNodes.push_back(pNode);
    for (wxXmlNode* child = pNode->GetChildren(); child; child = child->GetNext())
        Collect(child, pNodes);
}

wxXmlAttribute* NthAttribute(wxXmlNode* pNode, unsigned pIndex) {
    wxXmlAttribute* attribute = pNode->GetAttributes();
    for (unsigned i = 0; attribute && i < pIndex; ++i)
        attribute = attribute->GetNext();
    return attribute;
}

wxXmlNode* PreviousSibling(wxXmlNode* pNode) {
    wxXmlNode* before = nullptr;
    if (wxXmlNode* parent = pNode->GetParent())
        for (wxXmlNode* child = parent->GetChildren(); child != pNode; child = child->GetNext())
            before = child;
    return before;
}

void Edit(wxXmlNode* pRoot, TFuzzInput& pInput) {
    std::vector<wxXmlNode*> nodes;
    Collect(pRoot, nodes);
    wxXmlNode* node = nodes[pInput.Byte() % nodes.size()];
    wxXmlNode* parent = node->GetParent();
    switch (pInput.Byte() % 8) {
    case 0:
        if (wxXmlAttribute* attribute = NthAttribute(node, pInput.Byte() % 6))
            node->DeleteAttribute(attribute->GetName());
        break;
    case 1:
        if (wxXmlAttribute* attribute = NthAttribute(node, pInput.Byte() % 6))
            attribute->SetValue(pInput.Pick(VALUES));
        break;
    case 2:
        node->AddAttribute(pInput.Pick(NAMES), pInput.Pick(VALUES));
        break;
    case 3:
        node->SetName(pInput.Pick(NAMES));
        break;
    case 4:
        if (parent) {
            parent->RemoveChild(node);
            delete node;
        }
        break;
    case 5:
        node->InsertChild(new wxXmlNode(wxXML_ELEMENT_NODE, pInput.Pick(NAMES)),
                          node->GetChildren());
        break;
    case 6:
        node->InsertChild(new wxXmlNode(pInput.Byte() % 2 ? wxXML_TEXT_NODE : wxXML_COMMENT_NODE,
                                        L"", pInput.Pick(VALUES)),
                          node->GetChildren());
        break;
    default:
        // Moves the node before its previous sibling.
        if (wxXmlNode* before = PreviousSibling(node)) {
            parent->RemoveChild(node);
            parent->InsertChild(node, before);
        }
        break;
    }
}

bool SameFormat(const TMediaFormat& p1, const TMediaFormat& p2) {
    const TWaveFormat &w1 = p1.aAudioFormat, &w2 = p2.aAudioFormat;
    return p1.aDuration == p2.aDuration && p1.aHasVideo == p2.aHasVideo &&
           p1.aHasAudio == p2.aHasAudio && p1.aWidth == p2.aWidth && p1.aHeight == p2.aHeight &&
           p1.aRate == p2.aRate && p1.aVideoCodec.aFourCC == p2.aVideoCodec.aFourCC &&
           p1.aVideoCodec.aQuality == p2.aVideoCodec.aQuality && w1.aFormatTag == w2.aFormatTag &&
           w1.aChannels == w2.aChannels && w1.aSamplesPerSec == w2.aSamplesPerSec &&
           w1.aAvgBytesPerSec == w2.aAvgBytesPerSec && w1.aBlockAlign == w2.aBlockAlign &&
           w1.aBitsPerSample == w2.aBitsPerSample && p1.aAudioCodec.aId == p2.aAudioCodec.aId &&
           p1.aAudioCodecFormat == p2.aAudioCodecFormat;
}

// A format that has been read: one stream at least, derived audio values in step with the
// read ones, codec settings the lists know.
void CheckConsistent(const TMediaFormat& pFormat) {
    const TWaveFormat& audio = pFormat.aAudioFormat;
    Require(pFormat.aHasVideo || pFormat.aHasAudio);
    const unsigned align = audio.aBitsPerSample == 16 ? audio.aChannels * 2u : audio.aChannels;
    Require(audio.aBlockAlign == uint16_t(align));
    Require(audio.aAvgBytesPerSec == uint32_t(audio.aBlockAlign * audio.aSamplesPerSec));
    Require(TMediaFormat::GetVideoCodecList()->Contains(pFormat.aVideoCodec.aFourCC));
    Require(pFormat.aAudioCodecFormat >= 0 &&
            pFormat.aAudioCodecFormat <
                TMediaFormat::GetAudioCodecList()->GetFormatCount(pFormat.aAudioCodec.aId));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    TMediaFormat source;
    const unsigned flags = input.Byte();
    source.SetDuration(input.Take<int32_t>());
    source.SetHasVideo(!(flags & 1));
    source.SetHasAudio(!(flags & 2));
    source.SetWidth(input.Take<int32_t>());
    source.SetHeight(input.Take<int32_t>());
    source.SetRate(input.Take<int32_t>());
    source.SetIsStereo(flags & 4);
    source.aVideoCodec.aFourCC = flags & 8 ? TZVVideoCodecConfig::fourccPNG : 0;
    std::unique_ptr<wxXmlNode> tree(source.GetXmlImage());
    for (unsigned edits = input.Byte() % 16; edits > 0; --edits)
        Edit(tree.get(), input);

    TMediaFormat format;
    try {
        format.ValueFromXml(tree.get());
    } catch (const TError&) {
        if (flags & 16)
            TMediaFormat::FreeAll();
        return 0;
    }
    CheckConsistent(format);
    std::unique_ptr<wxXmlNode> image(format.GetXmlImage());
    TMediaFormat again;
    again.ValueFromXml(image.get());
    Require(SameFormat(format, again));
    std::unique_ptr<wxXmlNode> imageAgain(again.GetXmlImage());
    Require(SameXml(image.get(), imageAgain.get()));
    if (flags & 16)
        TMediaFormat::FreeAll();
    return 0;
}
