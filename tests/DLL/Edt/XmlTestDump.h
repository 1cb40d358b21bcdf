// A one-line image of a wxXmlNode tree for exact comparisons in tests: elements with their
// attributes in order, texts, CDATA sections and comments.
#pragma once

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <string>

inline std::string DumpXml(const wxXmlNode* pNode) {
    if (!pNode)
        return "(null)";
    switch (pNode->GetType()) {
    case wxXML_TEXT_NODE:
        return pNode->GetContent().utf8_string();
    case wxXML_CDATA_SECTION_NODE:
        return "<![CDATA[" + pNode->GetContent().utf8_string() + "]]>";
    case wxXML_COMMENT_NODE:
        return "<!--" + pNode->GetContent().utf8_string() + "-->";
    default:
        break;
    }
    std::string image = "<" + pNode->GetName().utf8_string();
    for (const wxXmlAttribute* attribute = pNode->GetAttributes(); attribute;
         attribute = attribute->GetNext())
        image += " " + attribute->GetName().utf8_string() + "='" +
                 attribute->GetValue().utf8_string() + "'";
    if (!pNode->GetChildren())
        return image + "/>";
    image += ">";
    for (const wxXmlNode* child = pNode->GetChildren(); child; child = child->GetNext())
        image += DumpXml(child);
    return image + "</" + pNode->GetName().utf8_string() + ">";
}

// Parses an XML text as the module's projects are loaded.
inline wxXmlNode* ParseTestXml(const std::string& pText) {
    wxXmlDocument document;
    wxMemoryInputStream input(pText.data(), pText.size());
    if (!document.Load(input))
        return nullptr;
    return document.DetachRoot();
}
