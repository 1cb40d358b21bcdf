#include "ALL/XmlTree.h"

#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

wxXmlNode* Element(const wchar_t* pName) {
    return new wxXmlNode(wxXML_ELEMENT_NODE, pName);
}

} // namespace

TEST(ChildAppender, AppendsBehindTheChildrenThereAndEachOneBefore) {
    const std::unique_ptr<wxXmlNode> parent(ParseXml(L"<l><a/><b/></l>"));
    NSXml::TChildAppender children(parent.get());
    wxXmlNode* c = Element(L"c");
    EXPECT_EQ(children.Append(c), c);
    children.Append(Element(L"d"))->AddAttribute(L"n", L"1");
    children.Append(Element(L"e"));
    EXPECT_EQ(XmlText(*parent), L"<l><a/><b/><c/><d n=\"1\"/><e/></l>");
    EXPECT_EQ(c->GetParent(), parent.get());
    // The list stays whole: a plain append afterwards lands at its end.
    NSXml::AppendChild(parent.get(), Element(L"f"));
    EXPECT_EQ(XmlText(*parent), L"<l><a/><b/><c/><d n=\"1\"/><e/><f/></l>");
}

TEST(ChildAppender, FillsAnEmptyParentInOrder) {
    wxXmlNode parent(wxXML_ELEMENT_NODE, L"l");
    NSXml::TChildAppender children(&parent);
    for (const wchar_t* name : {L"a", L"b", L"c"})
        children.Append(Element(name));
    EXPECT_EQ(XmlText(parent), L"<l><a/><b/><c/></l>");
    EXPECT_EQ(parent.GetChildren()->GetNext()->GetNext()->GetParent(), &parent);
}

TEST(XmlText, IsEveryTextAndCdataPieceInOrder) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"<v/>", L""},
        {L"<v>a</v>", L"a"},
        {L"<v><![CDATA[a<b]]></v>", L"a<b"},
        {L"<v>100 - <![CDATA[2 * image]]></v>", L"100 - 2 * image"},
        {L"<v>1<![CDATA[0]]>0 - <![CDATA[2]]> * x</v>", L"100 - 2 * x"},
        // Elements and comments are not text, nor is what lies inside them.
        {L"<v>a<!-- b --><e>c</e>d</v>", L"ad"},
        {L"<v>&lt;&#60;&amp;</v>", L"<<&"}};
    for (const auto& [xml, text] : cases) {
        const std::unique_ptr<wxXmlNode> element(ParseXml(xml));
        EXPECT_EQ(NSXml::GetText(element.get()), text) << xml;
    }
}
