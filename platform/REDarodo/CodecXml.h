// Decimal attributes of the "codec" elements, shared by the video and audio codec records.
#pragma once

#include <wx/string.h>

class wxXmlNode;

namespace NSCodecXml {

// Adds the attribute pName = pValue in decimal.
void WriteNumber(wxXmlNode* pNode, const wxString& pName, long pValue);
// Reads the attribute pName as a decimal from pMin to pMax (an optional minus sign and
// digits, nothing else). False, with pValue untouched, when it is absent or anything else.
bool ReadNumber(const wxXmlNode* pNode, const wxString& pName, long pMin, long pMax, long& pValue);

} // namespace NSCodecXml
