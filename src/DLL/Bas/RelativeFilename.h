// TRelativeFilename: a file name kept absolute, plus the file's directory relative to a
// base directory, for files stored under a project's folder. Also the builders of names in
// the platform's standard directories. The host uses these; the module does not.
#pragma once

#include <wx/filename.h>
#include <wx/stdpaths.h>

class TRelativeFilename : public wxFileName {
public:
    using wxFileName::wxFileName;
    virtual ~TRelativeFilename();

    // Computes aRelativeDir from pBase; the file name itself stays as it is. An empty file
    // name gives false and changes nothing. A file outside pBase (or one that cannot be
    // made relative) loses its relative directory: true when there was one to drop.
    // Otherwise true.
    virtual bool SetBaseDir(const wxString& pBase);
    // Drops the relative directory; true when there was one.
    virtual bool RemBaseDir();

    // For a name read in relative form: remembers its directory in aRelativeDir and makes
    // the name absolute against pBase. An absolute name only drops its relative directory.
    void reverseBaseDir(const wxString& pBase);
    // Takes pPath (native form), then reverseBaseDir(pBase).
    void SetRelativeFullPath(const wxString& pPath, const wxString& pBase);

    // The file's directory relative to the base directory, with its volume and a trailing
    // separator; empty when none is known.
    wxString aRelativeDir;
};

// A getter of a standard directory, such as &wxStandardPathsBase::GetUserDataDir.
typedef wxString (wxStandardPathsBase::*TStandardDirGetter)() const;

// The directory that pGetter gives for this application.
wxString GetStandardFileDir(TStandardDirGetter pGetter);
// The full path of the file pName in the directory that pGetter gives.
wxString GetStandardFilePath(wxString pName, TStandardDirGetter pGetter);
