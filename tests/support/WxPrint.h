// Readable wxString values in GoogleTest messages.
#pragma once

#include <wx/string.h>

#include <ostream>

inline void PrintTo(const wxString& pText, std::ostream* pStream) {
    *pStream << '"' << pText.utf8_str() << '"';
}
