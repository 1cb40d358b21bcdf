#include "MediaLibrary.h"

#include "REDarodo/Media.h"

namespace {

// The position of the text's last separator, "/" or "\"; npos without one.
size_t LastSeparator(const wxString& pText) {
    const size_t slash = pText.rfind(L'/');
    const size_t backslash = pText.rfind(L'\\');
    if (slash == wxString::npos)
        return backslash;
    return backslash == wxString::npos ? slash : std::max(slash, backslash);
}

} // namespace

TZVLibraryEntry::TZVLibraryEntry(const wxString& pText, const wxString& pPath, bool pOffline,
                                 std::ostream& pMessages) {
    const size_t separator = LastSeparator(pText);
    if (separator == wxString::npos) {
        // Written back as the file name's full path, which is the text itself.
        aInfo.aFileName = wxFileName(pText);
    } else {
        aInfo.aPrefix = pText.substr(0, separator + 1);
        aInfo.aFileName = wxFileName(wxFileName(pPath).GetPath(), pText.substr(separator + 1));
    }
    wxString reason = pText.empty() ? L"no file named" : L"not opened";
    if (!pText.empty() && !pOffline)
        aMedia.reset(TZVMedia::Open(pPath, &reason));
    if (!aMedia)
        pMessages << "medium \"" << pText.utf8_string() << "\" is offline: "
                  << reason.utf8_string() << "\n";
}

TZVLibraryEntry::~TZVLibraryEntry() = default;

TZVMediaLibrary::TZVMediaLibrary(const wxString& pFolder, bool pOffline, std::ostream& pMessages)
    : aFolder(pFolder), aOffline(pOffline), aMessages(pMessages), aPrevious(theLibrary) {
    theLibrary = this;
}

TZVMediaLibrary::~TZVMediaLibrary() {
    theLibrary = aPrevious;
}

IZVLibraryMedia* TZVMediaLibrary::GetMedia(int pIndex) const {
    return pIndex >= 0 && size_t(pIndex) < aEntries.size() ? aEntries[size_t(pIndex)].get()
                                                           : nullptr;
}

int TZVMediaLibrary::FindMedia(const wxString& pText) const {
    const auto found = aIndex.find(pText);
    if (found != aIndex.end())
        return found->second;
    aEntries.push_back(
        std::make_unique<TZVLibraryEntry>(pText, Resolve(pText, aFolder), aOffline, aMessages));
    aIndex.emplace(pText, int(aEntries.size() - 1));
    return int(aEntries.size() - 1);
}

wxString TZVMediaLibrary::Resolve(const wxString& pText, const wxString& pFolder) {
    wxString path = pText;
    path.Replace(L"\\", L"/");
    wxFileName name(path);
    if (name.IsRelative())
        name.MakeAbsolute(pFolder);
    return name.GetFullPath();
}
