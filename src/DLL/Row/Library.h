// IZVLibrary: the host's media library, as the media source rows see it. Each entry holds one
// medium and knows the rows that play it.
#pragma once

#include <wx/filename.h>
#include <wx/string.h>

class TZVMedia;
class TZVMediaSourceRow;

// Where an entry's medium lives: a file, or a file under a prefix the host resolves (a
// folder of the project, for example).
struct TZVMediaInfo {
    // Empty for a plain file path.
    wxString aPrefix;
    wxFileName aFileName;
};

class IZVLibraryMedia {
public:
    // The row plays the entry from now on; the entry may keep the pointer until DetachRow.
    virtual void AttachRow(TZVMediaSourceRow* pRow) = 0;
    // The row no longer plays the entry (it changes medium or dies).
    virtual void DetachRow(TZVMediaSourceRow* pRow) = 0;
    // The medium; null while it is offline. Owned by the entry.
    virtual TZVMedia* GetMedia() const = 0;
    virtual const TZVMediaInfo& GetMediaInfo() const = 0;

protected:
    // The host owns its entries.
    virtual ~IZVLibraryMedia();
};

class IZVLibrary {
public:
    // The entry at pIndex (0 or more), or null when there is none.
    virtual IZVLibraryMedia* GetMedia(int pIndex) const = 0;
    // The index of the entry that the text of a "media" element names; negative when none.
    virtual int FindMedia(const wxString& pText) const = 0;

    // Installed by the host before any media row is made or read.
    static IZVLibrary* theLibrary;

protected:
    virtual ~IZVLibrary();
};
