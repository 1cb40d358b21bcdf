// Written XML of a node, for exact comparisons of stored forms in tests.
#pragma once

#include "support/WxPrint.h"

#include <wx/string.h>

class wxXmlNode;

// The node and its subtree as wxXmlDocument writes them, without the XML declaration and
// without indentation.
wxString XmlText(const wxXmlNode& pNode);
// Parses one element from text (default load flags); the caller owns the result.
wxXmlNode* ParseXml(const wxString& pText);
