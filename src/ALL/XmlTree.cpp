#include "ALL/XmlTree.h"

#include <wx/xml/xml.h>

namespace NSXml {

bool IsTextPiece(const wxXmlNode* pNode) {
    return pNode->GetType() == wxXML_TEXT_NODE || pNode->GetType() == wxXML_CDATA_SECTION_NODE;
}

wxString GetText(const wxXmlNode* pElement) {
    wxString text;
    for (const wxXmlNode* child = pElement->GetChildren(); child; child = child->GetNext())
        if (IsTextPiece(child))
            text += child->GetContent();
    return text;
}

void AppendChild(wxXmlNode* pParent, wxXmlNode* pChild) {
    pParent->AddChild(pChild);
}

void PrependChild(wxXmlNode* pParent, wxXmlNode* pChild) {
    if (pParent->GetChildren())
        pParent->InsertChild(pChild, pParent->GetChildren());
    else
        pParent->AddChild(pChild);
}

void InsertChildAfter(wxXmlNode* pParent, wxXmlNode* pChild, wxXmlNode* pAfter) {
    if (pAfter)
        pParent->InsertChildAfter(pChild, pAfter);
    else
        PrependChild(pParent, pChild);
}

TChildAppender::TChildAppender(wxXmlNode* pParent) : aParent(pParent), aLast(nullptr) {
    for (wxXmlNode* child = pParent->GetChildren(); child; child = child->GetNext())
        aLast = child;
}

wxXmlNode* TChildAppender::Append(wxXmlNode* pChild) {
    InsertChildAfter(aParent, pChild, aLast);
    aLast = pChild;
    return pChild;
}

} // namespace NSXml
