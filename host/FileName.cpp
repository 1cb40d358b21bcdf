#include "FileName.h"

#include "FilePath.h"
#include "REDarodo/NameText.h"

#include <wx/filename.h>

#include <climits>
#include <cstdlib>
#include <cwctype>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The surrogates that stand for the bytes that are not UTF-8 (REDarodo/NameText.h).
constexpr unsigned theFirstByte = 0xDC80, theLastByte = 0xDCFF;

// Whether the character pCode prints as itself, as ls decides it in a UTF-8 locale; without
// one, every character but the controls does.
bool IsPrintable(unsigned pCode) {
    static const locale_t theUtf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if (theUtf8)
        return iswprint_l(wint_t(pCode), theUtf8) != 0;
    return pCode >= 0x20 && (pCode < 0x7F || pCode >= 0xA0);
}

// The letter of the escape that `ls -b` writes for the control character pCode ("\n"), or 0
// when it writes octal digits.
char EscapeLetter(unsigned pCode) {
    const char theLetters[] = "abtnvfr";
    return pCode >= '\a' && pCode <= '\r' ? theLetters[pCode - '\a'] : 0;
}

void AppendOctal(std::string& pShown, unsigned char pByte) {
    const char octal[] = {'\\', char('0' + (pByte >> 6)), char('0' + ((pByte >> 3) & 7)),
                          char('0' + (pByte & 7))};
    pShown.append(octal, sizeof octal);
}

} // namespace

wxString TZVFileName::Text(const std::string& pBytes) {
    return NameText(pBytes);
}

std::string TZVFileName::Bytes(const wxString& pText) {
    return NameBytes(pText);
}

std::string TZVFileName::Shown(const std::string& pText) {
    return ShownText(Text(pText));
}

std::string TZVFileName::ShownText(const wxString& pText) {
    std::string shown;
    for (const wxUniChar character : pText) {
        const unsigned code = unsigned(character.GetValue());
        const std::string bytes = NameBytes(wxString(character));
        if (code < theFirstByte || code > theLastByte) {
            if (IsPrintable(code)) {
                shown += bytes;
                continue;
            }
            if (const char letter = EscapeLetter(code)) {
                shown += {'\\', letter};
                continue;
            }
        }
        for (const char byte : bytes)
            AppendOctal(shown, static_cast<unsigned char>(byte));
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
