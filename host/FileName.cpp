#include "FileName.h"

#include "FilePath.h"

#include <wx/filename.h>
#include <wx/strconv.h>

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// UTF-8 that keeps each byte it cannot decode, and gives it back.
wxMBConvUTF8& Conversion() {
    static wxMBConvUTF8 theConversion(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
    return theConversion;
}

// The length of the UTF-8 character at pAt (of pLeft bytes), or 0 when it is none: a shortest
// form of a code point up to U+10FFFF that is no surrogate.
size_t CharacterLength(const unsigned char* pAt, size_t pLeft) {
    const unsigned first = pAt[0];
    const size_t length = first < 0x80   ? 1
                          : first < 0xC2 ? 0
                          : first < 0xE0 ? 2
                          : first < 0xF0 ? 3
                          : first < 0xF5 ? 4
                                         : 0;
    if (length == 0 || length > pLeft)
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((pAt[i] & 0xC0) != 0x80)
            return 0;
    const unsigned second = pAt[1];
    if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second >= 0xA0) ||
        (first == 0xF0 && second < 0x90) || (first == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

} // namespace

wxString TZVFileName::Text(const std::string& pBytes) {
    return wxString(pBytes.data(), Conversion(), pBytes.size());
}

std::string TZVFileName::Bytes(const wxString& pText) {
    const wxCharBuffer bytes = pText.mb_str(Conversion());
    return std::string(bytes.data(), bytes.length());
}

std::string TZVFileName::Shown(const std::string& pText) {
    std::string shown;
    const unsigned char* const at = reinterpret_cast<const unsigned char*>(pText.data());
    for (size_t i = 0; i < pText.size();) {
        const size_t length = CharacterLength(at + i, pText.size() - i);
        if (length > 0) {
            shown.append(pText, i, length);
            i += length;
            continue;
        }
        const char octal[] = {'\\', char('0' + (at[i] >> 6)), char('0' + ((at[i] >> 3) & 7)),
                              char('0' + (at[i] & 7))};
        shown.append(octal, sizeof octal);
        ++i;
    }
    return shown;
}

wxString TZVFileName::ProjectFolder(const wxString& pPath) {
    const std::string path = Bytes(pPath);
    if (!TZVFilePath::Find(path).aDescriptorLink)
        return wxFileName(pPath).GetPath(wxPATH_GET_VOLUME, wxPATH_NATIVE);
    struct stat file;
    char real[PATH_MAX];
    if (stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && realpath(path.c_str(), real))
        return Text(TZVFilePath::FolderOf(real));
    return wxString();
}
