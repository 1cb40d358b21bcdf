#include "ALL/XmlTree.h"

#include <wx/xml/xml.h>

namespace NSXml {

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

} // namespace NSXml
