// Child placement in wxXmlNode trees, and the text of an element. The module's stored forms
// are order-sensitive, and wxXmlNode's own placement differs by call (the parent-taking
// constructor puts the node first, InsertChildAfter refuses a null position when children
// exist): these helpers say where the node goes.
#pragma once

#include <wx/string.h>

class wxXmlNode;

namespace NSXml {

// Whether pNode is a piece of an element's text: a text node or a CDATA section.
bool IsTextPiece(const wxXmlNode* pNode);
// The text of pElement: all its text and CDATA children, in document order (other children
// are skipped). wxXmlNode::GetNodeContent gives only the first piece, so a text written partly
// as CDATA would lose the rest.
wxString GetText(const wxXmlNode* pElement);

// Makes pChild the last child of pParent.
void AppendChild(wxXmlNode* pParent, wxXmlNode* pChild);
// Makes pChild the first child of pParent.
void PrependChild(wxXmlNode* pParent, wxXmlNode* pChild);
// Puts pChild right after pAfter, a child of pParent; a null pAfter makes it the first child.
void InsertChildAfter(wxXmlNode* pParent, wxXmlNode* pChild, wxXmlNode* pAfter);

// Appends children to one parent, each behind the one appended before, in constant time:
// AppendChild walks every child already there, so a list written with it takes time
// quadratic in its length. Children must not be added to the parent by other means while
// the appender is in use.
class TChildAppender {
public:
    // Appends after the children pParent already has (found once, here).
    explicit TChildAppender(wxXmlNode* pParent);
    // Makes pChild the parent's last child; returns it.
    wxXmlNode* Append(wxXmlNode* pChild);

private:
    wxXmlNode* aParent;
    wxXmlNode* aLast;
};

} // namespace NSXml
