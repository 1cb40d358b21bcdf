#include "CodecXml.h"

#include <wx/xml/xml.h>

namespace NSCodecXml {

void WriteNumber(wxXmlNode* pNode, const wxString& pName, long pValue) {
    pNode->AddAttribute(pName, wxString::Format(L"%ld", pValue));
}

bool ReadNumber(const wxXmlNode* pNode, const wxString& pName, long pMin, long pMax, long& pValue) {
    wxString text;
    if (!pNode || !pNode->GetAttribute(pName, &text))
        return false;
    // ToLong alone would take blanks and a plus sign.
    const wxString digits = text.StartsWith(L"-") ? text.Mid(1) : text;
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != wxString::npos)
        return false;
    long value = 0;
    if (!text.ToLong(&value, 10) || value < pMin || value > pMax)
        return false;
    pValue = value;
    return true;
}

} // namespace NSCodecXml
