#include "support/XmlText.h"

#include <wx/sstream.h>
#include <wx/xml/xml.h>

wxString XmlText(const wxXmlNode& pNode) {
    wxXmlDocument document;
    document.SetRoot(new wxXmlNode(pNode));
    wxStringOutputStream stream;
    document.Save(stream, wxXML_NO_INDENTATION);
    wxString text = stream.GetString();
    text = text.AfterFirst(wxT('>'));
    text.Trim(false);
    return text.Trim();
}

wxXmlNode* ParseXml(const wxString& pText) {
    wxStringInputStream stream(pText);
    wxXmlDocument document;
    if (!document.Load(stream))
        return nullptr;
    return document.DetachRoot();
}
