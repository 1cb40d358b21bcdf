// A host's own media library, for an application that keeps its media elsewhere than the
// reference host's TZVMediaLibrary (host/MediaLibrary.cpp) does. The rows name a medium by the
// text of their "media" element: the library gives each text one entry, found again by the
// same text. A text is resolved against the project's folder, "\" separating as "/" does; the
// entry's TZVMediaInfo is what the row writes back on save: the prefix followed by the file's
// name, or without a prefix the file name's full path. Keeping the text's folder part as the
// prefix writes the text back as it was read.
#pragma once

#include "DLL/Row/Library.h"
#include "REDarodo/Media.h"

#include <wx/filename.h>

#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

class TOwnMedia : public IZVLibraryMedia {
public:
    TOwnMedia(const wxString& pText, const wxString& pFolder) {
        wxString path = pText;
        path.Replace(L"\\", L"/");
        wxFileName file(path);
        file.MakeAbsolute(pFolder);
        const size_t nameStart = path.find_last_of(L'/') + 1; // 0 without a folder part
        aInfo.aPrefix = pText.substr(0, nameStart);
        aInfo.aFileName = nameStart == 0 ? wxFileName(pText) : file;
        // Offline (null) when the file does not open: its rows play nothing.
        if (!pText.empty())
            aMedia.reset(TZVMedia::Open(file.GetFullPath(), &aReason));
    }

    void AttachRow(TZVMediaSourceRow* pRow) override { aRows.insert(pRow); }
    void DetachRow(TZVMediaSourceRow* pRow) override { aRows.erase(pRow); }
    TZVMedia* GetMedia() const override { return aMedia.get(); }
    const TZVMediaInfo& GetMediaInfo() const override { return aInfo; }

    // The rows that play the entry, to be told when the host gives it another medium.
    std::set<TZVMediaSourceRow*> aRows;
    wxString aReason;

private:
    TZVMediaInfo aInfo;
    std::unique_ptr<TZVMedia> aMedia;
};

class TOwnLibrary : public IZVLibrary {
public:
    // Texts are resolved against pFolder, the project's folder.
    explicit TOwnLibrary(const wxString& pFolder) : aFolder(pFolder) {}

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

private:
    const wxString aFolder;
    mutable std::vector<std::unique_ptr<TOwnMedia>> aEntries;
    mutable std::unordered_map<wxString, int> aIndex;
};
