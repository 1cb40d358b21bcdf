#include "MediaLibrary.h"

#include "DLL/Bas/RelativeFilename.h"
#include "FileName.h"
#include "FilePath.h"
#include "REDarodo/Media.h"

#include <wx/log.h>

#include <utility>

namespace {

// Where the file name of a text starts: after its last separator, "/" or "\"; 0 without one.
size_t NameStart(const wxString& pText) {
    const size_t separator = pText.find_last_of(L"/\\");
    return separator == wxString::npos ? 0 : separator + 1;
}

} // namespace

TZVLibraryEntry::TZVLibraryEntry(const wxString& pText, const wxFileName& pFolder, bool pOffline,
                                 std::ostream& pMessages, bool pQuiet)
    : aText(pText), aFolder(pFolder) {
    wxString reason = pText.empty() ? L"no file named" : L"not opened";
    if (!pText.empty() && !pOffline)
        aMedia.reset(TZVMedia::Open(resolvedFile().GetFullPath(), &reason));
    if (!aMedia && !pQuiet)
        pMessages << "medium \"" << TZVFileName::ShownText(pText)
                  << "\" is offline: " << TZVFileName::ShownText(reason) << "\n";
}

TZVLibraryEntry::~TZVLibraryEntry() = default;

void TZVLibraryEntry::PrintProblems(std::ostream& pMessages) const {
    if (!aMedia)
        return;
    for (const TZVMediaProblem& problem : aMedia->GetProblems()) {
        pMessages << "medium \"" << TZVFileName::ShownText(aText) << "\": " << problem.aCount;
        if (problem.aText.empty())
            pMessages << (problem.aCount == 1 ? " other message" : " other messages");
        else
            pMessages << (problem.aCount == 1 ? " message \"" : " messages like \"")
                      << problem.aText.utf8_string() << "\"";
        pMessages << "\n";
    }
}

const TZVMediaInfo& TZVLibraryEntry::GetMediaInfo() const {
    if (aSavedInfo)
        return *aSavedInfo;
    if (!aInfo) {
        const size_t nameStart = NameStart(aText);
        // Without a directory part the text is written back as the file name's full path: it
        // stays the text itself.
        aInfo = TZVMediaInfo{aText.substr(0, nameStart),
                             nameStart == 0 ? wxFileName(aText) : resolvedFile()};
    }
    return *aInfo;
}

void TZVLibraryEntry::SaveInto(const wxString* pFolder) const {
    aSavedInfo.reset();
    if (pFolder)
        aSavedInfo = infoFor(*pFolder);
}

TZVMediaInfo TZVLibraryEntry::infoFor(const wxString& pFolder) const {
    const size_t nameStart = NameStart(aText);
    wxString part = aText.substr(0, nameStart);
    part.Replace(L"\\", L"/");
    if (aText.empty() || !wxFileName(part).IsRelative())
        return GetMediaInfo();
    // The file as the text named it, whatever the working folder is when it is read again.
    TRelativeFilename file;
    file.Assign(resolvedFile());
    file.MakeAbsolute();
    // Both paths are absolute, yet wxWidgets reads the current folder for them, which it
    // cannot where its path is long: its complaint is no concern of the user's.
    const bool related = [&file, &pFolder] {
        const wxLogNull quiet;
        return file.SetBaseDir(pFolder);
    }();
    if (!related)
        return TZVMediaInfo{wxString(), file};
    // Beside the project file, the text is the file's name alone, written as its full path.
    if (file.aRelativeDir.empty())
        return TZVMediaInfo{wxString(), wxFileName(file.GetFullName())};
    return TZVMediaInfo{file.aRelativeDir, file};
}

wxString TZVLibraryEntry::GetPath() const {
    return aText.empty() ? wxString() : resolvedFile().GetFullPath();
}

wxFileName TZVLibraryEntry::resolvedFile() const {
    wxFileName file = aFolder;
    file.SetFullName(aText.substr(NameStart(aText)));
    return file;
}

TZVMediaLibrary::TZVMediaLibrary(const wxString& pFolder, bool pOffline, std::ostream& pMessages,
                                 bool pQuiet)
    : aFolder(TZVFileName::Text(TZVFilePath::Absolute(TZVFileName::Bytes(pFolder)))),
      aOffline(pOffline), aMessages(&pMessages), aQuiet(pQuiet) {
    theLibrary = this;
}

TZVMediaLibrary::~TZVMediaLibrary() {
    if (!aQuiet)
        for (const std::unique_ptr<TZVLibraryEntry>& entry : aEntries)
            entry->PrintProblems(*aMessages);
    // The library found when this one was made may be gone.
    if (theLibrary == this)
        theLibrary = nullptr;
}

TZVLibraryEntry* TZVMediaLibrary::GetMedia(int pIndex) const {
    return pIndex >= 0 && size_t(pIndex) < aEntries.size() ? aEntries[size_t(pIndex)].get()
                                                           : nullptr;
}

int TZVMediaLibrary::FindMedia(const wxString& pText) const {
    const auto found = aIndex.find(pText);
    if (found != aIndex.end())
        return found->second;
    aEntries.push_back(std::make_unique<TZVLibraryEntry>(
        pText, Directory(pText.substr(0, NameStart(pText))), aOffline, *aMessages, aQuiet));
    aIndex.emplace(pText, int(aEntries.size() - 1));
    return int(aEntries.size() - 1);
}

void TZVMediaLibrary::Swap(TZVMediaLibrary& pOther) {
    std::swap(aFolder, pOther.aFolder);
    std::swap(aOffline, pOther.aOffline);
    std::swap(aMessages, pOther.aMessages);
    std::swap(aQuiet, pOther.aQuiet);
    // Swapped containers keep their elements in place: the entries' folders stay valid.
    aDirectories.swap(pOther.aDirectories);
    aEntries.swap(pOther.aEntries);
    aIndex.swap(pOther.aIndex);
}

std::vector<std::string> TZVMediaLibrary::GetPaths() const {
    std::vector<std::string> paths;
    for (const std::unique_ptr<TZVLibraryEntry>& entry : aEntries)
        if (!entry->GetPath().empty())
            paths.push_back(TZVFileName::Bytes(entry->GetPath()));
    return paths;
}

const wxFileName& TZVMediaLibrary::Directory(const wxString& pPart) const {
    auto found = aDirectories.find(pPart);
    if (found == aDirectories.end()) {
        wxString path = pPart;
        path.Replace(L"\\", L"/");
        wxFileName name(path);
        if (name.IsRelative())
            name.MakeAbsolute(aFolder);
        found = aDirectories.emplace(pPart, name).first;
    }
    return found->second;
}

TZVMediaLibrary::TSaveFolder::TSaveFolder(const TZVMediaLibrary* pLibrary, const wxString& pFolder)
    : aLibrary(pLibrary) {
    if (!aLibrary)
        return;
    // Against the current folder as read here: wxWidgets cannot read a long one.
    const wxString current = TZVFileName::Text(TZVFilePath::CurrentFolder());
    wxFileName folder = wxFileName::DirName(pFolder), own = wxFileName::DirName(aLibrary->aFolder);
    folder.MakeAbsolute(current);
    own.MakeAbsolute(current);
    const wxString path = folder.GetPath();
    for (const std::unique_ptr<TZVLibraryEntry>& entry : aLibrary->aEntries)
        entry->SaveInto(path == own.GetPath() ? nullptr : &path);
}

TZVMediaLibrary::TSaveFolder::~TSaveFolder() {
    if (aLibrary)
        for (const std::unique_ptr<TZVLibraryEntry>& entry : aLibrary->aEntries)
            entry->SaveInto(nullptr);
}
