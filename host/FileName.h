// TZVFileName: a file name is bytes, which need not be UTF-8 (a folder "caf\351" written in
// Latin-1): carried in a wxString without loss, given back to the system byte for byte, and
// shown in messages readably.
#pragma once

#include <wx/string.h>

#include <string>

class TZVFileName {
public:
    // The text of the name pBytes: UTF-8 decoded, each byte that is not UTF-8 kept as a
    // character of its own in a private use area, which Bytes gives back.
    static wxString Text(const std::string& pBytes);
    // The bytes of a name that Text made, or of any text (as UTF-8).
    static std::string Bytes(const wxString& pText);
    // pText with each byte that is not UTF-8 written as a backslash and three octal digits
    // ("caf\351"), as `ls -b` writes it.
    static std::string Shown(const std::string& pText);
    // The folder the relative media texts of the project file pPath are read against and
    // written for: pPath's own folder, but for a name that leads to a process's descriptor
    // (/dev/stdin, /dev/fd/N, /proc/self/fd/N), the folder of the regular file the descriptor
    // holds, else the current folder (a pipe's project is given relative to it).
    static wxString ProjectFolder(const wxString& pPath);
};
