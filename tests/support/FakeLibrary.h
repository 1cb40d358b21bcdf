// The host's media library for tests, benchmarks and fuzz targets, installed while it lives:
// entries over media files (opened once, when added) or offline, each with a prefix and a
// file name, that log the rows attaching and detaching. Header only.
#pragma once

#include "DLL/Row/Library.h"
#include "REDarodo/Media.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class TFakeLibraryMedia : public IZVLibraryMedia {
public:
    void AttachRow(TZVMediaSourceRow* pRow) override {
        aRows.insert(pRow);
        aLog += "attach ";
    }
    void DetachRow(TZVMediaSourceRow* pRow) override {
        aRows.erase(pRow);
        aLog += "detach ";
    }
    TZVMedia* GetMedia() const override { return aMedia.get(); }
    const TZVMediaInfo& GetMediaInfo() const override { return aInfo; }

    // The text of the entry's "media" element.
    wxString Text() const {
        return aInfo.aPrefix.empty() ? aInfo.aFileName.GetFullPath()
                                     : aInfo.aPrefix + aInfo.aFileName.GetFullName();
    }

    std::unique_ptr<TZVMedia> aMedia;
    TZVMediaInfo aInfo;
    std::set<TZVMediaSourceRow*> aRows;
    std::string aLog;
};

class TFakeLibrary : public IZVLibrary {
public:
    TFakeLibrary() : aPrevious(theLibrary) { theLibrary = this; }
    ~TFakeLibrary() override { theLibrary = aPrevious; }
    TFakeLibrary(const TFakeLibrary&) = delete;
    TFakeLibrary& operator=(const TFakeLibrary&) = delete;

    // A new entry for pPath under pPrefix; returns its index.
    int Add(const wxString& pPath, const wxString& pPrefix = wxString(), bool pOffline = false) {
        aEntries.push_back(std::make_unique<TFakeLibraryMedia>());
        aEntries.back()->aInfo = {pPrefix, wxFileName(pPath)};
        wxString reason;
        if (!pOffline)
            aEntries.back()->aMedia.reset(TZVMedia::Open(pPath, &reason));
        return int(aEntries.size()) - 1;
    }
    TFakeLibraryMedia& Entry(int pIndex) { return *aEntries[size_t(pIndex)]; }

    IZVLibraryMedia* GetMedia(int pIndex) const override {
        return pIndex >= 0 && size_t(pIndex) < aEntries.size() ? aEntries[size_t(pIndex)].get()
                                                               : nullptr;
    }
    int FindMedia(const wxString& pText) const override {
        for (size_t i = 0; i < aEntries.size(); ++i)
            if (aEntries[i]->Text() == pText)
                return int(i);
        return -1;
    }

private:
    std::vector<std::unique_ptr<TFakeLibraryMedia>> aEntries;
    IZVLibrary* const aPrevious;
};

// An example medium written at build time.
inline wxString ExampleMedia(const char* pName) {
    return wxString(ZV_EXAMPLE_MEDIA "/") + pName;
}
