// TZVFileName: a file name is bytes, which need not be UTF-8 (a folder "caf\351" written in
// Latin-1): carried in a wxString without loss, as the media library takes names, given back to
// the system byte for byte, and shown in messages readably.
#pragma once

#include <wx/string.h>

#include <string>

class TZVFileName {
public:
    // The text of the name pBytes: UTF-8 decoded, each byte that is not UTF-8 kept as a lone
    // surrogate of its own, which no UTF-8 decodes to and Bytes gives back (REDarodo/NameText.h).
    static wxString Text(const std::string& pBytes);
    // The bytes of a name that Text made, or of any text (as UTF-8).
    static std::string Bytes(const wxString& pText);
    // pText (a name, or a message that holds names) with each character that cannot be printed
    // written as `ls -b` writes it: a control character as "\n", "\t" or "\033", each byte that
    // is not UTF-8 as a backslash and three octal digits ("caf\351"); so no name breaks, colours
    // or forges a line.
    static std::string Shown(const std::string& pText);
    // The same for a name that Text made, or any text.
    static std::string ShownText(const wxString& pText);
    // The folder the relative media texts of the project file pPath are read against and
    // written for: pPath's own folder, but for a name that leads to a process's descriptor
    // (/dev/stdin, /dev/fd/N, /proc/self/fd/N), the folder of the regular file the descriptor
    // holds, else the current folder (a pipe's project is given relative to it).
    static wxString ProjectFolder(const wxString& pPath);
};
