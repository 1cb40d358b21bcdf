#include "DLL/Edt/XmlBinaryStream.h"

#include "XmlTestDump.h"

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

typedef std::vector<uint16_t> TUnits;
typedef std::unique_ptr<wxXmlNode> TNodePtr;

std::vector<uint8_t> Bytes(const TUnits& pUnits) {
    std::vector<uint8_t> bytes;
    for (uint16_t unit : pUnits) {
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    return bytes;
}

std::vector<uint8_t> Write(const wxXmlNode* pNode) {
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pNode);
    EXPECT_TRUE(stream.IsOk());
    return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetSize());
}

TUnits WrittenUnits(const wxXmlNode* pNode) {
    const std::vector<uint8_t> bytes = Write(pNode);
    TUnits units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(uint16_t(bytes[i] | bytes[i + 1] << 8));
    return units;
}

// The tree read back from pBytes: whole (getNextTextOrNode) or as a partial element.
TNodePtr Read(const std::vector<uint8_t>& pBytes, bool pPartial = false, bool pHeadOnly = false) {
    wxMemoryInputStream input(pBytes.data(), pBytes.size());
    const TBinaryStreamToXmlNode reader(input);
    const EMarkerKind marker = reader.getNextMarker();
    if (pPartial)
        return TNodePtr(marker == markerNODE ? reader.getNodeContent(pHeadOnly) : nullptr);
    return TNodePtr(reader.getNextTextOrNode(marker));
}

const char* const SAMPLE = "<row kind='source' name='clip'><param i='x'>12</param>"
                           "<param/><![CDATA[a<b]]><key t='0' v=''/></row>";

TEST(XmlBinaryStream, SingleLetterElementIsFourUnits) {
    const wxXmlNode element(wxXML_ELEMENT_NODE, "a");
    EXPECT_EQ(WrittenUnits(&element), TUnits({0x4E, 1, 'a', 0x45}));
}

TEST(XmlBinaryStream, WritesAttributesAndChildrenInTreeOrder) {
    const TNodePtr tree(ParseTestXml("<e k='' v='12'><!--gone-->t<![CDATA[c]]><f/></e>"));
    ASSERT_EQ(DumpXml(tree.get()), "<e k='' v='12'><!--gone-->t<![CDATA[c]]><f/></e>");
    EXPECT_EQ(WrittenUnits(tree.get()),
              TUnits({'N', 1,   'e', 'A', 1,   'k', 0,   'A', 1, 'v', 2,   '1',
                      '2', 'T', 1,   't', 'D', 1,   'c', 'N', 1, 'f', 'E', 'E'}));
    EXPECT_EQ(DumpXml(Read(Write(tree.get())).get()), "<e k='' v='12'>t<![CDATA[c]]><f/></e>");
}

TEST(XmlBinaryStream, TextAndCdataNodesStandAlone) {
    const wxXmlNode text(wxXML_TEXT_NODE, "", "hi");
    const wxXmlNode comment(wxXML_COMMENT_NODE, "", "no");
    EXPECT_EQ(WrittenUnits(&text), TUnits({'T', 2, 'h', 'i'}));
    EXPECT_EQ(WrittenUnits(&comment), TUnits());
    EXPECT_EQ(WrittenUnits(nullptr), TUnits());
    EXPECT_EQ(DumpXml(Read(Bytes({'D', 2, '<', '>'})).get()), "<![CDATA[<>]]>");
}

TEST(XmlBinaryStream, CharactersBeyondSixteenBitsBecomeSurrogatePairs) {
    const wxString text = wxString(wchar_t(0x1F600)) + wchar_t(0xD800) + "a" + wchar_t(0x10FFFF);
    const wxXmlNode node(wxXML_TEXT_NODE, "", text);
    EXPECT_EQ(WrittenUnits(&node), TUnits({'T', 6, 0xD83D, 0xDE00, 0xD800, 'a', 0xDBFF, 0xDFFF}));
    EXPECT_EQ(Read(Write(&node))->GetContent(), text) << "the lone surrogate stays as it is";
}

TEST(XmlBinaryStream, LongStringsKeepEveryUnit) {
    struct {
        size_t aLength;
        TUnits aCount;
    } const cases[] = {{65534, {65534}}, {65535, {0xFFFF, 65535, 0}}, {70000, {0xFFFF, 4464, 1}}};
    for (const auto& test : cases) {
        wxString text;
        for (size_t i = 0; i < test.aLength; ++i)
            text += wchar_t('a' + i % 26);
        const wxXmlNode node(wxXML_TEXT_NODE, "", text);
        const TUnits units = WrittenUnits(&node);
        EXPECT_EQ(TUnits(units.begin() + 1, units.begin() + 1 + test.aCount.size()), test.aCount);
        EXPECT_EQ(units.size(), 1 + test.aCount.size() + test.aLength);
        const TNodePtr back = Read(Write(&node));
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->GetContent() == text) << test.aLength;
    }
}

TEST(XmlBinaryStream, ZeroUnitEndsAStringOnReading) {
    EXPECT_EQ(DumpXml(Read(Bytes({'N', 3, 'a', 0, 'b', 'A', 1, 'k', 2, 'v', 0, 'E'})).get()),
              "<a k='v'/>");
}

TEST(XmlBinaryStream, DamagedStreamsGiveNull) {
    const std::vector<TUnits> cases = {
        {},                                           // nothing
        {'X', 1, 'a'},                                // unknown first marker
        {'N', 1, 'a', 'A', 1, 'k', 1},                // value cut short
        {'N', 1, 'a', 'T', 1, 't', 'Q'},              // unknown child marker
        {'N', 1, 'a', 'N', 1, 'b', 'E'},              // element never closed
        {'T', 0xFFFF, 0xFFFF, 0xFFFF, 'a', 'b', 'c'}, // a count of 4 G units, 3 present
    };
    for (const TUnits& units : cases) {
        const std::vector<uint8_t> bytes = Bytes(units);
        wxMemoryInputStream input(bytes.data(), bytes.size());
        const TBinaryStreamToXmlNode reader(input);
        EXPECT_EQ(reader.getNextTextOrNode(reader.getNextMarker()), nullptr);
        EXPECT_TRUE(reader.IsEndOfData());
    }
}

TEST(XmlBinaryStream, StreamCutInsideTheSecondOfThreeChildren) {
    const TNodePtr tree(ParseTestXml("<a x='1'><b/><c>text</c><d/></a>"));
    std::vector<uint8_t> bytes = Write(tree.get());
    bytes.resize(bytes.size() - 2 * 9); // 'T' 4 "text" 'E' 'N' 1 'd' 'E' 'E' minus "te"
    EXPECT_EQ(Read(bytes), nullptr);
    EXPECT_EQ(DumpXml(Read(bytes, true).get()), "<a x='1'><b/></a>");
    EXPECT_EQ(DumpXml(Read(Write(tree.get()), true, true).get()), "<a x='1'/>");
}

TEST(XmlBinaryStream, EveryTruncationReadsSafely) {
    const TNodePtr tree(ParseTestXml(SAMPLE));
    const std::vector<uint8_t> bytes = Write(tree.get());
    for (size_t length = 0; length < bytes.size(); ++length) {
        // An exact-size copy, so that a read past the end is seen by AddressSanitizer.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_EQ(Read(cut), nullptr) << length;
        const TNodePtr partial = Read(cut, true);
        if (partial) {
            EXPECT_EQ(partial->GetType(), wxXML_ELEMENT_NODE);
        }
    }
    EXPECT_EQ(DumpXml(Read(bytes).get()), DumpXml(tree.get()));
}

TEST(XmlBinaryStream, NestingIsCapped) {
    TNodePtr root(new wxXmlNode(wxXML_ELEMENT_NODE, "n"));
    wxXmlNode* deepest = root.get();
    for (int depth = 1; depth < XML_STREAM_MAX_DEPTH; ++depth) {
        wxXmlNode* child = new wxXmlNode(wxXML_ELEMENT_NODE, "n");
        deepest->AddChild(child);
        deepest = child;
    }
    EXPECT_TRUE(Read(Write(root.get())));
    deepest->AddChild(new wxXmlNode(wxXML_ELEMENT_NODE, "n"));
    TXmlNodeToBinaryStream stream;
    stream.convertNode(root.get());
    EXPECT_FALSE(stream.IsOk()) << "a tree the reader would refuse";
    TUnits units;
    for (int depth = 0; depth <= XML_STREAM_MAX_DEPTH; ++depth)
        units.insert(units.end(), {'N', 1, 'n'});
    units.insert(units.end(), XML_STREAM_MAX_DEPTH + 1, 'E');
    EXPECT_EQ(Read(Bytes(units)), nullptr);
}

} // namespace
