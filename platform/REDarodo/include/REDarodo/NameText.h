// How a file name's bytes are carried in a wxString, as TZVMedia::Open takes a path: UTF-8
// decoded, each byte that is not UTF-8 as a lone surrogate of its own (U+DC80 to U+DCFF), which no
// UTF-8 decodes to; so every text leads back to the bytes it came from, and no other name's. A
// host makes its names with NameText. Made on std::wstring rather than through wxWidgets'
// conversions, which have no such mode and do not all say when memory runs out: std::bad_alloc
// says it here, on any thread.
#pragma once

#include <wx/string.h>

#include <string>

// The text of the bytes pBytes (a name, or a message in UTF-8).
wxString NameText(const std::string& pBytes);
// The bytes of the text pText: its surrogates of bytes as those bytes, the rest in UTF-8.
std::string NameBytes(const wxString& pText);
