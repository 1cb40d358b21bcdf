// TError, the exception of readers and checks (its message is all it holds), and the error
// objects and texts of the platform's media, codec and system services.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

class TError : public wxString {
public:
    // The message is the text itself, unformatted; null gives the empty message.
    explicit TError(const wchar_t* pText) : wxString(pText ? pText : L"") {}
    explicit TError(const wxString& pText) : wxString(pText) {}

    // The message is the printf-style formatting of pFormat with the arguments (wide texts
    // for "%ls", a long for "%ld", an int for "%d"); a null format gives the empty message.
    template <typename T1, typename... TRest>
    TError(const wchar_t* pFormat, const T1& p1, const TRest&... pRest)
        : wxString(pFormat ? wxString::Format(pFormat, p1, pRest...) : wxString()) {}
    template <typename T1, typename... TRest>
    TError(const wxString& pFormat, const T1& p1, const TRest&... pRest)
        : wxString(wxString::Format(pFormat, p1, pRest...)) {}
};

// Untranslated text of an AVIFile error code; "(Unknown)" outside the table.
const wchar_t* AVIFileErrorText(int32_t pCode);
// Translated text of a video-codec result; "(unknown)" outside the table.
const wchar_t* CodecErrorText(long pCode);
// Translated text of a multimedia file I/O code; "(unknown)" outside the table.
const wchar_t* MMIOErrorText(unsigned int pCode);
// The system's message for an error code, with its line end; empty when there is none.
wxString SystemErrorText(uint32_t pCode);

namespace NSErrorFormat {

// A format cut into literal texts, conversions and the places of a service's
// error text ("%%s", the form that used to survive a first formatting).
struct TPiece {
    enum EKind { pieceTEXT, pieceCONVERSION, pieceINSERT } aKind;
    wxString aText;
};

std::vector<TPiece> Split(const char* pFormat);

// One conversion formatted with the pIndex-th argument; a missing argument leaves it as is.
inline wxString FormatNth(const wxString& pConversion, size_t) {
    return pConversion;
}

template <typename T, typename... TRest>
wxString FormatNth(const wxString& pConversion, size_t pIndex, const T& pFirst,
                   const TRest&... pRest) {
    return pIndex == 0 ? wxString::Format(pConversion, pFirst)
                       : FormatNth(pConversion, pIndex - 1, pRest...);
}

// Formats pFormat once: each conversion takes its argument, "%%s" takes pInsert and
// "%%%%" gives one percent sign, as the same format formatted twice did. Argument texts are
// never read as formats.
template <typename... TArgs>
wxString Compose(const char* pFormat, const wxString& pInsert, const TArgs&... pArgs) {
    wxString message;
    size_t next = 0;
    for (const TPiece& piece : Split(pFormat)) {
        if (piece.aKind == TPiece::pieceCONVERSION)
            message += FormatNth(piece.aText, next++, pArgs...);
        else
            message += piece.aKind == TPiece::pieceINSERT ? pInsert : piece.aText;
    }
    return message;
}

} // namespace NSErrorFormat

// Message: the translation of "Out of memory".
class TOutOfMemoryError : public TError {
public:
    TOutOfMemoryError();
};

// Message: the caller's format with its arguments, the codec's error text where the format
// says "%%s".
class TCodecError : public TError {
public:
    template <typename... TArgs>
    TCodecError(long pCode, const char* pFormat, const TArgs&... pArgs)
        : TError(NSErrorFormat::Compose(pFormat, CodecErrorText(pCode), pArgs...)) {}
};

// Message: "<component> error: <codec text> (error code <code>)", translated.
class TCodecCallError : public TError {
public:
    TCodecCallError(const wchar_t* pComponent, long pCode);
};

// Message: the format (null = empty) with the AVIFile error text as its one argument.
class TAVIFileError : public TError {
public:
    TAVIFileError(const wchar_t* pFormat, int32_t pCode);
};

// Like TCodecError, with the system's message for the code.
class TSystemError : public TError {
public:
    template <typename... TArgs>
    TSystemError(const char* pFormat, uint32_t pCode, const TArgs&... pArgs)
        : TError(NSErrorFormat::Compose(pFormat, SystemErrorText(pCode), pArgs...)) {}
};
