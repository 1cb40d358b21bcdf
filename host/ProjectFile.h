// TZVProjectFile: the reference host's project file, a "project" element holding the media
// format ("format"), the root mixer ("mixer") and, when there are any, the parameter graph
// slots ("graph-list") and the colours off the default palette ("color-list"), read into a
// wxXmlDocument by TZVProjectReader and written through wxXmlDocument.
#pragma once

#include <wx/string.h>

#include <memory>
#include <string>

class TZVHost;
class TZVPartFile;
class wxXmlDocument;

class TZVProjectFile {
public:
    // The deepest an element may lie: deeper files are refused before any row is built, as
    // freeing or reading them would recurse once per level.
    static const int MAX_DEPTH = 1000;

    // Loads the project at pPath into pHost, replacing the one it had: the format, a media
    // library over the project's folder and the root row, its formulas bound in pHost's own
    // project; pHost is then the current document, whichever was. Formula errors are printed
    // to the host's messages and the load goes on. Throws TError with the reason (empty when
    // the user refused a changed medium); pHost then keeps the project it had, with its
    // format, library and history, and the current document stays as it was; so it does
    // when memory runs out, which throws std::bad_alloc. pOffline opens no medium.
    static void Load(const wxString& pPath, TZVHost& pHost, bool pOffline = false);
    // Writes pHost's project to pPath, complete or not at all, its media texts made to resolve
    // from pPath's folder when its library is the one Load made (TZVMediaLibrary::TSaveFolder);
    // throws TError on failure. The project, its media and the graph slots that hold its rows
    // are written only while pHost has a project and is the current document with the library
    // its rows play: otherwise TError, before pPath is opened.
    static void Save(const wxString& pPath, const TZVHost& pHost);
    // The same, into pFile, opened for pPath beforehand (failed or not).
    static void Save(TZVPartFile& pFile, const wxString& pPath, const TZVHost& pHost);
    // The text Save writes into the project's own folder: the media texts as they were read.
    // Throws TError, as Save does, unless pHost has a project and is the current document, and
    // where a media text holds a name that is not UTF-8, which no project file can hold.
    static std::string SaveText(const TZVHost& pHost);

    // Reads the XML document at pPath (TZVProjectReader::Read), refusing one nested deeper than
    // MAX_DEPTH and one with an entity whose text would be lost; throws TError with the
    // parser's message or the reason.
    static std::unique_ptr<wxXmlDocument> ReadDocument(const wxString& pPath);

private:
    // Throws TError unless pHost has a project and is the current document.
    static void CheckSavable(const TZVHost& pHost);
};
