// TZVMediaLibrary: the host's media library. Each "media" text of a project gets one entry,
// found again by the same text; the text is resolved against the project's folder (its
// directory part, where "\" also separates, becomes the entry's prefix, so that the text is
// written back as it was read; a project saved into another folder gets texts that resolve
// from there). A file that cannot be opened leaves its entry offline: the reason is printed
// once, unless quiet, and the rows that name it play nothing. What the media reported while
// they were read is printed when the library goes, one line per medium and kind of problem.
// Made, the library installs itself as the module's library; gone, it is no longer the
// module's library (libraries, like the hosts that hold them, go in any order). A host keeps
// one library object and gives it each project's media (Swap).
#pragma once

#include "DLL/Row/Library.h"

#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class TZVLibraryEntry : public IZVLibraryMedia {
public:
    // The entry of pText, whose directory part names pFolder (which outlives the entry),
    // opened unless pOffline; an offline one prints its reason to pMessages unless pQuiet.
    TZVLibraryEntry(const wxString& pText, const wxFileName& pFolder, bool pOffline,
                    std::ostream& pMessages, bool pQuiet);
    ~TZVLibraryEntry() override;

    void AttachRow(TZVMediaSourceRow* pRow) override { aRows.insert(pRow); }
    void DetachRow(TZVMediaSourceRow* pRow) override { aRows.erase(pRow); }
    TZVMedia* GetMedia() const override { return aMedia.get(); }
    // The text of the "media" elements that name it.
    const wxString& GetText() const { return aText; }
    // The file the text names; empty for an empty text.
    wxString GetPath() const;
    const TZVMediaInfo& GetMediaInfo() const override;
    // Prints what the medium reported while it was read, one line per kind of problem: how
    // many messages of the kind came, and the first one.
    void PrintProblems(std::ostream& pMessages) const;
    // Makes GetMediaInfo give the text for a project file in pFolder (absolute), or, for
    // null, the text as it was read: see TZVMediaLibrary::TSaveFolder.
    void SaveInto(const wxString* pFolder) const;

    // The rows that play the entry.
    std::set<TZVMediaSourceRow*> aRows;

private:
    // The file the text names, in its folder.
    wxFileName resolvedFile() const;
    // The record of the text for a project file in pFolder.
    TZVMediaInfo infoFor(const wxString& pFolder) const;

    const wxString aText;
    const wxFileName& aFolder;
    // Made when first asked for: rows are read without it, and each would copy its folder.
    mutable std::optional<TZVMediaInfo> aInfo;
    // While a project is saved into another folder, the record written there.
    mutable std::optional<TZVMediaInfo> aSavedInfo;
    std::unique_ptr<TZVMedia> aMedia;
};

class TZVMediaLibrary : public IZVLibrary {
public:
    // Texts are resolved against pFolder (made absolute against the current folder as it is
    // now); offline media are reported to pMessages. pOffline opens no file: every entry is
    // offline (for projects from untrusted sources). pQuiet: neither offline media nor what
    // the media reported are printed.
    TZVMediaLibrary(const wxString& pFolder, bool pOffline, std::ostream& pMessages,
                    bool pQuiet = false);
    // Prints what each medium reported, unless quiet; the module's library is none when it
    // was this one. The rows must be gone.
    ~TZVMediaLibrary() override;
    TZVMediaLibrary(const TZVMediaLibrary&) = delete;
    TZVMediaLibrary& operator=(const TZVMediaLibrary&) = delete;

    TZVLibraryEntry* GetMedia(int pIndex) const override;
    // Never negative: a text met for the first time gets a new entry, online or not.
    int FindMedia(const wxString& pText) const override;
    // The file each named entry's text resolves to, online or not.
    std::vector<std::string> GetPaths() const;
    // Exchanges the folders, settings and entries of the two libraries; the entries and the
    // folders they name stay where they are, and rows keep their indices into the entries.
    void Swap(TZVMediaLibrary& pOther);

    // While it lives, the texts are written for a project file saved into pFolder: as they
    // were read when it is the library's own folder (byte for byte the same file), else so
    // that each resolves from pFolder: a relative text as the path from pFolder where the
    // file lies under it, as the file's absolute path otherwise; absolute and empty texts
    // stay. Offline entries too. The texts the entries are found by do not change.
    class TSaveFolder {
    public:
        // pLibrary may be null (no project).
        TSaveFolder(const TZVMediaLibrary* pLibrary, const wxString& pFolder);
        ~TSaveFolder();
        TSaveFolder(const TSaveFolder&) = delete;
        TSaveFolder& operator=(const TSaveFolder&) = delete;

    private:
        const TZVMediaLibrary* const aLibrary;
    };

private:
    // The folder a text's directory part (up to its last separator) names, resolved against
    // aFolder once per part: media mostly share a few folders, and resolving is costly.
    const wxFileName& Directory(const wxString& pPart) const;

    wxString aFolder;
    bool aOffline;
    std::ostream* aMessages;
    bool aQuiet;
    // Entries are made when the rows ask for them, through the const interface. Declared
    // first, the folders are freed after the entries that name them.
    mutable std::unordered_map<wxString, wxFileName> aDirectories;
    mutable std::vector<std::unique_ptr<TZVLibraryEntry>> aEntries;
    mutable std::unordered_map<wxString, int> aIndex;
};
