#include "ALL/Error.h"

#include "WinSystem.h"

#include <wx/intl.h>

#include <cstring>

namespace {

const wchar_t* Translated(const wchar_t* pText) {
    return wxGetTranslation(pText).wc_str();
}

bool IsConversion(char pChar) {
    return std::strchr("diouxXeEfFgGaAcCsSpn", pChar) != nullptr;
}

} // namespace

const wchar_t* AVIFileErrorText(int32_t pCode) {
    static const wchar_t* const theTexts[17] = {L"unsupported",
                                                L"bad format",
                                                L"out of memory",
                                                L"internal error",
                                                L"bad flags",
                                                L"bad parameters",
                                                L"bad size",
                                                L"bad AVIFile handle",
                                                L"file read error",
                                                L"file write error",
                                                L"file open error",
                                                L"compressor error",
                                                L"compressor not available",
                                                L"file marked read-only",
                                                L"no data (?)",
                                                L"buffer too small",
                                                L"can't compress (?)"};
    const uint32_t index = uint32_t(pCode) - 0x80044065u;
    if (index < 17)
        return theTexts[index];
    if (index == 97)
        return L"aborted by user";
    if (index == 98)
        return L"error (?)";
    return L"(Unknown)";
}

const wchar_t* CodecErrorText(long pCode) {
    static const wchar_t* const theTexts[11] = {L"The operation completed successfully.",
                                                L"The operation is not supported.",
                                                L"The source image format is not acceptable.",
                                                L"Not enough memory.",
                                                L"An internal error occurred.",
                                                L"An invalid flag was specified.",
                                                L"An invalid parameter was specified.",
                                                L"An invalid size was specified.",
                                                L"The handle is invalid.",
                                                L"Cannot update the destination image.",
                                                L"The operation was aborted by the user."};
    if (pCode <= 0 && pCode >= -10)
        return Translated(theTexts[-pCode]);
    switch (pCode) {
    case -100:
        return Translated(L"An unknown error occurred (may be corrupt data).");
    case -200:
        return Translated(L"The source colour depth is not acceptable.");
    case -201:
        return Translated(L"The source image size is not acceptable.");
    default:
        return Translated(pCode <= -400 ? L"A codec-specific error occurred." : L"(unknown)");
    }
}

const wchar_t* MMIOErrorText(unsigned int pCode) {
    static const wchar_t* const theTexts[16] = {
        L"file not found",    L"out of memory",  L"couldn't open",       L"couldn't close",
        L"couldn't read",     L"couldn't write", L"couldn't seek",       L"couldn't expand",
        L"chunk not found",   L"unbuffered",     L"path not found",      L"access denied",
        L"sharing violation", L"network error",  L"too many open files", L"invalid file"};
    const unsigned int index = pCode - 257u;
    if (index >= 16)
        return Translated(L"(unknown)");
    // "unbuffered" is the one text shown untranslated.
    return index == 9 ? theTexts[index] : Translated(theTexts[index]);
}

wxString SystemErrorText(uint32_t pCode) {
    return WinFormatSystemMessage(pCode);
}

namespace NSErrorFormat {

std::vector<TPiece> Split(const char* pFormat) {
    std::vector<TPiece> pieces;
    const std::string narrow(pFormat ? pFormat : "");
    wxString text;
    auto flushText = [&] {
        if (!text.empty())
            pieces.push_back({TPiece::pieceTEXT, text});
        text.clear();
    };
    size_t i = 0;
    while (i < narrow.size()) {
        if (narrow[i] != '%') {
            size_t end = narrow.find('%', i);
            if (end == std::string::npos)
                end = narrow.size();
            text += wxString::FromUTF8(narrow.data() + i, end - i);
            i = end;
        } else if (narrow.compare(i, 4, "%%%%") == 0) {
            text += wxT('%');
            i += 4;
        } else if (narrow.compare(i, 3, "%%s") == 0) {
            flushText();
            pieces.push_back({TPiece::pieceINSERT, wxString()});
            i += 3;
        } else if (narrow.compare(i, 2, "%%") == 0) {
            text += wxT('%');
            i += 2;
        } else {
            size_t end = i + 1;
            while (end < narrow.size() && !IsConversion(narrow[end]))
                ++end;
            end = std::min(end + 1, narrow.size());
            flushText();
            pieces.push_back(
                {TPiece::pieceCONVERSION, wxString::FromUTF8(narrow.data() + i, end - i)});
            i = end;
        }
    }
    flushText();
    return pieces;
}

} // namespace NSErrorFormat

TOutOfMemoryError::TOutOfMemoryError() : TError(wxGetTranslation(L"Out of memory")) {}

TCodecCallError::TCodecCallError(const wchar_t* pComponent, long pCode)
    : TError(wxGetTranslation(L"%s error: %s (error code %ld)"), pComponent ? pComponent : L"",
             CodecErrorText(pCode), pCode) {}

TAVIFileError::TAVIFileError(const wchar_t* pFormat, int32_t pCode)
    : TError(pFormat, AVIFileErrorText(pCode)) {}
