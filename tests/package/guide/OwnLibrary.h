// A host's own media library, for an application that keeps its media elsewhere than the
// reference host's TZVMediaLibrary (host/MediaLibrary.cpp) does. The rows name a medium by the
// text of their "media" element: the library gives each text one entry, found again by the
// same text. A text is resolved against the project's folder, "\" separating as "/" does; the
// entry's TZVMediaInfo is what the row writes back on save: the prefix followed by the file's
// name, or without a prefix the file name's full path. Keeping the text's folder part as the
// prefix writes the text back as it was read; a project saved into another folder gets texts
// that resolve from there (SaveProject).
#pragma once

#include "DLL/Row/Library.h"
#include "REDarodo/Media.h"
#include "host/FileName.h"
#include "host/Host.h"
#include "host/ProjectFile.h"

#include <wx/filename.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

// pFolder as the system reaches it, its symbolic links followed: ".." in a text leads from
// there, not from the spelling of a link that reached it. As it is when it cannot be followed.
inline wxString RealFolder(const wxString& pFolder) {
    char* const real = realpath(TZVFileName::Bytes(pFolder).c_str(), nullptr);
    const wxString folder = real ? TZVFileName::Text(real) : pFolder;
    std::free(real);
    return folder;
}

class TOwnMedia : public IZVLibraryMedia {
public:
    TOwnMedia(const wxString& pText, const wxString& pFolder) {
        wxString path = pText;
        path.Replace(L"\\", L"/");
        aFile.Assign(path);
        aMovable = !pText.empty() && aFile.IsRelative();
        aFile.MakeAbsolute(pFolder);
        const size_t nameStart = path.find_last_of(L'/') + 1; // 0 without a folder part
        aRead.aPrefix = pText.substr(0, nameStart);
        aRead.aFileName = nameStart == 0 ? wxFileName(pText) : aFile;
        aInfo = aRead;
        // Offline (null) when the file does not open: its rows play nothing.
        if (!pText.empty())
            aMedia.reset(TZVMedia::Open(aFile.GetFullPath(), &aReason));
    }

    void AttachRow(TZVMediaSourceRow* pRow) override { aRows.insert(pRow); }
    void DetachRow(TZVMediaSourceRow* pRow) override { aRows.erase(pRow); }
    TZVMedia* GetMedia() const override { return aMedia.get(); }
    const TZVMediaInfo& GetMediaInfo() const override { return aInfo; }

    // The text is written for a project file in pFolder (absolute): a relative one as the path
    // from there to the file; for null, or an absolute or empty text, as it was read.
    void SaveInto(const wxString* pFolder) {
        aInfo = aRead;
        if (!pFolder || !aMovable)
            return;
        wxFileName path = aFile;
        path.MakeRelativeTo(*pFolder);
        aInfo.aPrefix = path.GetPath(wxPATH_GET_SEPARATOR, wxPATH_UNIX);
        aInfo.aFileName = aInfo.aPrefix.empty() ? wxFileName(path.GetFullName()) : aFile;
    }

    // The rows that play the entry, to be told when the host gives it another medium.
    std::set<TZVMediaSourceRow*> aRows;
    wxString aReason;

private:
    // The file the text names, absolute; whether the text was relative to the project's folder.
    wxFileName aFile;
    bool aMovable;
    // What the row writes back: the text as it was read, or as it resolves from elsewhere.
    TZVMediaInfo aRead;
    TZVMediaInfo aInfo;
    std::unique_ptr<TZVMedia> aMedia;
};

class TOwnLibrary : public IZVLibrary {
public:
    // Texts are resolved against pFolder, the project's folder, as the system reaches it.
    explicit TOwnLibrary(const wxString& pFolder) : aFolder(RealFolder(pFolder)) {}
    const wxString& GetFolder() const { return aFolder; }

    IZVLibraryMedia* GetMedia(int pIndex) const override {
        return pIndex >= 0 && size_t(pIndex) < aEntries.size() ? aEntries[size_t(pIndex)].get()
                                                               : nullptr;
    }
    // The rows ask through the const interface, and a text met first gets its entry then.
    int FindMedia(const wxString& pText) const override {
        const auto found = aIndex.find(pText);
        if (found != aIndex.end())
            return found->second;
        aEntries.push_back(std::make_unique<TOwnMedia>(pText, aFolder));
        return aIndex[pText] = int(aEntries.size() - 1);
    }
    // The texts are written for a project file in pFolder: as they were read when it is the
    // project's folder, else each relative one as the path from pFolder as the system reaches
    // it.
    void SaveInto(const wxString& pFolder) const {
        const wxString folder = RealFolder(pFolder);
        const bool own = wxFileName::DirName(folder).SameAs(wxFileName::DirName(aFolder));
        for (const std::unique_ptr<TOwnMedia>& entry : aEntries)
            entry->SaveInto(own ? nullptr : &folder);
    }

private:
    const wxString aFolder;
    mutable std::vector<std::unique_ptr<TOwnMedia>> aEntries;
    mutable std::unordered_map<wxString, int> aIndex;
};

// Saves pHost's project, whose rows play pLibrary, to pPath. TZVProjectFile::Save makes the texts
// of the reference library resolve from where the file goes, not those of a library of the
// host's own: pLibrary writes them for pPath's folder while the file is written.
inline void SaveProject(const wxString& pPath, const TZVHost& pHost, const TOwnLibrary& pLibrary) {
    wxFileName path(pPath);
    path.MakeAbsolute();
    // However the save ends, the texts are those of the project's own folder again.
    struct TRestore {
        ~TRestore() { aLibrary.SaveInto(aLibrary.GetFolder()); }
        const TOwnLibrary& aLibrary;
    } restore{pLibrary};
    pLibrary.SaveInto(path.GetPath());
    TZVProjectFile::Save(pPath, pHost);
}
