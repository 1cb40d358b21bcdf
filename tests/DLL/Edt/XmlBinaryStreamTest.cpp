#include "DLL/Edt/XmlBinaryStream.h"

#include "support/AssertCapture.h"
#include "support/XmlText.h"

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
    for (uint16_t unit : pUnits)
        bytes.insert(bytes.end(), {uint8_t(unit), uint8_t(unit >> 8)});
    return bytes;
}

TUnits Units(const TXmlNodeToBinaryStream& pStream) {
    TUnits units;
    for (size_t i = 0; i + 1 < pStream.GetSize(); i += 2)
        units.push_back(uint16_t(pStream.GetData()[i] | pStream.GetData()[i + 1] << 8));
    return units;
}

TUnits Write(const wxXmlNode* pNode) {
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pNode);
    EXPECT_TRUE(stream.IsOk());
    return Units(stream);
}

wxString Describe(const TNodePtr& pNode) {
    if (!pNode)
        return "null";
    if (pNode->GetType() == wxXML_ELEMENT_NODE)
        return XmlText(*pNode);
    return wxString::Format("%d ", int(pNode->GetType())) + pNode->GetContent();
}

TNodePtr Read(const TBinaryStreamToXmlNode& pReader, bool pPartial, bool pHeadOnly) {
    const EMarkerKind marker = pReader.getNextMarker();
    if (pPartial)
        return TNodePtr(marker == markerNODE ? pReader.getNodeContent(pHeadOnly) : nullptr);
    TNodePtr node(pReader.getNextTextOrNode(marker));
    EXPECT_EQ(pReader.IsEndOfData(), !node);
    return node;
}

// The tree read back from pBytes: whole (getNextTextOrNode) or as a partial element; read in
// place the same.
TNodePtr Read(const std::vector<uint8_t>& pBytes, bool pPartial = false, bool pHeadOnly = false) {
    wxMemoryInputStream input(pBytes.data(), pBytes.size());
    TNodePtr node = Read(TBinaryStreamToXmlNode(input), pPartial, pHeadOnly);
    const TNodePtr inPlace =
        Read(TBinaryStreamToXmlNode(pBytes.data(), pBytes.size()), pPartial, pHeadOnly);
    EXPECT_EQ(Describe(node), Describe(inPlace));
    return node;
}

// The written XML of the element read back, or "null".
wxString ReadXml(const std::vector<uint8_t>& pBytes, bool pPartial = false,
                 bool pHeadOnly = false) {
    return Describe(Read(pBytes, pPartial, pHeadOnly));
}

// Whether the root's children are passed over whole, to the last byte.
bool SkipsChildren(const std::vector<uint8_t>& pBytes) {
    const TBinaryStreamToXmlNode reader(pBytes.data(), pBytes.size());
    EMarkerKind next = markerNONE;
    const TNodePtr head(reader.getNextMarker() == markerNODE ? reader.getNodeHead(next) : nullptr);
    if (!head)
        return false;
    const bool skipped = !reader.IsEndOfData() && reader.SkipChildren(next);
    EXPECT_EQ(skipped, !reader.IsEndOfData());
    return skipped && reader.GetOffset() == pBytes.size();
}

TEST(XmlBinaryStream, WritesElementsAttributesAndChildrenInTreeOrderButNoComments) {
    const TNodePtr tree(ParseXml("<e k='' v='12'><!--gone-->t<![CDATA[c]]><f/></e>"));
    const TUnits units = {'N', 1,   'e', 'A', 1,   'k', 0,   'A', 1, 'v', 2,   '1',
                          '2', 'T', 1,   't', 'D', 1,   'c', 'N', 1, 'f', 'E', 'E'};
    EXPECT_EQ(Write(tree.get()), units);
    EXPECT_EQ(ReadXml(Bytes(units)), "<e k=\"\" v=\"12\">t<![CDATA[c]]><f/></e>");
    const wxXmlNode element(wxXML_ELEMENT_NODE, "a"), comment(wxXML_COMMENT_NODE, "", "no");
    EXPECT_EQ(Write(&element), TUnits({0x4E, 1, 'a', 0x45}));
    EXPECT_EQ(Write(&comment), TUnits());
    EXPECT_EQ(Write(nullptr), TUnits());
}

TEST(XmlBinaryStream, AnElementWrittenInPartsIsWrittenAsWhole) {
    const TNodePtr tree(ParseXml("<e k='v' i=''><f a='1'>x</f>t<g/></e>"));
    // From one byte of room: the parts grow the stream as the whole does.
    TXmlNodeToBinaryStream stream(1);
    ASSERT_TRUE(stream.BeginElement(tree.get()));
    for (const wxXmlNode* child = tree->GetChildren(); child; child = child->GetNext())
        stream.convertNode(child);
    stream.EndElement();
    EXPECT_EQ(Units(stream), Write(tree.get()));
    TAssertCapture capture;
    stream.EndElement();
    EXPECT_EQ(capture.Conditions().size(), 1u) << "an end with no element open";
    EXPECT_EQ(Units(stream), Write(tree.get()));
}

TEST(XmlBinaryStream, TextKeepsCharactersBeyondSixteenBitsAsSurrogatePairs) {
    const wxString text = wxString(wchar_t(0x1F600)) + wchar_t(0xD800) + "a" + wchar_t(0x10FFFF);
    const wxXmlNode node(wxXML_TEXT_NODE, "", text);
    const TUnits units = {'T', 6, 0xD83D, 0xDE00, 0xD800, 'a', 0xDBFF, 0xDFFF};
    EXPECT_EQ(Write(&node), units);
    EXPECT_EQ(Read(Bytes(units))->GetContent(), text) << "the lone surrogate stays as it is";
    const TNodePtr cdata = Read(Bytes({'D', 2, '<', '>'}));
    EXPECT_EQ(cdata->GetType(), wxXML_CDATA_SECTION_NODE);
    EXPECT_EQ(cdata->GetContent(), "<>");
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
        const TUnits units = Write(&node);
        EXPECT_EQ(TUnits(units.begin() + 1, units.begin() + 1 + test.aCount.size()), test.aCount);
        EXPECT_EQ(units.size(), 1 + test.aCount.size() + test.aLength);
        const TNodePtr back = Read(Bytes(units));
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->GetContent() == text) << test.aLength;
    }
}

// Cut streams are the truncation test's.
TEST(XmlBinaryStream, DamagedStreamsGiveNull) {
    const std::pair<TUnits, const char*> cases[] = {
        {{}, "null"},
        {{'X', 1, 'a'}, "null"},                                        // unknown first marker
        {{'N', 1, 'a', 'T', 1, 't', 'Q'}, "null"},                      // unknown child marker
        {{'N', 1, 'a', 'N', 1, 'b', 'E', 'A', 1, 'k', 0, 'E'}, "null"}, // attribute after a child
        {{'T', 0xFFFF, 0xFFFF, 0xFFFF, 'a', 'b', 'c'}, "null"}, // 4 G units announced, 3 there
        {{'N', 3, 'a', 0, 'b', 'A', 1, 'k', 2, 'v', 0, 'E'}, "<a k=\"v\"/>"}, // 0 ends a string
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ReadXml(Bytes(test.first)), test.second);
        EXPECT_EQ(SkipsChildren(Bytes(test.first)), test.second != std::string("null"));
    }
    // A partial read keeps an attribute whose value was cut short, with the units that came.
    EXPECT_EQ(ReadXml(Bytes({'N', 1, 'a', 'A', 1, 'k', 3, 'v', 'w'}), true), "<a k=\"vw\"/>");
}

TEST(XmlBinaryStream, StreamCutInsideTheSecondOfThreeChildren) {
    const TNodePtr tree(ParseXml("<a x='1'><b/><c>text</c><d/></a>"));
    std::vector<uint8_t> bytes = Bytes(Write(tree.get()));
    EXPECT_EQ(ReadXml(bytes, true, true), "<a x=\"1\"/>");
    bytes.resize(bytes.size() - 2 * 9); // 'T' 4 "text" 'E' 'N' 1 'd' 'E' 'E' minus "te"
    EXPECT_EQ(ReadXml(bytes), "null");
    EXPECT_EQ(ReadXml(bytes, true), "<a x=\"1\"><b/></a>");
}

// The element read as a partial one (head only or not) from pBytes, through a stream and in
// place alike, with " end" when the end flag is left set; "null" without an 'N' first.
wxString PartialText(const std::vector<uint8_t>& pBytes, bool pHeadOnly) {
    wxMemoryInputStream input(pBytes.data(), pBytes.size());
    const TBinaryStreamToXmlNode streamed(input), inPlace(pBytes.data(), pBytes.size());
    wxString texts[2];
    for (const TBinaryStreamToXmlNode* reader : {&streamed, &inPlace}) {
        const bool element = reader->getNextMarker() == markerNODE;
        const TNodePtr node(element ? reader->getNodeContent(pHeadOnly) : nullptr);
        texts[reader == &inPlace] =
            (node ? XmlText(*node) : "null") + (reader->IsEndOfData() ? " end" : "");
    }
    EXPECT_EQ(texts[0], texts[1]);
    return texts[0];
}

// A stream cut at each kind of place is refused whole (null, and no children passed over). A
// partial read keeps what came whole: an attribute whose name was cut is left out, one whose
// value was cut keeps the units that came, a child cut anywhere is left out; the end flag
// stays set. A head read needs only the head and the marker after it.
TEST(XmlBinaryStream, StreamsCutAtEachKindOfPlace) {
    const TNodePtr tree(ParseXml("<el ka='vw'><f/>tx</el>"));
    const std::vector<uint8_t> bytes = Bytes(Write(tree.get()));
    // 'N' 2 e l 'A' 2 k a 2 v w 'N' 1 f 'E' 'T' 2 t x 'E', so unit i is at byte 2i.
    const std::pair<const char*, size_t> cuts[] = {{"inside the first marker", 1},
                                                   {"before the name", 2},
                                                   {"inside the name", 6},
                                                   {"before the attributes", 8},
                                                   {"inside an attribute name", 14},
                                                   {"before an attribute value", 16},
                                                   {"inside an attribute value", 20},
                                                   {"before the children", 22},
                                                   {"inside a child's head", 26},
                                                   {"before a child's end", 28},
                                                   {"inside a text", 36},
                                                   {"inside the last end", 39}};
    wxString log;
    for (const auto& [place, length] : cuts) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_EQ(ReadXml(cut), "null") << place;
        EXPECT_FALSE(SkipsChildren(cut)) << place;
        log << place << ": " << PartialText(cut, false) << " | " << PartialText(cut, true) << "\n";
    }
    EXPECT_EQ(log, R"(inside the first marker: null end | null end
before the name: </> end | </> end
inside the name: <e/> end | <e/> end
before the attributes: <el/> end | <el/> end
inside an attribute name: <el/> end | <el/> end
before an attribute value: <el ka=""/> end | <el ka=""/> end
inside an attribute value: <el ka="v"/> end | <el ka="v"/> end
before the children: <el ka="vw"/> end | <el ka="vw"/> end
inside a child's head: <el ka="vw"/> end | <el ka="vw"/>
before a child's end: <el ka="vw"/> end | <el ka="vw"/>
inside a text: <el ka="vw"><f/></el> end | <el ka="vw"/>
inside the last end: <el ka="vw"><f/>tx</el> end | <el ka="vw"/>
)");
}

// As the host's undo reads a record: the root's head, then each child from where it starts.
TEST(XmlBinaryStream, ChildrenReadInPlaceFromTheirOffsets) {
    const TNodePtr tree(ParseXml("<r i='x'><a k='1'><b/></a><c/></r>"));
    const std::vector<uint8_t> bytes = Bytes(Write(tree.get()));
    const TBinaryStreamToXmlNode reader(bytes.data(), bytes.size());
    ASSERT_EQ(reader.getNextMarker(), markerNODE);
    EMarkerKind next = markerNONE;
    const TNodePtr head(reader.getNodeHead(next));
    EXPECT_EQ(XmlText(*head), "<r i=\"x\"/>");
    wxString children;
    for (; next == markerNODE; next = reader.getNextMarker()) {
        const size_t offset = reader.GetOffset();
        const TNodePtr child(reader.getNodeContent(false));
        const TBinaryStreamToXmlNode again(bytes.data() + offset, bytes.size() - offset);
        const TNodePtr reread(again.getNodeContent(false));
        children << offset << ' ' << XmlText(*child) << ' ' << XmlText(*reread) << ' ';
    }
    EXPECT_EQ(next, markerEND);
    EXPECT_EQ(reader.GetOffset(), bytes.size());
    EXPECT_EQ(children, "18 <a k=\"1\"><b/></a> <a k=\"1\"><b/></a> 44 <c/> <c/> ");
}

TEST(XmlBinaryStream, EveryTruncationReadsSafely) {
    const TNodePtr tree(ParseXml("<row kind='source' name='clip'><param i='x'>12</param>"
                                 "<param/><![CDATA[a<b]]><key t='0' v=''/></row>"));
    const std::vector<uint8_t> bytes = Bytes(Write(tree.get()));
    for (size_t length = 0; length < bytes.size(); ++length) {
        // An exact-size copy, so that a read past the end is seen by AddressSanitizer.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_EQ(ReadXml(cut), "null") << length;
        ReadXml(cut, true);
        EXPECT_FALSE(SkipsChildren(cut)) << length;
    }
    EXPECT_EQ(ReadXml(bytes), XmlText(*tree));
    EXPECT_TRUE(SkipsChildren(bytes));
}

TEST(XmlBinaryStream, NestingIsCapped) {
    TNodePtr root(new wxXmlNode(wxXML_ELEMENT_NODE, "n"));
    wxXmlNode* deepest = root.get();
    for (int depth = 1; depth < XML_STREAM_MAX_DEPTH; ++depth)
        deepest = new wxXmlNode(deepest, wxXML_ELEMENT_NODE, "n");
    EXPECT_TRUE(Read(Bytes(Write(root.get()))));
    new wxXmlNode(deepest, wxXML_ELEMENT_NODE, "n");
    TXmlNodeToBinaryStream stream;
    stream.convertNode(root.get());
    EXPECT_FALSE(stream.IsOk()) << "a tree the reader would refuse";
    TUnits units;
    for (int depth = 0; depth <= XML_STREAM_MAX_DEPTH; ++depth)
        units.insert(units.end(), {'N', 1, 'n'});
    units.insert(units.end(), XML_STREAM_MAX_DEPTH + 1, 'E');
    EXPECT_EQ(Read(Bytes(units)), nullptr);
    EXPECT_FALSE(SkipsChildren(Bytes(units)));
    EXPECT_TRUE(SkipsChildren(Bytes(TUnits(units.begin() + 3, units.end() - 1))));
}

} // namespace
