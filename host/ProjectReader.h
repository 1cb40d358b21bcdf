// TZVProjectReader: reads a project file's XML document in one pass of Expat, straight into
// the wxXmlNode tree that wxXmlDocument's loader would build with its default flags (text
// pieces that are only blanks, before any other of their text, dropped; CDATA sections, comments
// and processing instructions as nodes of their own), in time linear in the file's size.
#pragma once

#include <wx/string.h>

#include <memory>
#include <string>
#include <vector>

class wxXmlDocument;

class TZVProjectReader {
public:
    // Reads the document at pPath, a regular file or anything else read to its end (a FIFO,
    // a pipe, /dev/stdin). Throws TError with the reason: the parser's message ("XML parsing
    // error: 'unclosed token' at line 69"), an entity other than the predefined ones and
    // character references (declared, a parameter entity or behind an external document type
    // definition: the text it stands for would be lost), an encoding this system cannot read
    // or bytes that are not of the file's encoding, or elements nested deeper than pMaxDepth.
    // The bytes are parsed as they are read, so that the file's first fault, however the reads
    // cut it, ends the read where it stands; memory that runs out throws std::bad_alloc.
    static std::unique_ptr<wxXmlDocument> Read(const wxString& pPath, int pMaxDepth);
    // The same, of the bytes of a whole file.
    static std::unique_ptr<wxXmlDocument> Parse(const std::string& pBytes, int pMaxDepth);
    // The same, of a file's bytes as they came, in pPieces: the same document however they
    // are cut.
    static std::unique_ptr<wxXmlDocument> Parse(const std::vector<std::string>& pPieces,
                                                int pMaxDepth);
};
