#include "DLL/Bas/RelativeFilename.h"

namespace {

const int DIR_FLAGS = wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR;

} // namespace

TRelativeFilename::~TRelativeFilename() = default;

bool TRelativeFilename::SetBaseDir(const wxString& pBase) {
    if (!IsOk())
        return false;
    wxFileName relative(*this);
    if (!relative.MakeRelativeTo(pBase, wxPATH_NATIVE) ||
        (relative.GetDirCount() > 0 && relative.GetDirs()[0] == L".."))
        return RemBaseDir();
    aRelativeDir = relative.GetPath(DIR_FLAGS);
    return true;
}

bool TRelativeFilename::RemBaseDir() {
    const bool had = !aRelativeDir.empty();
    aRelativeDir.clear();
    return had;
}

void TRelativeFilename::reverseBaseDir(const wxString& pBase) {
    if (!IsRelative()) {
        aRelativeDir.clear();
        return;
    }
    aRelativeDir = GetPath(DIR_FLAGS);
    Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_TILDE | wxPATH_NORM_ABSOLUTE, pBase);
}

void TRelativeFilename::SetRelativeFullPath(const wxString& pPath, const wxString& pBase) {
    Assign(pPath, wxPATH_NATIVE);
    reverseBaseDir(pBase);
}

wxString GetStandardFileDir(TStandardDirGetter pGetter) {
    return (wxStandardPaths::Get().*pGetter)();
}

wxString GetStandardFilePath(wxString pName, TStandardDirGetter pGetter) {
    wxFileName name;
    name.AssignDir(GetStandardFileDir(pGetter));
    name.SetFullName(pName);
    return name.GetFullPath(wxPATH_NATIVE);
}
