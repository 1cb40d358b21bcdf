// Child placement in wxXmlNode trees. The module's stored forms are order-sensitive, and
// wxXmlNode's own placement differs by call (the parent-taking constructor puts the node
// first, InsertChildAfter refuses a null position when children exist): these helpers say
// where the node goes.
#pragma once

class wxXmlNode;

namespace NSXml {

// Makes pChild the last child of pParent.
void AppendChild(wxXmlNode* pParent, wxXmlNode* pChild);
// Makes pChild the first child of pParent.
void PrependChild(wxXmlNode* pParent, wxXmlNode* pChild);
// Puts pChild right after pAfter, a child of pParent; a null pAfter makes it the first child.
void InsertChildAfter(wxXmlNode* pParent, wxXmlNode* pChild, wxXmlNode* pAfter);

} // namespace NSXml
